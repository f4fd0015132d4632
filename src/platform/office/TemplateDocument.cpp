#include "platform/office/TemplateDocument.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/TextDocument.h"
#include "platform/office/UnoSupport.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>
#include <com/sun/star/util/XReplaceDescriptor.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
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

// A search pattern that finds `text` literally.
QString literalPattern(const QString& text)
{
    return QRegularExpression::escape(text);
}

// A replacement text that inserts `text` literally, its line breaks as
// paragraph breaks.
QString literalReplacement(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('&') || c == QLatin1Char('$'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
            continue;
        }
        out += c;
    }
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

QString cellText(const Reference<css::table::XCellRange>& range, int column, int row)
{
    Reference<css::text::XText> text(range->getCellByPosition(column, row), UNO_QUERY_THROW);
    return toQ(text->getString());
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

} // namespace

struct TemplateDocument::Impl {
    Reference<css::lang::XComponent> doc;
    QString path;
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
    };
    std::vector<Object> objects;
    // The frames' texts as the placeholders were looked for, until
    // something is written.
    QStringList frameContents;
    QStringList bodyPlaceholders;
    bool bodyRead = false;
    // The cursors made in the frames' texts, held as long as the document.
    // The office drops an object we let go of on a thread of its own,
    // without waiting for the work running on the document: a cursor let go
    // of while the office stores the document (or makes another cursor in
    // the same text) breaks the text's list of cursors, and the office
    // crashes. Let go of only once the work on the document is over; so
    // are the objects removed from the page.
    std::vector<Reference<css::uno::XInterface>> frameCursors;

    ~Impl()
    {
        if (!shown && !closed)
            closeComponent(doc);
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
            Reference<css::util::XSearchable> s(doc, UNO_QUERY_THROW);
            Reference<css::container::XIndexAccess> found = s->findAll(placeholderSearch());
            for (sal_Int32 i = 0; found.is() && i < found->getCount(); ++i) {
                Reference<css::text::XTextRange> range(found->getByIndex(i), UNO_QUERY);
                if (range.is() && !bodyPlaceholders.contains(toQ(range->getString())))
                    bodyPlaceholders << toQ(range->getString());
            }
            bodyRead = true;
        }
        return bodyPlaceholders;
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
    void replaceInFrame(const Reference<css::text::XText>& text, QString content, const Values& values)
    {
        content.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        static const QRegularExpression re(QString::fromLatin1(kPlaceholderPattern));
        std::vector<QRegularExpressionMatch> hits;
        for (auto it = re.globalMatch(content); it.hasNext();)
            hits.push_back(it.next());
        for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit) {
            const QString* value = nullptr;
            for (const auto& [placeholder, v] : values)
                if (placeholder == hit->captured(0)) {
                    value = &v;
                    break;
                }
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

    void replaceAll(const QString& pattern, const QString& replacement)
    {
        Reference<css::util::XReplaceable> r(doc, UNO_QUERY_THROW);
        Reference<css::util::XReplaceDescriptor> d = r->createReplaceDescriptor();
        Reference<css::beans::XPropertySet>(d, UNO_QUERY_THROW)->setPropertyValue("SearchRegularExpression", Any(true));
        d->setSearchString(toOU(pattern));
        d->setReplaceString(toOU(replacement));
        r->replaceAll(Reference<css::util::XSearchDescriptor>(d, UNO_QUERY_THROW));
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
    impl->doc = loadComponent(toOU(ConvertToURL(impl->path)), args, impl->path);
    if (!Reference<css::text::XTextDocument>(impl->doc, UNO_QUERY).is())
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
    if (call(ErrorKind::CannotLoad, [&] { return TextDocument::restoreRecordedLayout(out.d_->doc); }, out.d_->path))
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
        QStringList out = d_->placeholdersOfBody();
        static const QRegularExpression re(QString::fromLatin1(kPlaceholderPattern));
        d_->frameContents.clear();
        for (const auto& text : d_->frameTexts())
            d_->frameContents << toQ(text->getString());
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
        // The body (with its tables) only for what it holds.
        const QStringList& body = d_->placeholdersOfBody();
        bool written = false;
        for (const auto& [placeholder, value] : values)
            if (body.contains(placeholder)) {
                d_->replaceAll(literalPattern(placeholder), literalReplacement(value));
                written = true;
            }
        d_->bodyRead = false;
        // The frames' texts as the placeholders were looked for, when
        // nothing has been written since: the body's replacing also reaches
        // the frames anchored in its paragraphs.
        const auto& texts = d_->frameTexts();
        const QStringList read = !written && d_->frameContents.size() == qsizetype(texts.size())
                                     ? d_->frameContents
                                     : QStringList();
        d_->frameContents.clear();
        for (size_t i = 0; i < texts.size(); ++i) {
            const QString content = read.isEmpty() ? toQ(texts[i]->getString()) : read[qsizetype(i)];
            for (const auto& [placeholder, value] : values)
                if (content.contains(placeholder)) {
                    d_->replaceInFrame(texts[i], content, values);
                    break;
                }
        }
    });
}

bool TemplateDocument::repeatTableRow(const QString& marker, const QList<Values>& rows, const QList<bool>& bold)
{
    if (!d_)
        throw Error(ErrorKind::Failed, QStringLiteral("документ не открыт"));
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        auto all = d_->tables();
        for (sal_Int32 t = 0; t < all->getCount(); ++t) {
            Reference<css::text::XTextTable> table(all->getByIndex(t), UNO_QUERY_THROW);
            int row = -1;
            for (const OUString& name : table->getCellNames()) {
                Reference<css::text::XText> text(table->getCellByName(name), UNO_QUERY);
                if (text.is() && toQ(text->getString()).contains(marker)) {
                    row = rowOfCellName(toQ(name));
                    break;
                }
            }
            if (row < 0)
                continue;
            d_->bodyRead = false;
            d_->frameContents.clear();

            Reference<css::table::XCellRange> range(table, UNO_QUERY_THROW);
            Reference<css::table::XTableRows> tableRows = table->getRows();
            const int columns = table->getColumns()->getCount();
            QStringList pattern;
            for (int c = 0; c < columns; ++c)
                pattern << cellText(range, c, row);

            const int n = int(rows.size());
            if (n == 0) {
                if (tableRows->getCount() > 1) {
                    tableRows->removeByIndex(row, 1);
                } else {
                    for (int c = 0; c < columns; ++c)
                        Reference<css::text::XText>(range->getCellByPosition(c, row), UNO_QUERY_THROW)->setString({});
                }
                return true;
            }
            if (n > 1)
                tableRows->insertByIndex(row + 1, n - 1);

            Sequence<Sequence<Any>> data(n);
            auto* dataRows = data.getArray();
            for (int r = 0; r < n; ++r) {
                Sequence<Any> line(columns);
                auto* cells = line.getArray();
                for (int c = 0; c < columns; ++c) {
                    QString text = pattern[c];
                    for (const auto& [placeholder, value] : rows[r])
                        text.replace(placeholder, value);
                    cells[c] <<= toOU(text);
                }
                dataRows[r] = line;
            }
            Reference<css::sheet::XCellRangeData> block(range->getCellRangeByPosition(0, row, columns - 1, row + n - 1),
                                                        UNO_QUERY);
            bool written = false;
            if (block.is()) {
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
                        Reference<css::text::XText> cell(range->getCellByPosition(c, row + r), UNO_QUERY);
                        if (cell.is())
                            cell->setString(text);
                    }
            }
            for (int r = 0; r < n && r < bold.size(); ++r)
                if (bold[r])
                    Reference<css::beans::XPropertySet>(range->getCellRangeByPosition(0, row + r, columns - 1, row + r),
                                            UNO_QUERY_THROW)
                        ->setPropertyValue("CharWeight", Any(css::awt::FontWeight::BOLD));
            return true;
        }
        return false;
    });
}

QStringList TemplateDocument::pictureNames() const
{
    if (!d_)
        return {};
    d_->checkOpen();
    return call(ErrorKind::Failed, [&] {
        QStringList out;
        auto page = d_->drawPage();
        for (sal_Int32 i = 0; i < page->getCount(); ++i) {
            Reference<css::container::XNamed> named(page->getByIndex(i), UNO_QUERY);
            if (named.is()
                && (supports(named, "com.sun.star.text.TextGraphicObject")
                    || supports(named, "com.sun.star.drawing.GraphicObjectShape")))
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
        // The objects as found with the frames.
        d_->frameTexts();
        Reference<css::drawing::XDrawPageSupplier> dps(d_->doc, UNO_QUERY_THROW);
        Reference<css::drawing::XShapes> shapes(dps->getDrawPage(), UNO_QUERY_THROW);
        int removed = 0;
        std::vector<int> gone;  // indexes of removed texts in `frames`
        for (auto it = d_->objects.begin(); it != d_->objects.end();) {
            Reference<css::container::XNamed> named(it->object, UNO_QUERY);
            // The name first: it rules out most objects in one call.
            Reference<css::drawing::XShape> shape;
            if (named.is() && toQ(named->getName()).startsWith(prefix)
                && !supports(named, "com.sun.star.text.TextFrame"))
                shape.set(it->object, UNO_QUERY);
            if (!shape.is()) {
                ++it;
                continue;
            }
            shapes->remove(shape);
            ++removed;
            d_->frameCursors.push_back(it->object);
            if (it->frame >= 0) {
                gone.push_back(it->frame);
                d_->frameCursors.push_back(d_->frames[size_t(it->frame)]);
            }
            it = d_->objects.erase(it);
        }
        if (!gone.empty()) {
            // A shape with a text went: its text goes from the frames.
            std::sort(gone.begin(), gone.end(), std::greater<int>());
            for (const int i : gone)
                d_->frames.erase(d_->frames.begin() + i);
            for (auto& object : d_->objects)
                for (const int i : gone)
                    if (object.frame > i)
                        --object.frame;
            d_->frameContents.clear();
        }
        return removed;
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
    d_->shown = true;
    // A headless office has no window to show it in; it stays open there.
    if (Office::instance().headless())
        return;
    setVisible(d_->doc, true);
    activate(d_->doc);
}

void TemplateDocument::close()
{
    if (!d_ || d_->closed)
        return;
    closeComponent(d_->doc);
    d_->closed = true;
}

} // namespace office
