// Reading workbooks with the values their makers saved: formula dates, the
// saved active sheet, saved formula results, Booleans, errors, tabs and
// carriage returns inside cells, and a file too large to be read.
#include "OfficeFixtures.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/WorkbookReader.h"
#include "platform/office/XlsRecords.h"

#include "support/TestSupport.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>


#include <array>
#include <cstring>

using namespace office;

namespace {

// A zip archive of stored (uncompressed) entries, as the office packages
// want them: enough for a workbook written by hand.
class StoredZip {
public:
    void add(const QByteArray& name, const QByteArray& data)
    {
        const quint32 crc = crc32(data);
        const quint32 offset = quint32(out_.size());
        auto header = [&](bool central) {
            QByteArray h;
            put32(h, central ? 0x02014b50 : 0x04034b50);
            if (central)
                put16(h, 20);
            put16(h, 20);   // version needed
            put16(h, 0x0800);  // names in UTF-8
            put16(h, 0);    // stored
            put16(h, 0);
            put16(h, 0x21);  // 1980-01-01
            put32(h, crc);
            put32(h, quint32(data.size()));
            put32(h, quint32(data.size()));
            put16(h, quint16(name.size()));
            put16(h, 0);
            if (central) {
                put16(h, 0);
                put16(h, 0);
                put16(h, 0);
                put32(h, 0);
                put32(h, offset);
            }
            return h + name;
        };
        out_ += header(false) + data;
        central_ += header(true);
        ++count_;
    }

    bool write(const QString& path) const
    {
        QByteArray all = out_ + central_;
        put32(all, 0x06054b50);
        put16(all, 0);
        put16(all, 0);
        put16(all, count_);
        put16(all, count_);
        put32(all, quint32(central_.size()));
        put32(all, quint32(out_.size()));
        put16(all, 0);
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(all) == all.size();
    }

private:
    static void put16(QByteArray& b, quint16 v)
    {
        b.append(char(v & 0xff)).append(char(v >> 8));
    }
    static void put32(QByteArray& b, quint32 v)
    {
        put16(b, quint16(v & 0xffff));
        put16(b, quint16(v >> 16));
    }
    static quint32 crc32(const QByteArray& data)
    {
        static const auto table = [] {
            std::array<quint32, 256> t{};
            for (quint32 i = 0; i < 256; ++i) {
                quint32 c = i;
                for (int k = 0; k < 8; ++k)
                    c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[i] = c;
            }
            return t;
        }();
        quint32 c = 0xFFFFFFFFu;
        for (char ch : data)
            c = table[(c ^ quint8(ch)) & 0xff] ^ (c >> 8);
        return c ^ 0xFFFFFFFFu;
    }

    QByteArray out_;
    QByteArray central_;
    quint16 count_ = 0;
};

const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A workbook as the spreadsheet program of the other maker saves it: the
// given sheets (name, sheetData rows), shared strings (the contents of
// each <si>), the second style a short date; `activeTab` 0-based.
void writeXlsx(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& sheets, const QList<QByteArray>& strings,
               int activeTab, bool date1904)
{
    StoredZip zip;
    QByteArray types = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                       "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                       "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
                       "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>";
    QByteArray workbookRels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    QByteArray sheetList;
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n
            + ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        workbookRels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRel + "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        sheetList += "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        zip.add("xl/worksheets/sheet" + n + ".xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel
                    + "\"><sheetData>" + sheets[i].second + "</sheetData></worksheet>");
    }
    types += "</Types>";
    workbookRels += "<Relationship Id=\"rIdS\" Type=\"" + kRel + "/styles\" Target=\"styles.xml\"/>"
                    "<Relationship Id=\"rIdT\" Type=\"" + kRel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    zip.add("[Content_Types].xml", types);
    zip.add("_rels/.rels",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" + kRel + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
            "<Relationship Id=\"rId2\" Type=\"" + kRel + "/extended-properties\" Target=\"docProps/app.xml\"/></Relationships>");
    zip.add("docProps/app.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
            "<Application>Microsoft Excel</Application><AppVersion>16.0300</AppVersion></Properties>");
    zip.add("xl/workbook.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel + "\">"
                + (date1904 ? QByteArray("<workbookPr date1904=\"1\"/>") : QByteArray("<workbookPr/>"))
                + "<bookViews><workbookView activeTab=\"" + QByteArray::number(activeTab) + "\"/></bookViews><sheets>" + sheetList
                + "</sheets><calcPr calcId=\"191029\"/></workbook>");
    zip.add("xl/_rels/workbook.xml.rels", workbookRels);
    zip.add("xl/styles.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet xmlns=\"" + kMain + "\">"
            "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
            "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
            "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
            "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
            "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
            "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>");
    QByteArray sst = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"" + kMain + "\" count=\""
        + QByteArray::number(strings.size()) + "\" uniqueCount=\"" + QByteArray::number(strings.size()) + "\">";
    for (const QByteArray& s : strings)
        sst += "<si>" + s + "</si>";
    zip.add("xl/sharedStrings.xml", sst + "</sst>");
    ASSERT_TRUE(zip.write(path));
}

// The sheet read: every kind of value, each with the text the other
// maker's program gives as the cell's value. The saved results of the two
// formulas in row 5 are not what a recalculation would give.
const QByteArray kValueRows =
    "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>39944</v></c><c r=\"B1\" s=\"1\"><f>A1+7</f><v>39951</v></c></row>"
    "<row r=\"2\"><c r=\"A2\" t=\"b\"><v>1</v></c><c r=\"B2\" t=\"b\"><f>NOT(A2)</f><v>0</v></c></row>"
    "<row r=\"3\"><c r=\"A3\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c><c r=\"B3\" t=\"e\"><v>#N/A</v></c></row>"
    "<row r=\"4\"><c r=\"A4\" t=\"s\"><v>0</v></c><c r=\"B4\" t=\"s\"><v>1</v></c></row>"
    "<row r=\"5\"><c r=\"A5\"><f>2+2</f><v>5</v></c><c r=\"B5\"><f>Unbekannt*2</f><v>9876</v></c></row>";
const QList<QByteArray> kValueStrings = {
    "<r><t xml:space=\"preserve\">a\t</t></r><r><rPr><b/></rPr><t>b</t></r>",  // in two runs, one bold
    "<t>c_x000D_\nd</t>"};
const char* const kExcelValues[5][2] = {
    {"11.05.2009", "18.05.2009"},
    {"True", "False"},
    {"#DIV/0!", "#N/A"},
    {"a\tb", "c\r\nd"},
    {"5", "9876"},
};

// A spreadsheet package as Calc saves it, around the given body of the
// spreadsheet (tables) and the name of the sheet active when it was saved.
void writeOds(const QString& path, const QByteArray& tables, const QByteArray& activeSheet)
{
    const QByteArray ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                          "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                          "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                          "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
                          "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
                          "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\" ";
    StoredZip zip;
    zip.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    zip.add("META-INF/manifest.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
            "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
            "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
            "<manifest:file-entry manifest:full-path=\"settings.xml\" manifest:media-type=\"text/xml\"/>"
            "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>"
            "</manifest:manifest>");
    zip.add("content.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content " + ns + "office:version=\"1.2\">"
            "<office:automatic-styles><number:date-style style:name=\"N1\"><number:day number:style=\"long\"/><number:text>.</number:text>"
            "<number:month number:style=\"long\"/><number:text>.</number:text><number:year number:style=\"long\"/></number:date-style>"
            "<number:boolean-style style:name=\"N2\"><number:boolean/></number:boolean-style>"
            "<style:style style:name=\"ce1\" style:family=\"table-cell\" style:parent-style-name=\"Default\" style:data-style-name=\"N1\"/>"
            "<style:style style:name=\"ce2\" style:family=\"table-cell\" style:parent-style-name=\"Default\" style:data-style-name=\"N2\"/>"
            "<style:style style:name=\"ce3\" style:family=\"table-cell\" style:parent-style-name=\"Default\"/>"
            "</office:automatic-styles><office:body><office:spreadsheet>" + tables + "</office:spreadsheet></office:body></office:document-content>");
    zip.add("meta.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-meta " + ns
                + "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" office:version=\"1.2\"><office:meta>"
                  "<meta:generator>LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2</meta:generator>"
                  "</office:meta></office:document-meta>");
    zip.add("settings.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-settings " + ns + "office:version=\"1.2\"><office:settings>"
            "<config:config-item-set config:name=\"ooo:view-settings\"><config:config-item-map-indexed config:name=\"Views\">"
            "<config:config-item-map-entry><config:config-item config:name=\"ViewId\" config:type=\"string\">view1</config:config-item>"
            "<config:config-item config:name=\"ActiveTable\" config:type=\"string\">" + activeSheet + "</config:config-item>"
            "</config:config-item-map-entry></config:config-item-map-indexed></config:config-item-set></office:settings></office:document-settings>");
    ASSERT_TRUE(zip.write(path));
}

// A workbook of one cell, "на месте": read after a failed one, it shows
// the office still reads.
void writeSmallOds(const QString& path)
{
    writeOds(path,
             "<table:table table:name=\"Лист1\"><table:table-row><table:table-cell office:value-type=\"string\">"
             "<text:p>на месте</text:p></table:table-cell></table:table-row></table:table>",
             "Лист1");
}

// The same sheet as Calc saves it (a tab inside a text, two lines as two
// paragraphs; no error constants).
const QByteArray kOdsValueTables =
    "<table:table table:name=\"Первый\"><table:table-row><table:table-cell office:value-type=\"string\"><text:p>a</text:p>"
    "</table:table-cell></table:table-row></table:table>"
    "<table:table table:name=\"Значения\">"
    "<table:table-row><table:table-cell table:style-name=\"ce1\" office:value-type=\"date\" office:date-value=\"2009-05-11\"/>"
    "<table:table-cell table:style-name=\"ce1\" table:formula=\"of:=[.A1]+7\" office:value-type=\"date\" office:date-value=\"2009-05-18\"/>"
    "</table:table-row><table:table-row>"
    "<table:table-cell table:style-name=\"ce2\" office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
    "<table:table-cell table:style-name=\"ce2\" table:formula=\"of:=NOT([.A2])\" office:value-type=\"boolean\" office:boolean-value=\"false\"/>"
    "</table:table-row><table:table-row>"
    "<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"string\" office:string-value=\"\"><text:p>#DIV/0!</text:p></table:table-cell>"
    "<table:table-cell table:formula=\"of:=NA()\" office:value-type=\"string\" office:string-value=\"\"><text:p>#N/A</text:p></table:table-cell>"
    "</table:table-row><table:table-row>"
    "<table:table-cell office:value-type=\"string\"><text:p>a<text:tab/>b</text:p></table:table-cell>"
    "<table:table-cell office:value-type=\"string\"><text:p>c</text:p><text:p>d</text:p></table:table-cell>"
    "</table:table-row><table:table-row>"
    "<table:table-cell table:style-name=\"ce3\" table:formula=\"of:=2+2\" office:value-type=\"float\" office:value=\"5\"/>"
    "<table:table-cell table:style-name=\"ce3\" table:formula=\"of:=Unbekannt*2\" office:value-type=\"float\" office:value=\"9876\"/>"
    "</table:table-row></table:table>";

// Stores the document as .xls or .ods, through the office.
void convert(const QString& from, const QString& to)
{
    using namespace office::uno;
    auto doc = loadComponent(toOU(ConvertToURL(from)), props({{"Hidden", Any(true)}}), from);
    officetest::storeAs(doc, to);
    closeComponent(doc);
}

// A workbook of the sheets "Первый" and "Значения" (active) in the format
// asked for: .xlsx and .ods as their makers write them, .xls converted by
// the office from the .xlsx.
QString makeValueWorkbook(const testsupport::TempFolder& folder, const QString& format)
{
    const QString xlsx = folder.file(QStringLiteral("значения.xlsx"));
    const QString path = folder.file(QStringLiteral("значения.") + format);
    if (format == QLatin1String("ods")) {
        writeOds(path, kOdsValueTables, "Значения");
        return path;
    }
    writeXlsx(xlsx, {{"Первый", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"}, {"Значения", kValueRows}},
              kValueStrings, 1, false);
    if (format == QLatin1String("xls"))
        convert(xlsx, path);
    return path;
}

// Where a format holds something else: texts without carriage returns
// (.ods; the .xls the office made from the .xlsx). Not checked (null): a
// tab in an .ods text, which the office drops when it loads the file.
struct Difference {
    const char* format;
    int row;
    int column;
    const char* text;
};
const Difference kDifferences[] = {
    {"xls", 4, 2, "c\nd"},
    {"ods", 4, 2, "c\nd"},
    {"ods", 4, 1, nullptr},
};

class WorkbookValues : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(WorkbookValues, ReadAsTheirMakerShowsThem)
{
    testsupport::TempFolder folder;
    const QString format = QString::fromLatin1(GetParam());
    const QString path = makeValueWorkbook(folder, format);

    WorkbookReader reader = WorkbookReader::open(path);
    EXPECT_EQ(reader.sheetNames(), (QStringList{QStringLiteral("Первый"), QStringLiteral("Значения")}));
    EXPECT_EQ(reader.activeSheet(), 1);
    const SheetTexts values = reader.read(1, WorkbookReader::Reading::ExcelValues);
    ASSERT_EQ(values.rowCount(), 5);
    ASSERT_EQ(values.columnCount(), 2);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 2; ++c) {
            const char* expected = kExcelValues[r - 1][c - 1];
            for (const Difference& d : kDifferences)
                if (format == QLatin1String(d.format) && d.row == r && d.column == c)
                    expected = d.text;
            if (expected) {
                EXPECT_EQ(values.cell(r, c), QString::fromUtf8(expected)) << r << "," << c;
            }
        }
    const SheetTexts shown = reader.read(1, WorkbookReader::Reading::CalcText);
    EXPECT_TRUE(shown.cell(1, 2).contains(QStringLiteral("18"))) << shown.cell(1, 2).toStdString();  // as the cell shows it
    EXPECT_EQ(shown.cell(3, 1), QStringLiteral("#DIV/0!"));
    if (format != QLatin1String("ods")) {
        EXPECT_EQ(shown.cell(4, 1), QStringLiteral("a\tb"));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WorkbookValues, ::testing::Values("xlsx", "xls", "ods"));

TEST(WorkbookValues, DatesOfAWorkbookCountingFrom1904)
{
    testsupport::TempFolder folder;
    const QString xlsx = folder.file(QStringLiteral("1904.xlsx"));
    writeXlsx(xlsx,
              {{"Лист1", "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>36000</v></c><c r=\"B1\" s=\"1\"><f>A1+7</f><v>36007</v></c>"
                         "<c r=\"C1\"><v>36000</v></c></row>"}},
              {}, 0, true);
    const QString xls = folder.file(QStringLiteral("1904.xls"));
    convert(xlsx, xls);
    const QDate day = QDate(1904, 1, 1).addDays(36000);
    for (const QString& path : {xlsx, xls}) {
        const SheetTexts values = WorkbookReader::open(path).read(0, WorkbookReader::Reading::ExcelValues);
        EXPECT_EQ(values.rows.value(0),
                  (QStringList{day.toString(QStringLiteral("dd.MM.yyyy")), day.addDays(7).toString(QStringLiteral("dd.MM.yyyy")),
                               QStringLiteral("36000")}))
            << path.toStdString();
    }
}

TEST(WorkbookValues, RowsAreReadInRanges)
{
    testsupport::TempFolder folder;
    const QString path = makeValueWorkbook(folder, QStringLiteral("xlsx"));
    WorkbookReader reader = WorkbookReader::open(path);
    EXPECT_EQ(reader.extent(1).rows, 5);
    EXPECT_EQ(reader.extent(1).columns, 2);
    const SheetTexts rows = reader.read(1, WorkbookReader::Reading::ExcelValues, 4, 10);
    EXPECT_EQ(rows.firstRow, 4);
    EXPECT_EQ(rows.rowCount(), 2);  // cut at the last used row
    EXPECT_EQ(rows.cell(4, 1), QStringLiteral("a\tb"));
    EXPECT_EQ(rows.cell(5, 2), QStringLiteral("9876"));
    EXPECT_EQ(rows.cell(3, 1), QString());
    EXPECT_EQ(reader.read(1, WorkbookReader::Reading::ExcelValues, 6, 3).rowCount(), 0);
}

TEST(WorkbookValues, AFileTooLargeToReadIsRefusedAndTheNextReads)
{
    testsupport::TempFolder folder;
    // Small on disk, a thousand million cells once loaded.
    const QString huge = folder.file(QStringLiteral("огромный.ods"));
    writeOds(huge,
             "<table:table table:name=\"Лист1\"><table:table-column table:number-columns-repeated=\"1024\"/>"
             "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell table:number-columns-repeated=\"1024\" "
             "office:value-type=\"float\" office:value=\"7\"><text:p>7</text:p></table:table-cell></table:table-row></table:table>",
             "Лист1");
    const QString small = folder.file(QStringLiteral("малый.ods"));
    writeSmallOds(small);

    Office& office = Office::reader();
    const Office::Limits limits = office.limits();
    // The memory limit is reached first, then the time limit alone.
    const Office::Limits cases[] = {{700LL << 20, 60}, {0, 3}};
    for (const Office::Limits& limit : cases) {
        office.setLimits(limit);
        office.ensureRunning();
        const long long group = office.processGroup();
        try {
            WorkbookReader reader = WorkbookReader::open(huge);
            reader.read(0, WorkbookReader::Reading::ExcelValues);
            FAIL() << "read";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::TooLarge);
            EXPECT_EQ(e.numberAndDescription(),
                      QStringLiteral("7 Файл слишком велик или поврежден: ") + QFileInfo(huge).absoluteFilePath());
        }
        EXPECT_NE(office.processGroup(), group);  // a new office

        WorkbookReader reader = WorkbookReader::open(small);
        EXPECT_EQ(reader.read(0, WorkbookReader::Reading::ExcelValues).cell(1, 1), QStringLiteral("на месте"));
    }
    office.setLimits(limits);
}

TEST(WorkbookValues, AnOfficeThatDiesWhileReadingIsToldAndTheNextWorkbookReads)
{
    // The reading office's processes killed after the workbook has opened,
    // and in the middle of reading it (a sheet read in several blocks):
    // the read ends with the office's loss in words, never the bridge's,
    // and the next workbook is read by a new office.
    testsupport::TempFolder folder;
    const QString large = folder.file(QStringLiteral("большой.ods"));
    writeOds(large,
             "<table:table table:name=\"Лист1\"><table:table-row table:number-rows-repeated=\"100000\">"
             "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"float\" office:value=\"7\">"
             "<text:p>7</text:p></table:table-cell></table:table-row></table:table>",
             "Лист1");
    const QString small = folder.file(QStringLiteral("малый.ods"));
    writeSmallOds(small);

    Office& office = Office::reader();
    for (const bool midRead : {false, true}) {
        SCOPED_TRACE(midRead ? "in the middle of reading" : "once opened");
        office.ensureRunning();
        const long long group = office.processGroup();
        ASSERT_GT(group, 0);
        long long readBeforeKill = -1;
        try {
            WorkbookReader reader = WorkbookReader::open(large);
            if (!midRead)
                testsupport::killOffice(group);
            reader.read(0, WorkbookReader::Reading::ExcelValues, [&](long long done, long long total) {
                if (midRead && readBeforeKill < 0 && done < total) {
                    readBeforeKill = done;
                    testsupport::killOffice(group);
                }
            });
            FAIL() << "read";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::ConnectionLost);
            EXPECT_EQ(e.numberAndDescription(), QStringLiteral("462 Связь с офисной программой потеряна"));
        }
        if (midRead) {
            EXPECT_GT(readBeforeKill, 0);  // killed between two blocks
        }

        WorkbookReader reader = WorkbookReader::open(small);
        EXPECT_EQ(reader.read(0, WorkbookReader::Reading::ExcelValues).cell(1, 1), QStringLiteral("на месте"));
        EXPECT_NE(office.processGroup(), group);  // a new office
    }
}

TEST(WorkbookValues, AnEarlierProfileIsMadeToKeepSavedResults)
{
    Office& office = Office::reader();
    office.ensureRunning();
    office.shutdown();
    const QString xcu = office.profileFolder() + QStringLiteral("/user/registrymodifications.xcu");
    QFile f(xcu);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text = f.readAll();
    f.close();
    // As a user's choice would have left it: always recalculate.
    const QByteArray never = "<prop oor:name=\"ODFRecalcMode\" oor:op=\"fuse\"><value>1</value>";
    ASSERT_TRUE(text.contains(never));
    text.replace(never, "<prop oor:name=\"ODFRecalcMode\" oor:op=\"fuse\"><value>0</value>");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();

    office.ensureRunning();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    text = f.readAll();
    EXPECT_TRUE(text.contains(never));
    EXPECT_FALSE(text.contains("<prop oor:name=\"ODFRecalcMode\" oor:op=\"fuse\"><value>0</value>"));
    EXPECT_TRUE(text.contains("<prop oor:name=\"OOXMLRecalcMode\" oor:op=\"fuse\"><value>1</value>"));
}

TEST(WorkbookValues, TheRecordsOfADamagedXlsFileAreReadSafely)
{
    testsupport::TempFolder folder;
    const QString xls = makeValueWorkbook(folder, QStringLiteral("xls"));
    const auto intact = detail::XlsRecords::read(xls);
    ASSERT_TRUE(intact.has_value());
    EXPECT_EQ(intact->sheetNames(), (QStringList{QStringLiteral("Первый"), QStringLiteral("Значения")}));
    EXPECT_EQ(intact->activeSheet(), 1);
    const auto results = intact->formulaResults(1, 4, 4, 0);  // A5 alone
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results.front().type, detail::SavedResult::Number);
    EXPECT_EQ(results.front().number, 5.0);

    // Cut short, or with the sectors of its tables chained in a circle:
    // read without a crash or a hang, whatever comes of it.
    QFile f(xls);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    QByteArray circular = whole;
    for (int at = 0x4C; at + 4 <= 512; at += 4)
        circular.replace(at, 4, QByteArray::fromHex("00000000"));
    circular.replace(0x44, 8, QByteArray::fromHex("00000000FFFFFF7F"));  // a long chain of table sectors
    const QByteArray cases[] = {whole.left(512), whole.left(whole.size() / 2), whole.left(whole.size() - 100), circular};
    const QString damaged = folder.file(QStringLiteral("повреждён.xls"));
    for (const QByteArray& bytes : cases) {
        QFile out(damaged);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        const auto records = detail::XlsRecords::read(damaged);
        if (records) {
            for (int i = 0; i < records->sheetNames().size(); ++i)
                records->formulaResults(i, 0, 1000, 1000);
        }
    }
}

// Writes `result` (the 8 bytes of a formula record's result) into the
// formula record of a cell of an .xls file, as Excel would have saved it;
// false when the record is not found whole in the file.
bool setSavedResult(const QString& path, int row, int column, const QByteArray& result)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = f.readAll();
    for (qsizetype at = 0; at + 20 <= bytes.size(); ++at) {
        const auto u16 = [&](qsizetype p) { return quint16(quint8(bytes[p]) | (quint8(bytes[p + 1]) << 8)); };
        if (u16(at) == 0x0006 && u16(at + 2) >= 20 && u16(at + 2) < 300 && u16(at + 4) == row && u16(at + 6) == column) {
            bytes.replace(at + 10, 8, result);
            f.seek(0);
            return f.write(bytes) == bytes.size();
        }
    }
    return false;
}

QByteArray numberResult(double d)
{
    QByteArray b(8, '\0');
    std::memcpy(b.data(), &d, 8);
    return b;
}

QByteArray errorResult(quint8 code)
{
    return QByteArray::fromHex("0200") + char(code) + QByteArray::fromHex("000000FFFF");
}

// An Excel-made .xls file read as the "OpenOffice.org" path reads it: the
// office would recalculate its formulas (TODAY() gives today, an unknown
// name an error) and show its errors in its own words; the texts are the
// saved results, in the cells' formats, and Excel's errors. The results
// saved in row 1 are not what a recalculation would give.
TEST(WorkbookValues, AnXlsFileReadAsShownKeepsItsSavedResultsAndErrors)
{
    testsupport::TempFolder folder;
    const QString xlsx = folder.file(QStringLiteral("сохранённые.xlsx"));
    writeXlsx(xlsx,
              {{"Лист1",
                "<row r=\"1\"><c r=\"A1\" s=\"1\"><f>TODAY()</f><v>39944</v></c><c r=\"B1\" s=\"1\"><v>39944</v></c>"
                "<c r=\"C1\"><f>Ставка*2</f><v>9876</v></c></row>"
                "<row r=\"2\"><c r=\"A2\"><f>B1:B2 C1:C2</f><v>0</v></c><c r=\"B2\"><f>SQRT(-1)</f><v>0</v></c>"
                "<c r=\"C2\"><f>NA()</f><v>0</v></c><c r=\"D2\" t=\"e\"><v>#NUM!</v></c></row>"}},
              {}, 0, false);
    const QString xls = folder.file(QStringLiteral("сохранённые.xls"));
    convert(xlsx, xls);
    // What Excel saved: the day the file was saved, and its errors.
    ASSERT_TRUE(setSavedResult(xls, 0, 0, numberResult(39944)));
    ASSERT_TRUE(setSavedResult(xls, 1, 0, errorResult(0x00)));
    ASSERT_TRUE(setSavedResult(xls, 1, 1, errorResult(0x24)));
    ASSERT_TRUE(setSavedResult(xls, 1, 2, errorResult(0x2A)));

    WorkbookReader reader = WorkbookReader::open(xls);
    const SheetTexts shown = reader.read(0, WorkbookReader::Reading::CalcText);
    EXPECT_EQ(shown.cell(1, 1), shown.cell(1, 2));  // the saved day, shown as the same day typed in
    EXPECT_TRUE(shown.cell(1, 2).contains(QStringLiteral("11"))) << shown.cell(1, 2).toStdString();
    EXPECT_EQ(shown.cell(1, 3), QStringLiteral("9876"));
    const QStringList errors{QStringLiteral("#NULL!"), QStringLiteral("#NUM!"), QStringLiteral("#N/A"), QStringLiteral("#NUM!")};
    EXPECT_EQ(shown.rows.value(1), errors);

    const SheetTexts values = reader.read(0, WorkbookReader::Reading::ExcelValues);
    EXPECT_EQ(values.rows.value(0), (QStringList{"11.05.2009", "11.05.2009", "9876", ""}));
    EXPECT_EQ(values.rows.value(1), errors);
}

// Errors of an .xlsx file, the results of formulas and constants alike,
// read as the file saved them: the office would name some of them its own
// way (Err:502) or recalculate them into others.
TEST(WorkbookValues, XlsxErrorsReadAsSaved)
{
    testsupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("ошибки.xlsx"));
    writeXlsx(path,
              {{"Первый", "<row r=\"1\"><c r=\"A1\" t=\"e\"><v>#DIV/0!</v></c></row>"},
               {"Ошибки",
                "<row r=\"2\"><c r=\"B2\" t=\"e\"><f>B3:B4 C3:C4</f><v>#NULL!</v></c>"
                "<c r=\"C2\" t=\"e\"><f>#REF!+1</f><v>#REF!</v></c><c r=\"D2\" t=\"e\"><f>SQRT(-1)</f><v>#NUM!</v></c>"
                "<c r=\"E2\" t=\"e\"><f>NA()</f><v>#N/A</v></c></row>"
                "<row r=\"3\"><c r=\"B3\" t=\"e\"><v>#NULL!</v></c><c r=\"C3\" t=\"e\"><v>#REF!</v></c>"
                "<c t=\"e\"><v>#NUM!</v></c><c r=\"E3\" t=\"e\"><v>#N/A</v></c></row>"
                "<row r=\"4\"><c r=\"B4\"><v>7</v></c></row>"}},
              {}, 1, false);
    const QStringList errors{"", "#NULL!", "#REF!", "#NUM!", "#N/A"};
    WorkbookReader reader = WorkbookReader::open(path);
    for (const auto reading : {WorkbookReader::Reading::ExcelValues, WorkbookReader::Reading::CalcText}) {
        const SheetTexts sheet = reader.read(1, reading);
        EXPECT_EQ(sheet.rows.value(1), errors);
        EXPECT_EQ(sheet.rows.value(2), errors);
        EXPECT_EQ(sheet.cell(4, 2), QStringLiteral("7"));
        // Rows read in a block keep their errors in their own cells.
        EXPECT_EQ(reader.read(1, reading, 3, 1).rows.value(0), errors);
        EXPECT_EQ(reader.read(0, reading).cell(1, 1), QStringLiteral("#DIV/0!"));
    }
}
