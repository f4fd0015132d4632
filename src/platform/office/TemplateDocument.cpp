#include "platform/office/TemplateDocument.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/TextDocument.h"
#include "platform/office/UnoSupport.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/XRefreshable.hpp>
#include <com/sun/star/util/XSearchable.hpp>

namespace office {

using namespace office::uno;

namespace {

bool supports(const Reference<css::uno::XInterface>& x, const char* service)
{
    Reference<css::lang::XServiceInfo> si(x, UNO_QUERY);
    return si.is() && si->supportsService(OUString::createFromAscii(service));
}

// Any text in square brackets.
const char* const kPlaceholderPattern = "\\[[^\\[\\]]+\\]";

// The value given for `placeholder`, or null.
const QString* valueOf(const TemplateDocument::Values& values, const QString& placeholder)
{
    for (const auto& [token, value] : values)
        if (token == placeholder)
            return &value;
    return nullptr;
}

// A value as the office writes it into a text range: its line breaks
// become paragraph breaks.
QString paragraphText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text;
}

// `pattern` with each placeholder that has a value replaced by it in one
// pass: a value is never searched for placeholders.
QString substituted(const QString& pattern, const TemplateDocument::Values& values)
{
    static const QRegularExpression re(QString::fromLatin1(kPlaceholderPattern));
    QString out;
    qsizetype at = 0;
    for (auto it = re.globalMatch(pattern); it.hasNext();) {
        const QRegularExpressionMatch hit = it.next();
        const QString* value = valueOf(values, hit.captured(0));
        if (!value)
            continue;
        out += QStringView(pattern).mid(at, hit.capturedStart(0) - at);
        out += *value;
        at = hit.capturedEnd(0);
    }
    out += QStringView(pattern).mid(at);
    return out;
}

// The 0-based row of a table cell name such as "B3" (or "B3.1.1" in a
// table with split cells).
int rowOfCellName(const QString& name)
{
    int i = 0;
    while (i < name.size() && name[i].isLetter())
        ++i;
    int j = i;
    while (j < name.size() && name[j].isDigit())
        ++j;
    return name.mid(i, j - i).toInt() - 1;
}

std::function<void(TemplateDocument::Step)>& stepHook()
{
    static std::function<void(TemplateDocument::Step)> hook;
    return hook;
}

void reachStep(TemplateDocument::Step step)
{
    if (stepHook())
        stepHook()(step);
}

const char* filterForExtension(const QString& suffix)
{
    const QString s = suffix.toLower();
    if (s == QLatin1String("odt"))
        return "writer8";
    if (s == QLatin1String("ott"))
        return "writer8_template";
    if (s == QLatin1String("doc"))
        return "MS Word 97";
    if (s == QLatin1String("dot"))
        return "MS Word 97 Vorlage";
    return nullptr;
}

// The table row that holds a marker, as repeatTableRow() copies it once
// per line of data: its place in the table and the texts of its cells
// (the pattern of every copy).
struct MarkedRow {
    explicit MarkedRow(Reference<css::text::XTextTable> t)
        : table(std::move(t))
        , range(table, UNO_QUERY_THROW)
    {
    }

    Reference<css::text::XTextTable> table;
    Reference<css::table::XCellRange> range;
    int row = -1;
    int columns = 0;
    QStringList pattern;
    // The columns of the row by their letters, when the table's cells are
    // placed by their names; empty when they are placed by position.
    QStringList letters;
    // The texts of the table's cells, read in one call (read) when the
    // table is made of whole cells.
    Sequence<Sequence<Any>> texts;
    bool read = false;

    // Finds the row with a cell holding `marker`; false when there is none.
    bool find(const QString& marker)
    {
        // The texts of a table of whole cells come in one call; a table
        // with split or merged cells is read cell by cell.
        if (Reference<css::sheet::XCellRangeData> whole(table, UNO_QUERY); whole.is()) {
            try {
                texts = whole->getDataArray();
                read = true;
            } catch (const css::uno::RuntimeException&) {
                // Split or merged cells: read cell by cell below.
            } catch (const css::lang::IndexOutOfBoundsException&) {
                // Rows of different numbers of cells: likewise.
            }
        }
        if (read) {
            for (sal_Int32 r = 0; r < texts.getLength() && row < 0; ++r)
                for (const Any& cell : texts[r]) {
                    OUString text;
                    if ((cell >>= text) && toQ(text).contains(marker)) {
                        row = int(r);
                        break;
                    }
                }
            if (row >= 0)
                for (const Any& cell : texts[row]) {
                    OUString text;
                    if (!(cell >>= text)) {
                        pattern.clear();  // a number: its text is read from the cell
                        break;
                    }
                    pattern << toQ(text);
                }
        } else {
            for (const OUString& name : table->getCellNames()) {
                Reference<css::text::XText> text(table->getCellByName(name), UNO_QUERY);
                if (text.is() && toQ(text->getString()).contains(marker)) {
                    row = rowOfCellName(toQ(name));
                    break;
                }
            }
        }
        return row >= 0;
    }

    // How the row's cells are placed, how many columns it has, and the
    // texts of its cells where the first reading did not give them whole.
    void readPattern()
    {
        // A table whose rows differ (a heading over every column above the
        // grade row, say) places its cells by their names: the columns of
        // the grade row itself, by their letters.
        for (const OUString& name : table->getCellNames()) {
            const QString cell = toQ(name);
            if (!cell.contains(QLatin1Char('.')) && rowOfCellName(cell) == row) {
                qsizetype i = 0;
                while (i < cell.size() && cell[i].isLetter())
                    ++i;
                letters << cell.left(i);
            }
        }
        std::sort(letters.begin(), letters.end(), [](const QString& a, const QString& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        // The texts read in one call hold the grade row whole only when the
        // table's rows are alike.
        if (read && texts[row].getLength() == letters.size())
            letters.clear();
        else
            pattern.clear();
        columns = !letters.isEmpty()                        ? int(letters.size())
                  : read && texts[row].getLength() > 0 ? int(texts[row].getLength())
                                                       : table->getColumns()->getCount();
        if (pattern.size() != columns) {
            pattern.clear();
            for (int c = 0; c < columns; ++c)
                pattern << toQ(cell(c, row)->getString());
        }
    }

    // The character height of the row's text in points: that of its first
    // cell.
    double charHeight() const
    {
        float height = 0;
        Reference<css::beans::XPropertySet>(cell(0, row)->getStart(), UNO_QUERY_THROW)->getPropertyValue("CharHeight")
            >>= height;
        return height;
    }

    // Sets the character height of the row's text, before it is copied:
    // the copies take it. (Characters of cells set through a cell range or
    // a table cursor are not laid out again by the office.) The cursors made
    // go to `cursors`, held as long as the document.
    void setCharHeight(double points, std::vector<Reference<css::uno::XInterface>>& cursors)
    {
        for (int c = 0; c < columns; ++c) {
            Reference<css::text::XTextCursor> cursor = cell(c, row)->createTextCursor();
            cursor->gotoEnd(true);
            Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
                ->setPropertyValue("CharHeight", Any(float(points)));
            cursors.push_back(cursor);
        }
    }

    Reference<css::text::XText> cell(int c, int r) const
    {
        if (!letters.isEmpty())
            return Reference<css::text::XText>(table->getCellByName(toOU(letters[c] + QString::number(r + 1))),
                                               UNO_QUERY_THROW);
        return Reference<css::text::XText>(range->getCellByPosition(c, r), UNO_QUERY_THROW);
    }

    // No lines of data: the row goes, or its cells are emptied when it is
    // the table's only row.
    void remove()
    {
        Reference<css::table::XTableRows> tableRows = table->getRows();
        if (tableRows->getCount() > 1) {
            tableRows->removeByIndex(row, 1);
        } else {
            for (int c = 0; c < columns; ++c)
                cell(c, row)->setString({});
        }
    }

    // Makes the row `n` rows, every copy like it.
    void insertCopies(int n)
    {
        Reference<css::table::XTableRows> tableRows = table->getRows();
        // A line of data is never divided between pages or the columns of
        // a page: set on the row before it is copied, so every copy keeps it.
        Reference<css::beans::XPropertySet>(tableRows->getByIndex(row), UNO_QUERY_THROW)
            ->setPropertyValue("IsSplitAllowed", Any(false));
        if (n > 1)
            tableRows->insertByIndex(row + 1, n - 1);
    }

    // Writes each line of data into its copy of the row: the row's texts
    // with the line's values in place of its placeholders.
    void write(const QList<TemplateDocument::Values>& rows)
    {
        const int n = int(rows.size());
        Sequence<Sequence<Any>> data(n);
        auto* dataRows = data.getArray();
        for (int r = 0; r < n; ++r) {
            Sequence<Any> line(columns);
            auto* cells = line.getArray();
            for (int c = 0; c < columns; ++c)
                cells[c] <<= toOU(substituted(pattern[c], rows[r]));
            dataRows[r] = line;
        }
        bool written = false;
        if (Reference<css::sheet::XCellRangeData> block(
                letters.isEmpty() ? range->getCellRangeByPosition(0, row, columns - 1, row + n - 1) : nullptr,
                UNO_QUERY);
            block.is()) {
            try {
                block->setDataArray(data);
                written = true;
            } catch (const css::uno::RuntimeException&) {
                // A table with split or merged cells: cell by cell below.
            }
        }
        if (!written) {
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < columns; ++c) {
                    OUString text;
                    data[r][c] >>= text;
                    cell(c, row + r)->setString(text);
                }
        }
    }

    // Sets the copies whose entry of `bold` is true in bold; the cursors
    // made for it go to `cursors`, held as long as the document.
    void setBold(const QList<bool>& bold, int n, std::vector<Reference<css::uno::XInterface>>& cursors)
    {
        for (int r = 0; r < n && r < bold.size(); ++r)
            if (bold[r] && letters.isEmpty())
                Reference<css::beans::XPropertySet>(range->getCellRangeByPosition(0, row + r, columns - 1, row + r),
                                                    UNO_QUERY_THROW)
                    ->setPropertyValue("CharWeight", Any(css::awt::FontWeight::BOLD));
            else if (bold[r])
                for (int c = 0; c < columns; ++c) {
                    Reference<css::text::XTextCursor> cursor = cell(c, row + r)->createTextCursor();
                    cursor->gotoEnd(true);
                    Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
                        ->setPropertyValue("CharWeight", Any(css::awt::FontWeight::BOLD));
                    cursors.push_back(cursor);
                }
    }
};

} // namespace

struct TemplateDocument::Impl {
    Reference<css::lang::XComponent> doc;
    QString path;
    // Read from a Word format (.doc, .dot, ...), not the office's own.
    bool wordFormat = false;
    bool shown = false;
    bool closed = false;
    // Found once: the frames and text boxes of the document, and the
    // placeholders the body's search finds.
    std::vector<Reference<css::text::XText>> frames;
    bool framesRead = false;
    // Every object of the draw page, as found in the same pass; `frame`
    // is the index of the object's text in `frames`, or -1.
    struct Object {
        Reference<css::uno::XInterface> object;
        int frame = -1;
        // Its text held something when read: a field of the blank, never
        // one of the pictures the fill removes.
        bool holdsText = false;
    };
    std::vector<Object> objects;
    // The frames' texts as the placeholders were looked for, before
    // anything was written.
    QStringList frameContents;
    // Something was written since the frames were read: they are read
    // afresh when the placeholders are asked for again.
    bool changed = false;
    // The placeholders the document's search finds (the body, its tables
    // and the frames it reaches), found once before anything is written:
    // each is replaced where it was found, so a value written into the
    // document is never searched again for placeholders.
    struct Hit {
        Reference<css::text::XTextRange> range;
        QString text;
    };
    std::vector<Hit> hits;
    QStringList bodyPlaceholders;
    bool bodyRead = false;
    // The placeholders of a table row repeated since the search: their
    // places may now hold the rows' values, so each is read back before
    // it is replaced.
    QStringList repeatedTokens;
    // The cursors made in the frames' texts, held as long as the document.
    // The office drops an object we let go of on a thread of its own,
    // without waiting for the work running on the document: a cursor let go
    // of while the office stores the document (or makes another cursor in
    // the same text) breaks the text's list of cursors, and the office
    // crashes. Let go of only once the work on the document is over; so
    // are the objects removed from the page.
    std::vector<Reference<css::uno::XInterface>> frameCursors;

    // While the document is filled, the office neither records each change
    // for its undo nor updates its views after each one.
    bool locked = false;       // the undo
    bool viewsLocked = false;  // the views
    bool filling = false;      // the first change was made
    // The rows the last repeatTableRow() made.
    std::optional<MarkedRow> repeated;

    ~Impl()
    {
        if (!shown && !closed)
            closeComponent(doc);
    }

    Reference<css::frame::XModel> lockedModel;
    Reference<css::document::XUndoManager> lockedUndo;

    // Called by each step of the fill before it changes the document.
    void lockForFill()
    {
        if (shown)
            return;
        if (!filling) {
            filling = true;
            reachStep(TemplateDocument::Step::Filling);
        }
        if (!locked) {
            lockedUndo = Reference<css::document::XUndoManagerSupplier>(doc, UNO_QUERY_THROW)->getUndoManager();
            lockedUndo->lock();
            locked = true;
        }
        if (!viewsLocked) {
            if (!lockedModel.is())
                lockedModel.set(doc, UNO_QUERY_THROW);
            lockedModel->lockControllers();
            viewsLocked = true;
        }
    }

    void unlockViews()
    {
        if (!viewsLocked)
            return;
        viewsLocked = false;
        lockedModel->unlockControllers();
    }

    void unlock()
    {
        unlockViews();
        if (!locked)
            return;
        locked = false;
        lockedUndo->unlock();
    }

    // The view cursor of the document's view, which lays the document out
    // as far as it goes.
    Reference<css::text::XTextViewCursor> viewCursor() const
    {
        Reference<css::frame::XModel> model(doc, UNO_QUERY_THROW);
        Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(), UNO_QUERY_THROW);
        return view->getViewCursor();
    }

    // The pages of the document as the office lays it out. The views are
    // unlocked first: a locked view is not laid out. The office lays out
    // anew what was added, and text changed through a text cursor, and
    // moves text on to later pages, but leaves text where it is when room
    // is made before it: a count is true for a document filled from its
    // template, not for one changed back and forth. The office lays a
    // document out in passes, so the view's last page is asked until it is
    // the same twice running.
    int pageCount()
    {
        unlockViews();
        Reference<css::util::XRefreshable>(doc, UNO_QUERY_THROW)->refresh();
        Reference<css::text::XPageCursor> pages(viewCursor(), UNO_QUERY_THROW);
        int last = -1;
        for (int pass = 0; pass < 8; ++pass) {
            pages->jumpToLastPage();
            const int count = pages->getPage();
            if (count == last)
                break;
            last = count;
        }
        return last;
    }

    void checkOpen() const
    {
        if (closed || !doc.is())
            throw Error(ErrorKind::Failed, QStringLiteral("документ закрыт"));
    }

    Reference<css::container::XIndexAccess> drawPage() const
    {
        Reference<css::drawing::XDrawPageSupplier> dps(doc, UNO_QUERY_THROW);
        return Reference<css::container::XIndexAccess>(dps->getDrawPage(), UNO_QUERY_THROW);
    }

    Reference<css::container::XIndexAccess> tables() const
    {
        Reference<css::text::XTextTablesSupplier> tts(doc, UNO_QUERY_THROW);
        return Reference<css::container::XIndexAccess>(tts->getTextTables(), UNO_QUERY_THROW);
    }

    // The pictures of the text (graphics in frames of their own), removed
    // through the document's list of them, which holds every picture
    // wherever it stands: also those of the header of a page the office has
    // not laid out yet, which the draw page does not list. Those whose name
    // starts with `prefix` go; so does, in a document read from a Word
    // format (which keeps no names of pictures once it was stored from the
    // office), a picture behind the text that covers a whole page: the
    // scanned blank, whatever it is called.
    int removeGraphics(const QString& prefix)
    {
        Reference<css::text::XTextGraphicObjectsSupplier> supplier(doc, UNO_QUERY);
        if (!supplier.is())
            return 0;
        Reference<css::container::XNameAccess> graphics = supplier->getGraphicObjects();
        std::vector<Reference<css::lang::XComponent>> outline;
        std::vector<Reference<css::beans::XPropertySet>> unnamed;
        for (const OUString& name : graphics->getElementNames()) {
            Reference<css::uno::XInterface> graphic;
            if (toQ(name).startsWith(prefix)) {
                graphics->getByName(name) >>= graphic;
                outline.emplace_back(graphic, UNO_QUERY_THROW);
            } else if (wordFormat) {
                graphics->getByName(name) >>= graphic;
                unnamed.emplace_back(graphic, UNO_QUERY_THROW);
            }
        }
        if (!unnamed.empty()) {
            const std::vector<css::awt::Size> pages = pageSizes();
            for (const auto& graphic : unnamed) {
                bool opaque = true;
                css::awt::Size size;
                graphic->getPropertyValue("Opaque") >>= opaque;
                graphic->getPropertyValue("Size") >>= size;
                if (!opaque && std::any_of(pages.begin(), pages.end(), [&](const css::awt::Size& page) {
                        return size.Width * 10 >= page.Width * 9 && size.Height * 10 >= page.Height * 9;
                    }))
                    outline.emplace_back(graphic, UNO_QUERY_THROW);
            }
        }
        for (const auto& graphic : outline) {
            const Reference<css::uno::XInterface> object(graphic, UNO_QUERY);
            objects.erase(std::remove_if(objects.begin(), objects.end(),
                                         [&](const Object& o) { return o.object == object; }),
                          objects.end());
            graphic->dispose();
            frameCursors.push_back(object);
            changed = true;
        }
        return int(outline.size());
    }

    // The sizes of the pages of the page styles in use.
    std::vector<css::awt::Size> pageSizes() const
    {
        std::vector<css::awt::Size> out;
        Reference<css::style::XStyleFamiliesSupplier> families(doc, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> styles(families->getStyleFamilies()->getByName("PageStyles"),
                                                       UNO_QUERY_THROW);
        for (sal_Int32 i = 0, n = styles->getCount(); i < n; ++i) {
            Reference<css::style::XStyle> style(styles->getByIndex(i), UNO_QUERY_THROW);
            if (!style->isInUse())
                continue;
            Reference<css::beans::XPropertySet> props(style, UNO_QUERY_THROW);
            css::awt::Size size;
            props->getPropertyValue("Width") >>= size.Width;
            props->getPropertyValue("Height") >>= size.Height;
            out.push_back(size);
        }
        return out;
    }

    // The drawing objects of the page whose name starts with `prefix`,
    // but for a frame or a text box that held text when the placeholders
    // were looked for (a field of the form) and the pictures of the text
    // (removeGraphics()). Drawing objects are listed whether laid out or not.
    int removeDrawnPictures(const QString& prefix)
    {
        Reference<css::drawing::XDrawPageSupplier> dps(doc, UNO_QUERY_THROW);
        Reference<css::drawing::XShapes> shapes(dps->getDrawPage(), UNO_QUERY_THROW);
        int removed = 0;
        std::vector<int> gone;  // indexes of removed texts in `frames`
        for (auto it = objects.begin(); it != objects.end();) {
            if (it->holdsText) {
                ++it;
                continue;
            }
            Reference<css::container::XNamed> named(it->object, UNO_QUERY);
            // The name first: it rules out most objects in one call.
            Reference<css::drawing::XShape> shape;
            if (named.is() && toQ(named->getName()).startsWith(prefix)) {
                Reference<css::lang::XServiceInfo> info(named, UNO_QUERY_THROW);
                const Sequence<OUString> services = info->getSupportedServiceNames();
                if (std::none_of(services.begin(), services.end(), [](const OUString& service) {
                        return service == "com.sun.star.text.TextFrame" || service == "com.sun.star.text.TextGraphicObject";
                    }))
                    shape.set(it->object, UNO_QUERY);
            }
            if (!shape.is()) {
                ++it;
                continue;
            }
            shapes->remove(shape);
            changed = true;
            ++removed;
            frameCursors.push_back(it->object);
            if (it->frame >= 0) {
                gone.push_back(it->frame);
                frameCursors.push_back(frames[size_t(it->frame)]);
            }
            it = objects.erase(it);
        }
        if (!gone.empty()) {
            // A shape with a text went: its text goes from the frames.
            std::sort(gone.begin(), gone.end(), std::greater<int>());
            for (const int i : gone)
                frames.erase(frames.begin() + i);
            for (auto& object : objects)
                for (const int i : gone)
                    if (object.frame > i)
                        --object.frame;
            frameContents.clear();
        }
        return removed;
    }

    // The texts of the text frames and text boxes (the body's search does
    // not reach them), with every object of the draw page.
    const std::vector<Reference<css::text::XText>>& frameTexts()
    {
        if (!framesRead) {
            auto page = drawPage();
            for (sal_Int32 i = 0, n = page->getCount(); i < n; ++i) {
                Object o;
                page->getByIndex(i) >>= o.object;
                if (Reference<css::text::XText> text(o.object, UNO_QUERY); text.is()) {
                    o.frame = int(frames.size());
                    frames.push_back(text);
                }
                objects.push_back(std::move(o));
            }
            framesRead = true;
        }
        return frames;
    }

    const QStringList& placeholdersOfBody()
    {
        if (!bodyRead) {
            bodyPlaceholders.clear();
            hits.clear();
            repeatedTokens.clear();
            Reference<css::util::XSearchable> s(doc, UNO_QUERY_THROW);
            Reference<css::container::XIndexAccess> found = s->findAll(placeholderSearch());
            for (sal_Int32 i = 0, n = found.is() ? found->getCount() : 0; i < n; ++i) {
                Reference<css::text::XTextRange> range(found->getByIndex(i), UNO_QUERY);
                if (!range.is())
                    continue;
                Hit hit{range, toQ(range->getString())};
                if (!bodyPlaceholders.contains(hit.text))
                    bodyPlaceholders << hit.text;
                hits.push_back(std::move(hit));
            }
            bodyRead = true;
        }
        return bodyPlaceholders;
    }

    // The placeholders the search found keep their places (found now,
    // before a table row is repeated, if they were not yet); those the row
    // holds (`pattern`) may be taken by the rows' values and are read back
    // before they are replaced.
    void noteRepeatedPlaceholders(const QStringList& pattern)
    {
        placeholdersOfBody();
        for (const auto& hit : hits)
            if (!repeatedTokens.contains(hit.text)
                && std::any_of(pattern.begin(), pattern.end(),
                               [&](const QString& cell) { return cell.contains(hit.text); }))
                repeatedTokens << hit.text;
    }

    void noteTexts()
    {
        for (Object& o : objects)
            if (o.frame >= 0 && o.frame < frameContents.size() && !frameContents[o.frame].isEmpty())
                o.holdsText = true;
    }

    // The frames' texts before anything is written.
    const QStringList& contentsOfFrames()
    {
        const auto& texts = frameTexts();
        if (frameContents.size() != qsizetype(texts.size())) {
            frameContents.clear();
            for (const auto& text : texts)
                frameContents << toQ(text->getString());
            noteTexts();
        }
        return frameContents;
    }

    Reference<css::util::XSearchDescriptor> placeholderSearch() const
    {
        Reference<css::util::XSearchable> s(doc, UNO_QUERY_THROW);
        Reference<css::util::XSearchDescriptor> d = s->createSearchDescriptor();
        Reference<css::beans::XPropertySet>(d, UNO_QUERY_THROW)->setPropertyValue("SearchRegularExpression", Any(true));
        d->setSearchString(toOU(QString::fromLatin1(kPlaceholderPattern)));
        return d;
    }

    // Replaces the placeholders of one frame's text (`content` as just
    // read), each in place so that it keeps its character formatting; the
    // last one first, so that the positions of the others stay valid.
    // A frame of one line formatted alike throughout (the usual field of a
    // blank: "«[ДЕНЬ]» [МЕСЯЦ] [ГОД] г.") is written in one call, with the
    // formatting it has. False, with nothing written, for a frame of
    // several paragraphs, a value of several lines, or characters
    // formatted differently.
    bool replaceWholeLine(const Reference<css::text::XText>& text, const QString& content, const Values& values)
    {
        if (content.contains(QLatin1Char('\n')))
            return false;
        const QString line = substituted(content, values);
        if (line == content)
            return true;  // no value for any of its placeholders
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
            return false;
        static const OUString kNames[] = {"CharFontName",  "CharHeight", "CharWeight",     "CharPosture", "CharUnderline",
                                          "CharStrikeout", "CharColor",  "CharEscapement", "CharCaseMap"};
        static const Sequence<OUString> kCharacter(kNames, sal_Int32(std::size(kNames)));
        Reference<css::text::XTextCursor> cursor = text->createTextCursor();
        frameCursors.push_back(cursor);
        cursor->gotoStart(false);
        cursor->gotoEnd(true);
        Reference<css::beans::XPropertyState> state(cursor, UNO_QUERY);
        if (!state.is())
            return false;
        try {
            for (const auto s : state->getPropertyStates(kCharacter))
                if (s == css::beans::PropertyState_AMBIGUOUS_VALUE)
                    return false;
        } catch (const css::beans::UnknownPropertyException&) {
            return false;  // a text that does not tell: placeholder by placeholder
        }
        cursor->setString(toOU(line));
        return true;
    }

    void replaceInFrame(const Reference<css::text::XText>& text, QString content, const Values& values)
    {
        content.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        static const QRegularExpression re(QString::fromLatin1(kPlaceholderPattern));
        std::vector<QRegularExpressionMatch> hits;
        for (auto it = re.globalMatch(content); it.hasNext();)
            hits.push_back(it.next());
        if (hits.size() > 1 && replaceWholeLine(text, content, values))
            return;
        for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit) {
            const QString* value = valueOf(values, hit->captured(0));
            if (!value)
                continue;
            QString plain = *value;
            plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            const QStringList lines = plain.split(QLatin1Char('\n'));
            // A frame holding nothing but the placeholder: the office
            // replaces the whole text in one call, keeping the formatting
            // of its start as a cursor over the same characters would.
            if (hits.size() == 1 && lines.size() == 1 && hit->capturedLength(0) == content.size()) {
                text->setString(toOU(lines.first()));
                return;
            }
            Reference<css::text::XTextCursor> cursor = text->createTextCursor();
            frameCursors.push_back(cursor);
            cursor->gotoStart(false);
            if (hit->capturedStart(0) > 0)
                cursor->goRight(sal_Int16(hit->capturedStart(0)), false);
            cursor->goRight(sal_Int16(hit->capturedLength(0)), true);
            cursor->setString(toOU(lines.first()));
            for (qsizetype i = 1; i < lines.size(); ++i) {
                cursor->collapseToEnd();
                const Reference<css::text::XTextRange> at(cursor, UNO_QUERY_THROW);
                text->insertControlCharacter(at, css::text::ControlCharacter::PARAGRAPH_BREAK, false);
                text->insertString(at, toOU(lines[i]), false);
            }
        }
    }

    // Replaces each placeholder the search found by its value, where it
    // was found, keeping its character formatting. Returns the
    // placeholders written.
    QStringList replaceHits(const Values& values)
    {
        QStringList written;
        for (const Hit& hit : hits) {
            const QString* value = valueOf(values, hit.text);
            if (!value)
                continue;
            if (repeatedTokens.contains(hit.text) && toQ(hit.range->getString()) != hit.text)
                continue;  // its place went to a repeated row's value
            hit.range->setString(toOU(paragraphText(*value)));
            if (!written.contains(hit.text))
                written << hit.text;
        }
        // Spent: a later search starts afresh.
        for (Hit& hit : hits)
            frameCursors.push_back(hit.range);
        hits.clear();
        repeatedTokens.clear();
        bodyRead = false;
        return written;
    }
};

namespace {

TemplateDocument::Impl* load(const QString& path, const Props& args)
{
    auto impl = std::make_unique<TemplateDocument::Impl>();
    impl->path = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(path).isFile())
        throw Error(ErrorKind::CannotLoad, impl->path + QStringLiteral(" (файл не найден)"));
    if (const QString defect = documentFileDefect(path); !defect.isEmpty())
        throw Error(ErrorKind::CannotLoad, impl->path + QStringLiteral(" (") + defect + QLatin1Char(')'));
    Office::instance().ensureRunning();
    impl->wordFormat = QFileInfo(path).suffix().startsWith(QLatin1String("do"), Qt::CaseInsensitive);
    impl->doc = loadComponent(toOU(ConvertToURL(impl->path)), args, impl->path);
    reachStep(TemplateDocument::Step::Loaded);
    // The office may be gone by now, as at any call.
    if (!call(ErrorKind::CannotLoad,
              [&] { return Reference<css::text::XTextDocument>(impl->doc, UNO_QUERY).is(); }, impl->path))
        throw Error(ErrorKind::CannotLoad, impl->path + QStringLiteral(" (не текстовый документ)"));
    return impl.release();
}

} // namespace

TemplateDocument TemplateDocument::fromTemplate(const QString& path)
{
    TemplateDocument out;
    out.d_.reset(load(path, props({{"AsTemplate", Any(true)},
                                   {"Hidden", Any(true)},
                                   {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
                                   {"UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))}})));
    if (!call(ErrorKind::CannotLoad, [&] { return TextDocument::readAsItsFormat(out.d_->doc, out.d_->path); },
              out.d_->path))
        throw Error(ErrorKind::CannotLoad,
                    out.d_->path + QStringLiteral(" (файл поврежден или не является шаблоном документа)"));
    // A template saved by the adjustment window in a Word format has its
    // pictures and frames renamed by the export; the names the fill looks
    // for are those of the window's record.
    // The record belongs to the template: a document made from it goes without.
    // Most templates have none: a Word one is looked at without the office.
    if (TextDocument::mayHoldRecordedLayout(out.d_->path)
        && call(ErrorKind::CannotLoad, [&] { return TextDocument::restoreRecordedLayout(out.d_->doc); }, out.d_->path))
        call(ErrorKind::CannotLoad, [&] { TextDocument::dropRecordedLayout(out.d_->doc); }, out.d_->path);
    return out;
}

TemplateDocument TemplateDocument::openReadOnly(const QString& path)
{
    TemplateDocument out;
    out.d_.reset(load(path, props({{"AsTemplate", Any(false)},
                                   {"Hidden", Any(true)},
                                   {"ReadOnly", Any(true)},
                                   {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)}})));
    return out;
}

void TemplateDocument::openForEditing(const QString& path)
{
    std::unique_ptr<Impl> impl(load(path, props({{"AsTemplate", Any(false)},
                                                 {"Hidden", Any(false)},
                                                 {"MacroExecutionMode",
                                                  Any(css::document::MacroExecMode::NEVER_EXECUTE)}})));
    impl->shown = true;
    activate(impl->doc);
}

bool TemplateDocument::isOpen() const
{
    return d_ && !d_->closed && d_->doc.is();
}

QStringList TemplateDocument::placeholders() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        d_->lockForFill();
        QStringList out = d_->placeholdersOfBody();
        static const QRegularExpression re(QString::fromLatin1(kPlaceholderPattern));
        if (d_->changed)
            d_->frameContents.clear();
        d_->changed = false;
        d_->contentsOfFrames();
        for (const QString& content : d_->frameContents)
            for (auto it = re.globalMatch(content); it.hasNext();) {
                const QString token = it.next().captured(0);
                if (!out.contains(token))
                    out << token;
            }
        return out;
    });
}

void TemplateDocument::replace(const Values& values)
{
    if (!d_)
        throw Error(ErrorKind::Failed, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    call(ErrorKind::Failed, [&] {
        d_->lockForFill();
        d_->changed = true;
        // Everything is read before anything is written.
        d_->placeholdersOfBody();
        const QStringList contents = d_->contentsOfFrames();
        const auto& texts = d_->frameTexts();
        const QStringList written = d_->replaceHits(values);
        // The frames the search does not reach (text boxes of drawing
        // shapes, say), from the texts read before: a frame the search
        // reached has changed since and is done.
        d_->frameContents.clear();
        for (size_t i = 0; i < texts.size(); ++i) {
            const QString& content = contents[qsizetype(i)];
            const bool known = std::any_of(values.begin(), values.end(),
                                           [&](const auto& v) { return content.contains(v.first); });
            // Only a frame holding a placeholder the search replaced may
            // have been reached by it.
            const bool reached = std::any_of(written.begin(), written.end(),
                                             [&](const QString& token) { return content.contains(token); });
            if (!known || (reached && toQ(texts[i]->getString()) != content))
                continue;
            d_->replaceInFrame(texts[i], content, values);
        }
    });
}

bool TemplateDocument::repeatTableRow(const QString& marker, const QList<Values>& rows, const QList<bool>& bold,
                                      double points)
{
    if (!d_)
        throw Error(ErrorKind::Failed, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        d_->lockForFill();
        d_->changed = true;
        auto all = d_->tables();
        for (sal_Int32 t = 0; t < all->getCount(); ++t) {
            MarkedRow marked(Reference<css::text::XTextTable>(all->getByIndex(t), UNO_QUERY_THROW));
            if (!marked.find(marker))
                continue;
            marked.readPattern();
            d_->noteRepeatedPlaceholders(marked.pattern);
            if (rows.isEmpty()) {
                marked.remove();
                return true;
            }
            if (points > 0)
                marked.setCharHeight(points, d_->frameCursors);
            marked.insertCopies(int(rows.size()));
            marked.write(rows);
            marked.setBold(bold, int(rows.size()), d_->frameCursors);
            d_->repeated = std::move(marked);
            return true;
        }
        return false;
    });
}

double TemplateDocument::repeatedRowsCharHeight() const
{
    if (!d_ || !d_->repeated)
        return 0;
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] { return d_->repeated->charHeight(); });
}

int TemplateDocument::pageCount() const
{
    if (!d_)
        return 0;
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] { return d_->pageCount(); });
}

QStringList TemplateDocument::pictureNames() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        // The pictures of the text, wherever they stand, laid out or not;
        // then the pictures drawn on the page.
        QStringList out;
        if (Reference<css::text::XTextGraphicObjectsSupplier> graphics(d_->doc, UNO_QUERY); graphics.is())
            for (const OUString& name : graphics->getGraphicObjects()->getElementNames())
                out << toQ(name);
        auto page = d_->drawPage();
        for (sal_Int32 i = 0; i < page->getCount(); ++i) {
            Reference<css::container::XNamed> named(page->getByIndex(i), UNO_QUERY);
            if (named.is() && supports(named, "com.sun.star.drawing.GraphicObjectShape")
                && !supports(named, "com.sun.star.text.TextGraphicObject"))
                out << toQ(named->getName());
        }
        return out;
    });
}

int TemplateDocument::removePictures(const QString& prefix)
{
    if (!d_)
        throw Error(ErrorKind::Failed, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        d_->lockForFill();
        d_->frameTexts();
        return d_->removeGraphics(prefix) + d_->removeDrawnPictures(prefix);
    });
}

QString TemplateDocument::allText() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        QStringList parts;
        Reference<css::text::XTextDocument> td(d_->doc, UNO_QUERY_THROW);
        parts << toQ(td->getText()->getString());
        for (const auto& text : d_->frameTexts())
            parts << toQ(text->getString());
        QString out = parts.join(QLatin1Char('\n'));
        out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return out;
    });
}

void TemplateDocument::storeAs(const QString& path)
{
    if (!d_)
        throw Error(ErrorKind::CannotStore, path);
    d_->checkOpen();
    const char* filter = filterForExtension(QFileInfo(path).suffix());
    if (!filter)
        throw Error(ErrorKind::CannotStore, path + QStringLiteral(" (неизвестный формат)"));
    if (QFileInfo::exists(path))
        throw Error(ErrorKind::CannotStore, path + QStringLiteral(" (файл уже есть)"));
    // The office's Word export waits for ever on a folder it cannot write to.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir() || !folder.isWritable())
        throw Error(ErrorKind::CannotStore, path + QStringLiteral(" (папка недоступна для записи)"));
    const OUString url = toOU(ConvertToURL(QFileInfo(path).absoluteFilePath()));
    reachStep(Step::Storing);
    // A document whose office is known to have gone is not stored, nor a
    // new office started for it; one that goes during the store is told
    // as lost by the store.
    if (!Office::instance().isRunning())
        throw Error(ErrorKind::ConnectionLost);
    // The document takes about as much room as its template.
    storeBounded(path, 2 * QFileInfo(d_->path).size(), [&] {
        Reference<css::frame::XStorable>(d_->doc, UNO_QUERY_THROW)
            ->storeAsURL(url, props({{"FilterName", Any(OUString::createFromAscii(filter))},
                                     {"Overwrite", Any(false)},
                                     {"InteractionHandler", Any(quietInteraction())}}));
    });
    noteDocumentFile(url);
    d_->path = QFileInfo(path).absoluteFilePath();
}

void TemplateDocument::show()
{
    if (!d_)
        throw Error(ErrorKind::Failed, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    call(ErrorKind::Failed, [&] { d_->unlock(); });
    d_->shown = true;
    // A headless office has no window to show it in; it stays open there.
    if (Office::instance().headless())
        return;
    setVisible(d_->doc, true);
    activate(d_->doc);
}

void TemplateDocument::setStepHook(std::function<void(Step)> hook)
{
    stepHook() = std::move(hook);
}

void TemplateDocument::close()
{
    if (!d_ || d_->closed)
        return;
    closeComponent(d_->doc);
    d_->closed = true;
}

} // namespace office
