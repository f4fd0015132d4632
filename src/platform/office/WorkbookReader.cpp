#include "platform/office/WorkbookReader.h"

#include "platform/office/Excel.h"
#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/OfficeDesktop.h"
#include "platform/office/SerialDate.h"
#include "platform/office/SheetBuffer.h"
#include "platform/office/XlsRecords.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/task/XStatusIndicator.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatter.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

namespace office {

using namespace office::uno;

namespace {

constexpr long long kMaxCells = 5'000'000;
// Cells asked for in one remote call.
constexpr long long kBlockCells = 65'536;

// The most read of a part of a workbook's package.
constexpr qint64 kLargestPart = 64LL << 20;

// What a numeric cell holds, after its number format.
enum class Kind : unsigned char { Number, Date, Boolean };

[[noreturn]] void tooLarge(const QString& what)
{
    throw Error(ErrorKind::TooLarge, what);
}

// What the office tells of a document it loads, passed on as progress. Its
// calls come on a thread of the office bridge; the document keeps it, so it
// is disarmed once the loading has ended.
class LoadIndicator : public cppu::WeakImplHelper1<css::task::XStatusIndicator> {
public:
    explicit LoadIndicator(WorkbookReader::Progress progress) : progress_(std::move(progress)) {}
    void disarm()
    {
        std::lock_guard lock(mutex_);
        progress_ = nullptr;
    }
    void SAL_CALL start(const OUString&, sal_Int32 range) override
    {
        range_ = std::max<sal_Int32>(range, 0);
        tell(0);
    }
    void SAL_CALL end() override { tell(range_); }
    void SAL_CALL setText(const OUString&) override {}
    void SAL_CALL setValue(sal_Int32 value) override { tell(std::max<sal_Int32>(value, 0)); }
    void SAL_CALL reset() override {}

private:
    void tell(sal_Int32 value)
    {
        std::lock_guard lock(mutex_);
        if (progress_ && range_ > 0)
            progress_(std::min(value, range_), range_);
    }
    std::mutex mutex_;
    WorkbookReader::Progress progress_;
    sal_Int32 range_ = 0;
};

// The text the office exports for a sheet into a folder of its own, read
// and parsed while the office writes it, every tenth of a second on a
// thread of its own, with the rows parsed so far told as progress.
class ExportReader {
public:
    ExportReader(const QString& folder, long long rows, const WorkbookReader::Progress& progress)
        : folder_(folder), rows_(rows), progress_(progress)
    {
        if (progress_)
            progress_(0, rows_);
        thread_ = std::thread([this] {
            for (;;) {
                {
                    std::unique_lock lock(mutex_);
                    if (stopped_.wait_for(lock, std::chrono::milliseconds(kEveryMs), [this] { return stop_; }))
                        return;
                }
                readMore();
            }
        });
    }
    ~ExportReader() { stop(); }
    ExportReader(const ExportReader&) = delete;
    ExportReader& operator=(const ExportReader&) = delete;

    // Once the export has ended: the rows of the file it wrote (the only one
    // in the folder). Read anew from its start when what was read while it
    // was written is not that file.
    QList<QStringList> rows()
    {
        stop();
        const QStringList names = QDir(folder_).entryList(QDir::Files);
        if (names.isEmpty())
            return {};
        const QString path = QDir(folder_).filePath(names.first());
        if (!file_.isOpen() || QFileInfo(file_.fileName()).fileName() != names.first()) {
            file_.close();
            parser_ = detail::SheetTextParser();
        }
        if (!file_.isOpen()) {
            file_.setFileName(path);
            if (!file_.open(QIODevice::ReadOnly))
                return {};
        }
        readMore();
        parser_.finish();
        return parser_.takeRows();
    }

private:
    void stop()
    {
        if (!thread_.joinable())
            return;
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        stopped_.notify_all();
        thread_.join();
    }

    void readMore()
    {
        if (!file_.isOpen()) {
            const QStringList names = QDir(folder_).entryList(QDir::Files);
            if (names.isEmpty())
                return;
            file_.setFileName(QDir(folder_).filePath(names.first()));
            if (!file_.open(QIODevice::ReadOnly))
                return;
        }
        const QByteArray more = file_.readAll();
        if (more.isEmpty())
            return;
        parser_.feed(more);
        if (progress_)
            progress_(std::min<long long>(parser_.rowCount(), rows_), rows_);
    }

    static constexpr int kEveryMs = 100;
    QString folder_;
    long long rows_;
    WorkbookReader::Progress progress_;
    QFile file_;
    detail::SheetTextParser parser_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
};

} // namespace

struct WorkbookReader::Impl {
    Reference<css::lang::XComponent> document;
    QString what;  // the file, for messages
    QStringList names;
    int active = 0;
    QDate nullDate{1899, 12, 30};
    bool closed = false;
    // An .xls file's own records, and per sheet its index among them (-1
    // when the file has no sheet of that name).
    std::optional<detail::XlsRecords> xls;
    std::vector<int> xlsSheets;
    // Texts of an .xlsx file that held carriage returns, by the text the
    // office made of them (which has none).
    QHash<QString, QString> carriageReturns;
    // An .xlsx file: its package, and per sheet name the part that holds
    // the sheet, whose error cells are read as saved.
    QString packageUrl;
    QHash<QString, QString> xlsxSheetParts;

    // The errors an .xlsx file saved in a sheet (0-based index), in the
    // rows top..bottom and the columns 0..lastColumn.
    std::vector<detail::SavedResult> xlsxErrors(int index, int top, int bottom, int lastColumn) const;

    ~Impl() { close(); }

    void close()
    {
        if (closed)
            return;
        closed = true;
        closeComponent(document);
        document.clear();
    }

    // Runs one step of the work under the reading office's limits. An
    // office that exceeded them was killed: the step is refused as too
    // large, the workbook is gone and a new office is started. Other
    // failures of the office are turned into office::Error of `kind`.
    template <class F>
    auto guarded(ErrorKind kind, F&& f)
    {
        Office& office = Office::reader();
        Office::Guard guard(office);
        // `lost`: the office's own failure said that it went away.
        auto refuse = [&](bool lost) {
            if (guard.exceeded() != Office::Guard::Exceeded::None) {
                closed = true;
                document.clear();
                try {
                    office.ensureRunning();
                } catch (const Error&) {
                    // Told when the office is needed next.
                }
                tooLarge(what);
            }
            if (lost || !connectedTo(office)) {
                closed = true;
                document.clear();
                // The bridge's own words say nothing of the cause.
                throw Error(ErrorKind::ConnectionLost);
            }
        };
        try {
            // The office may have been killed just as the step ended.
            if constexpr (std::is_void_v<decltype(f())>) {
                f();
                refuse(false);
            } else {
                auto result = f();
                refuse(false);
                return result;
            }
        } catch (const css::uno::Exception& e) {
            refuse(officeLost(office, e));
            QString detail = what;
            if (const QString said = plainOfficeText(toQ(e.Message)); !said.isEmpty())
                detail += QStringLiteral(" (") + said + QLatin1Char(')');
            throw Error(kind, detail);
        } catch (const Error&) {
            refuse(false);
            throw;
        }
    }

    void checkOpen() const
    {
        if (closed || !document.is())
            throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    }

    Reference<css::sheet::XSpreadsheet> sheet(int index) const
    {
        Reference<css::sheet::XSpreadsheetDocument> sd(document, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
        return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(index), UNO_QUERY_THROW);
    }

    // Last used row and column, 0-based; (-1, -1) for an empty sheet.
    static std::pair<int, int> lastCell(const Reference<css::sheet::XSpreadsheet>& sheet)
    {
        auto cursor = sheet->createCursor();
        Reference<css::sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
        const auto end = Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
        if (end.EndRow == 0 && end.EndColumn == 0) {
            // An empty sheet still reports its first cell as used.
            Reference<css::table::XCell> first = sheet->getCellByPosition(0, 0);
            if (first->getType() == css::table::CellContentType_EMPTY)
                return {-1, -1};
        }
        return {end.EndRow, end.EndColumn};
    }

    QString sheetName(int index) const
    {
        if (index < 0 || index >= names.size())
            throw Error(ErrorKind::NotFound, QStringLiteral("лист %1").arg(index + 1));
        return names.at(index);
    }

    SheetTexts read(int index, Reading reading, int firstRow, int rowCount, const Progress& progress);
    // `saved`: the formula results an .xls file saved, ordered by row and
    // column.
    void readValues(const Reference<css::sheet::XSpreadsheet>& sheet, int top, int bottom, int lastColumn,
                    const std::vector<detail::SavedResult>& saved, QList<QStringList>& out);
    // The rows of the sheet as shown; `sheetRows` rows are exported, and
    // `progress` is told how many of them have been read so far.
    QList<QStringList> shownTexts(int index, long long sheetRows, const Progress& progress);
    // The saved results of an .xls file written over the texts the office
    // shows for its recalculation, each in its cell's number format.
    void showSaved(const Reference<css::sheet::XSpreadsheet>& sheet, int top, int bottom, int lastColumn,
                   const std::vector<detail::SavedResult>& saved, QList<QStringList>& rows);
};

namespace {

// The number format types of the document, asked for once per key.
class FormatKinds {
public:
    explicit FormatKinds(const Reference<css::lang::XComponent>& doc)
        : formats_(Reference<css::util::XNumberFormatsSupplier>(doc, UNO_QUERY_THROW)->getNumberFormats())
    {
    }

    Kind of(sal_Int32 key)
    {
        auto it = kinds_.find(key);
        if (it != kinds_.end())
            return it->second;
        sal_Int16 type = css::util::NumberFormat::NUMBER;
        try {
            formats_->getByKey(key)->getPropertyValue("Type") >>= type;
        } catch (const css::lang::IllegalArgumentException&) {
        }
        Kind k = Kind::Number;
        if (type & (css::util::NumberFormat::DATE | css::util::NumberFormat::TIME))
            k = Kind::Date;
        else if (type & css::util::NumberFormat::LOGICAL)
            k = Kind::Boolean;
        kinds_[key] = k;
        return k;
    }

private:
    Reference<css::util::XNumberFormats> formats_;
    std::map<sal_Int32, Kind> kinds_;
};

// The texts of the office's own escapes: a tab inside a cell comes as the
// character that marks a field of the cell's text.
QString cellText(const OUString& s)
{
    QString text = toQ(s);
    text.replace(QChar(0x0001), QLatin1Char('\t'));
    return text;
}

// A part of the package (zip) at `url`, read by the office; empty when there
// is none or it is larger than kLargestPart.
QByteArray packagePart(const QString& url, const char* name)
{
    auto ctx = contextOf(Office::reader());
    css::uno::Sequence<Any> args(1);
    args.getArray()[0] <<= toOU(url);
    Reference<css::container::XNameAccess> package(
        ctx->getServiceManager()->createInstanceWithArgumentsAndContext(
            "com.sun.star.packages.zip.ZipFileAccess", args, ctx),
        UNO_QUERY);
    const OUString part = OUString::createFromAscii(name);
    if (!package.is() || !package->hasByName(part))
        return {};
    Reference<css::io::XInputStream> in(package->getByName(part), UNO_QUERY);
    if (!in.is())
        return {};
    QByteArray out;
    css::uno::Sequence<sal_Int8> chunk;
    while (in->readBytes(chunk, 1 << 20) > 0) {
        out.append(reinterpret_cast<const char*>(chunk.getConstArray()), chunk.getLength());
        if (out.size() > kLargestPart)
            return {};
    }
    return out;
}

// The sheet a spreadsheet package (.ods) was saved with active, from its
// view settings; empty when it names none.
QString savedActiveTable(const QByteArray& settings)
{
    QXmlStreamReader xml(settings);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("config-item")
            && xml.attributes().value(QLatin1String("config:name")) == QLatin1String("ActiveTable"))
            return xml.readElementText();
    }
    return {};
}

// Replaces the escapes of characters (_xHHHH_) in a text of a workbook.
QString unescapeXlsx(const QString& text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        out += QChar(m.captured(1).toUShort(nullptr, 16));
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

// The shared texts of a workbook (.xlsx) that hold an escaped carriage
// return, keyed by the text the office reads for them: carriage returns
// taken out, a line break for a lone one. A key that other texts of the
// workbook share is left out: such a cell cannot be told apart.
QHash<QString, QString> carriageReturnTexts(const QByteArray& sharedStrings)
{
    QHash<QString, QString> out;
    QSet<QString> plain;
    QXmlStreamReader xml(sharedStrings);
    QString text;
    bool inPhonetic = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("si"))
                text.clear();
            else if (xml.name() == QLatin1String("rPh"))
                inPhonetic = true;
            else if (xml.name() == QLatin1String("t") && !inPhonetic)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("rPh"))
                inPhonetic = false;
            else if (xml.name() == QLatin1String("si")) {
                const QString value = unescapeXlsx(text);
                QString shown = value;
                shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
                if (value.contains(QLatin1Char('\r'))) {
                    if (out.contains(shown) && out.value(shown) != value)
                        plain.insert(shown);
                    out.insert(shown, value);
                } else {
                    plain.insert(shown);
                }
            }
        }
    }
    for (const QString& key : std::as_const(plain))
        out.remove(key);
    return out;
}

// The part of each sheet of a workbook (.xlsx) by the sheet's name, from
// the workbook part and its relationships.
QHash<QString, QString> xlsxSheetParts(const QByteArray& workbook, const QByteArray& relations)
{
    QHash<QString, QString> targets;  // relationship id -> part
    QXmlStreamReader rels(relations);
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == QLatin1String("Relationship")) {
            QString target = rels.attributes().value(QLatin1String("Target")).toString();
            // Targets are relative to the folder of the workbook part, or
            // absolute within the package.
            target = target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
            targets.insert(rels.attributes().value(QLatin1String("Id")).toString(), QDir::cleanPath(target));
        }
    }
    QHash<QString, QString> out;
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("sheet"))
            continue;
        QString id;
        for (const QXmlStreamAttribute& a : xml.attributes())
            if (a.name() == QLatin1String("id"))  // r:id, whatever the prefix
                id = a.value().toString();
        const QString part = targets.value(id);
        if (!part.isEmpty())
            out.insert(xml.attributes().value(QLatin1String("name")).toString(), part);
    }
    return out;
}

// The 0-based row and column of a cell reference such as "AB12"; false when
// it is none.
bool cellPosition(QStringView ref, int& row, int& column)
{
    int c = 0, i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1)
        return false;
    row = r - 1;
    column = c - 1;
    return true;
}

// The error cells (t="e") of a worksheet part with the texts saved for
// them, ordered by row and column.
std::vector<detail::SavedResult> xlsxErrorCells(const QByteArray& sheet)
{
    std::vector<detail::SavedResult> out;
    // Most sheets hold no error: the part is then not parsed at all.
    if (!sheet.contains("t=\"e\"") && !sheet.contains("t='e'"))
        return out;
    QXmlStreamReader xml(sheet);
    int row = -1, column = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("row")) {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            row = r.isEmpty() ? row + 1 : r.toInt() - 1;
            column = -1;
        } else if (xml.name() == QLatin1String("c")) {
            const auto attributes = xml.attributes();
            int r = row, c = column + 1;
            if (!cellPosition(attributes.value(QLatin1String("r")), r, c)) {
                r = row;
                c = column + 1;
            }
            column = c;
            if (attributes.value(QLatin1String("t")) != QLatin1String("e"))
                continue;
            QString text;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("v"))
                    text = xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
            if (r >= 0 && c >= 0 && !text.isEmpty())
                out.push_back(detail::SavedResult{r, c, detail::SavedResult::Error, 0, text});
        }
    }
    return out;
}

} // namespace

std::vector<detail::SavedResult> WorkbookReader::Impl::xlsxErrors(int index, int top, int bottom, int lastColumn) const
{
    const QString part = xlsxSheetParts.value(names.value(index));
    if (part.isEmpty())
        return {};
    std::vector<detail::SavedResult> out;
    for (detail::SavedResult& e : xlsxErrorCells(packagePart(packageUrl, part.toUtf8().constData())))
        if (e.row >= top && e.row <= bottom && e.column <= lastColumn)
            out.push_back(std::move(e));
    return out;
}

void WorkbookReader::Impl::readValues(const Reference<css::sheet::XSpreadsheet>& sheet, int top, int bottom,
                                      int lastColumn, const std::vector<detail::SavedResult>& saved,
                                      QList<QStringList>& out)
{
    const int columns = lastColumn + 1;
    auto range = sheet->getCellRangeByPosition(0, top, lastColumn, bottom);
    const auto data = Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();

    // Numeric cells that are dates or Booleans, by their number formats.
    const int rows = bottom - top + 1;
    std::vector<Kind> kinds(size_t(rows) * columns, Kind::Number);
    auto mark = [&](const Reference<css::sheet::XSheetCellRanges>& ranges, Kind kind) {
        if (!ranges.is())
            return;
        for (const auto& a : ranges->getRangeAddresses())
            for (int r = std::max(a.StartRow, top); r <= std::min(a.EndRow, bottom); ++r)
                for (int c = a.StartColumn; c <= std::min(int(a.EndColumn), lastColumn); ++c)
                    kinds[size_t(r - top) * columns + c] = kind;
    };
    FormatKinds formatKinds(document);
    Reference<css::container::XIndexAccess> byFormat =
        Reference<css::sheet::XUniqueCellFormatRangesSupplier>(range, UNO_QUERY_THROW)->getUniqueCellFormatRanges();
    for (sal_Int32 i = 0; i < byFormat->getCount(); ++i) {
        Reference<css::sheet::XSheetCellRanges> ranges(byFormat->getByIndex(i), UNO_QUERY_THROW);
        sal_Int32 key = 0;
        Reference<css::beans::XPropertySet>(ranges, UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= key;
        const Kind kind = formatKinds.of(key);
        if (kind != Kind::Number)
            mark(ranges, kind);
    }
    // Formulas that gave an error read as the error's text.
    std::map<std::pair<int, int>, QString> errors;
    auto errorCells = Reference<css::sheet::XCellRangesQuery>(range, UNO_QUERY_THROW)
                          ->queryFormulaCells(css::sheet::FormulaResult::ERROR);
    if (errorCells.is()) {
        for (const auto& a : errorCells->getRangeAddresses())
            for (int r = a.StartRow; r <= a.EndRow; ++r)
                for (int c = a.StartColumn; c <= a.EndColumn; ++c) {
                    Reference<css::text::XTextRange> cell(sheet->getCellByPosition(c, r), UNO_QUERY_THROW);
                    errors[{r, c}] = toQ(cell->getString());
                }
    }

    // The results an .xls file saved for its formulas, in place of the
    // office's recalculation.
    std::map<std::pair<int, int>, const detail::SavedResult*> savedHere;
    const auto byRow = [](const detail::SavedResult& r, int row) { return r.row < row; };
    for (auto it = std::lower_bound(saved.begin(), saved.end(), top, byRow); it != saved.end() && it->row <= bottom; ++it)
        savedHere[{it->row, it->column}] = &*it;

    auto numberText = [&](double d, Kind kind) {
        switch (kind) {
        case Kind::Date: return excelValueText(dateOfSerial(d, nullDate));
        case Kind::Boolean: return excelValueText(QVariant(d != 0));
        default: return excelValueText(d);
        }
    };
    for (int r = 0; r < rows; ++r) {
        const auto& line = data[r];
        QStringList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const Any& v = line[c];
            const Kind kind = kinds[size_t(r) * columns + c];
            auto result = savedHere.find({top + r, c});
            if (result != savedHere.end()) {
                const detail::SavedResult& s = *result->second;
                switch (s.type) {
                case detail::SavedResult::Number: row << numberText(s.number, kind); break;
                case detail::SavedResult::Boolean: row << excelValueText(QVariant(s.number != 0)); break;
                case detail::SavedResult::Text: row << cellText(toOU(s.text)); break;
                case detail::SavedResult::Error: row << s.text; break;
                case detail::SavedResult::Empty: row << QString(); break;
                }
                continue;
            }
            auto error = errors.find({top + r, c});
            if (error != errors.end()) {
                row << error->second;
                continue;
            }
            double d = 0;
            if (v.getValueTypeClass() == css::uno::TypeClass_DOUBLE && (v >>= d)) {
                row << numberText(d, kind);
                continue;
            }
            OUString s;
            v >>= s;
            QString text = cellText(s);
            if (!carriageReturns.isEmpty() && text.contains(QLatin1Char('\n')))
                text = carriageReturns.value(text, text);
            row << text;
        }
        out << row;
    }
}

void WorkbookReader::Impl::showSaved(const Reference<css::sheet::XSpreadsheet>& sheet, int top, int bottom,
                                     int lastColumn, const std::vector<detail::SavedResult>& saved,
                                     QList<QStringList>& rows)
{
    // The number format of each cell that has a saved result.
    std::map<std::pair<int, int>, sal_Int32> keys;
    const auto byRow = [](const detail::SavedResult& r, int row) { return r.row < row; };
    auto range = sheet->getCellRangeByPosition(0, top, lastColumn, bottom);
    Reference<css::container::XIndexAccess> byFormat =
        Reference<css::sheet::XUniqueCellFormatRangesSupplier>(range, UNO_QUERY_THROW)->getUniqueCellFormatRanges();
    for (sal_Int32 i = 0; i < byFormat->getCount(); ++i) {
        Reference<css::sheet::XSheetCellRanges> ranges(byFormat->getByIndex(i), UNO_QUERY_THROW);
        sal_Int32 key = 0;
        Reference<css::beans::XPropertySet>(ranges, UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= key;
        if (key == 0)
            continue;  // the standard format, the one a cell without an entry gets
        for (const auto& a : ranges->getRangeAddresses())
            for (auto it = std::lower_bound(saved.begin(), saved.end(), int(a.StartRow), byRow);
                 it != saved.end() && it->row <= a.EndRow; ++it)
                if (it->column >= a.StartColumn && it->column <= a.EndColumn)
                    keys[{it->row, it->column}] = key;
    }
    auto context = contextOf(Office::reader());
    Reference<css::util::XNumberFormatter> formatter(
        context->getServiceManager()->createInstanceWithContext("com.sun.star.util.NumberFormatter", context),
        UNO_QUERY_THROW);
    Reference<css::util::XNumberFormatsSupplier> supplier(document, UNO_QUERY_THROW);
    formatter->attachNumberFormatsSupplier(supplier);
    const sal_Int32 logical = Reference<css::util::XNumberFormatTypes>(supplier->getNumberFormats(), UNO_QUERY_THROW)
                                  ->getStandardFormat(css::util::NumberFormat::LOGICAL, css::lang::Locale());

    for (const detail::SavedResult& r : saved) {
        const int at = r.row - top;
        if (at < 0 || at >= rows.size() || r.column >= rows.at(at).size())
            continue;
        const auto key = keys.find({r.row, r.column});
        QString text;
        switch (r.type) {
        case detail::SavedResult::Number:
            text = toQ(formatter->convertNumberToString(key == keys.end() ? 0 : key->second, r.number));
            break;
        case detail::SavedResult::Boolean:
            text = toQ(formatter->convertNumberToString(logical, r.number));
            break;
        case detail::SavedResult::Text: text = cellText(toOU(r.text)); break;
        case detail::SavedResult::Error: text = r.text; break;
        case detail::SavedResult::Empty: break;
        }
        rows[at][r.column] = text;
    }
}

QList<QStringList> WorkbookReader::Impl::shownTexts(int index, long long sheetRows, const Progress& progress)
{
    // The texts as shown come from the office's text export of this one
    // sheet: one call instead of one per cell.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw Error(ErrorKind::Failed, QStringLiteral("временная папка недоступна"));
    const QString url = QUrl::fromLocalFile(dir.filePath(QStringLiteral("sheet.csv"))).toString(QUrl::FullyEncoded);
    // The export names the file after the sheet; it is the only one there.
    ExportReader reader(dir.path(), sheetRows, progress);
    Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
        ->storeToURL(toOU(url),
                     props({{"FilterName", Any(OUString("Text - txt - csv (StarCalc)"))},
                            {"FilterOptions",
                             Any(toOU(QStringLiteral("9,34,76,1,,0,true,false,true,false,false,%1").arg(index + 1)))},
                            {"Overwrite", Any(true)}}));
    QList<QStringList> rows = reader.rows();
    for (QStringList& row : rows)
        for (QString& text : row)
            if (text.contains(QChar(0x0001)))
                text.replace(QChar(0x0001), QLatin1Char('\t'));
    return rows;
}

SheetTexts WorkbookReader::Impl::read(int index, Reading reading, int firstRow, int rowCount, const Progress& progress)
{
    checkOpen();
    SheetTexts out;
    out.name = sheetName(index);
    out.firstRow = std::max(1, firstRow);
    guarded(ErrorKind::Failed, [&] {
        const auto s = sheet(index);
        const auto [lastRow, lastColumn] = lastCell(s);
        const int top = out.firstRow - 1;
        const int bottom = rowCount < 0 ? lastRow : std::min(lastRow, top + rowCount - 1);
        if (bottom < top)
            return;
        const long long cells = (long long)(bottom - top + 1) * (lastColumn + 1);
        if (cells > kMaxCells)
            tooLarge(what + QStringLiteral(" (лист \"%1\": %2 строк, %3 столбцов)")
                                .arg(out.name)
                                .arg(lastRow + 1)
                                .arg(lastColumn + 1));
        std::vector<detail::SavedResult> saved;
        if (xls && index < int(xlsSheets.size()) && xlsSheets[size_t(index)] >= 0)
            saved = xls->formulaResults(xlsSheets[size_t(index)], top, bottom, lastColumn);
        else if (!xlsxSheetParts.isEmpty())
            saved = xlsxErrors(index, top, bottom, lastColumn);  // the office words errors its own way
        std::stable_sort(saved.begin(), saved.end(), [](const auto& a, const auto& b) {
            return std::pair(a.row, a.column) < std::pair(b.row, b.column);
        });
        if (reading == Reading::ExcelValues) {
            const int step = int(std::max<long long>(1, kBlockCells / (lastColumn + 1)));
            for (int r = top; r <= bottom; r += step) {
                readValues(s, r, std::min(bottom, r + step - 1), lastColumn, saved, out.rows);
                if (progress)
                    progress(out.rows.size(), bottom - top + 1);
            }
            return;
        }
        QList<QStringList> shown = shownTexts(index, lastRow + 1, progress);
        out.rows.reserve(bottom - top + 1);
        for (int r = top; r <= bottom; ++r) {
            QStringList row = r < shown.size() ? std::move(shown[r]) : QStringList();
            if (row.size() > lastColumn + 1)
                row.resize(lastColumn + 1);
            while (row.size() <= lastColumn)
                row << QString();
            out.rows << std::move(row);
        }
        if (!saved.empty())
            showSaved(s, top, bottom, lastColumn, saved, out.rows);
        if (progress)
            progress(out.rows.size(), bottom - top + 1);
    });
    return out;
}

QString SheetTexts::cell(int row, int column) const
{
    const int index = row - firstRow;
    if (index < 0 || index >= rows.size())
        return {};
    const QStringList& line = rows.at(index);
    if (column < 1 || column > line.size())
        return {};
    return line.at(column - 1);
}

WorkbookReader WorkbookReader::open(const QString& path, const Progress& progress)
{
    WorkbookReader out;
    out.d_ = std::make_shared<Impl>();
    Impl& d = *out.d_;
    const QString url = ConvertToURL(path);
    const QUrl u(url);
    d.what = u.isLocalFile() ? u.toLocalFile() : path;
    auto desktop = desktopOf(Office::reader());
    rtl::Reference<LoadIndicator> indicator(progress ? new LoadIndicator(progress) : nullptr);
    struct Disarm {
        rtl::Reference<LoadIndicator>& indicator;
        ~Disarm()
        {
            if (indicator.is())
                indicator->disarm();
        }
    } disarm{indicator};
    d.guarded(ErrorKind::CannotLoad, [&] {
        Props args = props({{"Hidden", Any(true)},
                            {"ReadOnly", Any(true)},
                            {"MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)},
                            {"UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))}});
        if (indicator.is()) {
            args.realloc(args.getLength() + 1);
            args.getArray()[args.getLength() - 1] = css::beans::PropertyValue(
                "StatusIndicator", 0, Any(Reference<css::task::XStatusIndicator>(indicator.get())),
                css::beans::PropertyState_DIRECT_VALUE);
        }
        d.document = desktop->loadComponentFromURL(toOU(url), "_blank", 0, args);
        if (!d.document.is())
            throw Error(ErrorKind::CannotLoad, d.what);
        Reference<css::sheet::XSpreadsheetDocument> sd(d.document, UNO_QUERY);
        if (!sd.is())
            throw Error(ErrorKind::CannotLoad, d.what + QStringLiteral(" (не электронная таблица)"));
        for (const auto& n : sd->getSheets()->getElementNames())
            d.names << toQ(n);
        css::util::Date nd(30, 12, 1899);
        Reference<css::beans::XPropertySet>(d.document, UNO_QUERY_THROW)->getPropertyValue("NullDate") >>= nd;
        d.nullDate = QDate(nd.Year, nd.Month, nd.Day);
        // An .xls file opens on its first sheet: the active one is read from
        // the file.
        d.xls = detail::XlsRecords::read(d.what);
        if (d.xls) {
            for (const QString& name : std::as_const(d.names))
                d.xlsSheets.push_back(int(d.xls->sheetNames().indexOf(name)));
            const int active = int(d.names.indexOf(d.xls->sheetNames().value(d.xls->activeSheet())));
            if (active >= 0)
                d.active = active;
            return;
        }
        Reference<css::frame::XModel> model(d.document, UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
        if (view.is()) {
            const QString active =
                toQ(Reference<css::container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName());
            d.active = std::max(0, int(d.names.indexOf(active)));
        }
        const QString suffix = QFileInfo(d.what).suffix().toLower();
        if (suffix == QLatin1String("xlsx")) {
            d.carriageReturns = carriageReturnTexts(packagePart(url, "xl/sharedStrings.xml"));
            d.packageUrl = url;
            d.xlsxSheetParts =
                xlsxSheetParts(packagePart(url, "xl/workbook.xml"), packagePart(url, "xl/_rels/workbook.xml.rels"));
        } else if (suffix == QLatin1String("ods") || suffix == QLatin1String("ots")) {
            // A hidden document opens on its first sheet.
            const int active = int(d.names.indexOf(savedActiveTable(packagePart(url, "settings.xml"))));
            if (active >= 0)
                d.active = active;
        }
    });
    return out;
}

bool WorkbookReader::isOpen() const
{
    return d_ && !d_->closed && d_->document.is();
}

QStringList WorkbookReader::sheetNames() const
{
    if (!isOpen())
        throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    return d_->names;
}

int WorkbookReader::activeSheet() const
{
    if (!isOpen())
        throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    return d_->active;
}

SheetExtent WorkbookReader::extent(int sheetIndex) const
{
    if (!isOpen())
        throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    d_->sheetName(sheetIndex);
    return d_->guarded(ErrorKind::Failed, [&] {
        const auto [row, column] = Impl::lastCell(d_->sheet(sheetIndex));
        return SheetExtent{row + 1, column + 1};
    });
}

SheetTexts WorkbookReader::read(int sheetIndex, Reading reading, const Progress& progress) const
{
    return read(sheetIndex, reading, 1, -1, progress);
}

SheetTexts WorkbookReader::read(const QString& sheetName, Reading reading, const Progress& progress) const
{
    const int index = int(sheetNames().indexOf(sheetName));
    if (index < 0)
        throw Error(ErrorKind::NotFound, QStringLiteral("лист \"%1\"").arg(sheetName));
    return read(index, reading, progress);
}

SheetTexts WorkbookReader::read(int sheetIndex, Reading reading, int firstRow, int rowCount,
                                const Progress& progress) const
{
    if (!isOpen())
        throw Error(ErrorKind::Failed, QStringLiteral("книга не открыта"));
    return d_->read(sheetIndex, reading, firstRow, rowCount, progress);
}

long long WorkbookReader::maxCells()
{
    return kMaxCells;
}

void WorkbookReader::close()
{
    if (d_)
        d_->close();
}

} // namespace office
