// The grade table of the sample person's supplement and transcript as the
// office lays out the stored document, on both office paths: every row on
// one half of the sheet, the blank's two pages, grade wordings hyphenated
// only where a line breaks, and texts from the database printed as they
// are, never taken for placeholders.
#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/TextDocument.h"
#include "platform/ui/Messages.h"
#include "printing/DocumentFill.h"
#include "printing/TemplateNames.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Kind {
    const char* caption;
    int blankKind;
};

// The grade tables that run over two pages, or two halves of one.
const Kind kKinds[] = {
    {"Приложение к диплому", core::DiplomaSupplement},
    {"Академическая справка", core::AcademicTranscript},
};

// Every core of the machine kept busy for as long as it lives.
class BusyCores {
public:
    BusyCores()
    {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            threads_.emplace_back([this] {
                volatile unsigned long spin = 0;
                while (busy_.load(std::memory_order_relaxed))
                    spin = spin + 1;
            });
    }
    ~BusyCores()
    {
        busy_ = false;
        for (auto& t : threads_)
            t.join();
    }
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    std::atomic<bool> busy_{true};
    std::vector<std::thread> threads_;
};

class GradeTableFillTest : public printtest::SampleDatabaseTest {
protected:
    void SetUp() override
    {
        printtest::SampleDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        person = personId("Шилов");
        ASSERT_GT(person, 0);
    }

    // Prints the user's own transcript made from the shipped one, and
    // checks the fields of its text and of its grade rows.
    void fillOwnTranscript(bool headingRow);

    // Prints the kind for the sample person from the template the dialog
    // proposes; the stored document's path.
    QString print(const Kind& kind)
    {
        testsupport::MessageRecorder messages;
        messages.answer(ui::Yes);  // printed without its registration number
        const printing::PrintOutcome outcome = printAsIs(kind);
        EXPECT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
        return outcome.documentPath;
    }
    // The same, with the questions left to the message handler in place.
    printing::PrintOutcome printAsIs(const Kind& kind)
    {
        const QString extension = GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot");
        const QString templateName = printing::TemplateNameForKind(kind.blankKind - 1);
        printtest::provideTemplates(home.file(QStringLiteral("Шаблоны ЭЖ")),
                                    {QFileInfo(templateName).completeBaseName()}, extension);
        return printing::PrintVkladish(
            {person, kind.blankKind, templateName, false, core::Documents, QString::fromUtf8(kind.caption)});
    }

    // Gives the sample person `n` grade lines: their own, repeated in their
    // order as often as it takes.
    void setGradeLines(int n)
    {
        auto& db = core::db();
        const QVariantList key{qlonglong(person), core::vidDokumOf(core::Documents)};
        if (ownLines.isEmpty()) {
            auto rs = db.openRecordset(QStringLiteral("SELECT IDD, NAIM, CH, IDB, IDZ, LINE, kursovaya FROM EXAM "
                                                      "WHERE ID = ? AND COALESCE(VidDokum, 0) = ? ORDER BY SORT, IDE"),
                                       jet::dbOpenSnapshot, key);
            for (; !rs->isEOF(); rs->moveNext()) {
                QVariantList line;
                for (int i = 0; i < 7; ++i)
                    line << rs->value(i);
                ownLines << line;
            }
            rs->close();
            ASSERT_FALSE(ownLines.isEmpty());
        }
        db.execute(QStringLiteral("DELETE FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ?"), key);
        for (int i = 0; i < n; ++i)
            db.execute(QStringLiteral("INSERT INTO EXAM (IDD, NAIM, CH, IDB, IDZ, LINE, kursovaya, ID, VidDokum, SORT) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       ownLines[i % ownLines.size()] + key + QVariantList{i + 1});
    }

    long person = 0;
    QList<QVariantList> ownLines;
};

} // namespace

TEST_P(GradeTableFillTest, EveryRowStaysOnOneHalfOfTheSheet)
{
    // One line graded with a wording stored with its break hyphen.
    core::db().execute(QStringLiteral("UPDATE EXAM SET IDB = (SELECT IDB FROM SPBALL WHERE NAIM = ?) "
                                      "WHERE IDE = (SELECT MAX(IDE) FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ?)"),
                       {QStringLiteral("удовлетво-рительно"), qlonglong(person), core::vidDokumOf(core::Documents)});
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.caption);
        const QString path = print(kind);
        ASSERT_FALSE(path.isEmpty());
        EXPECT_EQ(printtest::dividedTableRows(path), QStringList{});
        const printtest::PrintedDocument printed = printtest::readBack(path);
        EXPECT_EQ(printed.pages, 2);
        // The stored wording's break hyphen stays only as a soft one.
        EXPECT_TRUE(printed.text.contains(QStringLiteral("удовлетво\u00ADрительно")));
        EXPECT_FALSE(printed.text.contains(QStringLiteral("удовлетво-рительно")));
        EXPECT_TRUE(printtest::closeOfficeDocument(path));
    }
}

TEST_P(GradeTableFillTest, NoOutlineIsLeftWhateverTheMachinesLoad)
{
    // The office lays out the later pages of a document when it finds the
    // time, and a document read from the Word format knows the objects of
    // their header only then. With every core busy, documents filled one
    // after another keep neither outline; nor do those from templates the
    // adjustment window saved, whose pictures the Word format renamed.
    const BusyCores load;
    const QString extension = GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot");
    for (int round = 0; round < 6; ++round) {
        if (round == 3)
            for (const Kind& kind : kKinds) {
                office::TextDocument adjusted = office::TextDocument::open(
                    QDir(home.file(QStringLiteral("Шаблоны ЭЖ"))).filePath(QString::fromUtf8(kind.caption) + extension), true);
                adjusted.moveFrame(0, 1, 1);
                adjusted.save();
                adjusted.close();
            }
        for (const Kind& kind : kKinds) {
            SCOPED_TRACE(std::string(kind.caption) + " #" + std::to_string(round));
            const QString path = print(kind);
            ASSERT_FALSE(path.isEmpty());
            const printtest::PrintedDocument printed = printtest::readBack(path);
            EXPECT_EQ(printed.pictures, QStringList{});
            EXPECT_EQ(printed.pages, 2);
            EXPECT_TRUE(printtest::closeOfficeDocument(path));
        }
    }
}

TEST_P(GradeTableFillTest, ALongPlanLiesOnTheBlanksTwoPagesOrTheUserIsAsked)
{
    // 40 lines lie on the blank as the template sets them; 78 in a smaller
    // font; 120 not even in the smallest: the user is told how many lines
    // there are and how many fit, before anything is stored, and decides.
    struct Case {
        const Kind& kind;
        const char* templatePoints;
        int lines;
        int answer;  // to the question about the table; 0: not asked
    };
    const Kind& supplement = kKinds[0];
    const Kind& transcript = kKinds[1];
    const Case cases[] = {
        {supplement, "10", 40, 0},  {supplement, "10", 78, 0},  {supplement, "10", 120, ui::No},
        {transcript, "9.5", 40, 0}, {transcript, "9.5", 78, 0}, {transcript, "9.5", 120, ui::Yes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind.caption) + ", " + std::to_string(c.lines) + " lines");
        const QString templateName = printing::TemplateNameForKind(c.kind.blankKind - 1);
        setGradeLines(c.lines);
        QDir(home.file(QStringLiteral("Документы"))).removeRecursively();
        QStringList asked;
        ui::setMessageHandler([&](const ui::MessageRequest& r) {
            if (!r.text.startsWith(QStringLiteral("Таблица оценок")))
                return int(ui::Yes);  // printed without its registration number
            asked << r.text;
            EXPECT_EQ(r.buttons(), ui::YesNo);
            EXPECT_EQ(r.defaultButton(), ui::DefaultButton2);
            return c.answer;
        });
        const printing::PrintOutcome outcome = printAsIs(c.kind);
        ui::setMessageHandler({});
        ASSERT_EQ(asked.size(), c.answer ? 1 : 0) << asked.join(QLatin1Char('\n')).toStdString();
        // "No" stores nothing, not even the folder for it.
        EXPECT_EQ(outcome.saved, c.answer != ui::No);
        EXPECT_EQ(QFileInfo::exists(home.file(QStringLiteral("Документы"))), outcome.saved);
        const double templatePoints = QString::fromLatin1(c.templatePoints).toDouble();
        if (c.answer) {
            static const QRegularExpression said(
                QStringLiteral("^Таблица оценок не помещается на две страницы бланка даже при шрифте 8 пт: "
                               "строк в таблице 120, на двух страницах помещается (\\d+)\\. Если сохранить "
                               "документ, он займет больше двух страниц\\. Сохранить документ\\?$"));
            const QRegularExpressionMatch m = said.match(asked[0]);
            ASSERT_TRUE(m.hasMatch()) << asked[0].toStdString();
            // As many lines as that do lie on the two pages, one more do not.
            const int fitting = m.captured(1).toInt();
            EXPECT_GE(fitting, 78);
            EXPECT_LT(fitting, 120);
            for (const int lines : {fitting, fitting + 1}) {
                SCOPED_TRACE(std::to_string(lines) + " lines");
                setGradeLines(lines);
                int questions = 0;
                ui::setMessageHandler([&](const ui::MessageRequest& r) {
                    questions += r.text.startsWith(QStringLiteral("Таблица оценок")) ? 1 : 0;
                    return int(ui::Yes);
                });
                const printing::PrintOutcome again = printAsIs(c.kind);
                ui::setMessageHandler({});
                ASSERT_TRUE(again.saved);
                EXPECT_EQ(questions, lines == fitting ? 0 : 1);
                EXPECT_EQ(printtest::readBack(again.documentPath).pages > 2, lines > fitting);
                EXPECT_TRUE(printtest::closeOfficeDocument(again.documentPath));
            }
        }
        if (!outcome.saved)
            continue;
        EXPECT_EQ(printtest::readBack(outcome.documentPath).pages > 2, c.answer == ui::Yes);
        // Every line is there, the smaller the more there are.
        EXPECT_EQ(printtest::firstTableRows(outcome.documentPath), c.lines);
        const QList<double> heights = printtest::tableCharHeights(outcome.documentPath);
        ASSERT_FALSE(heights.isEmpty());
        if (c.lines == 40) {
            EXPECT_EQ(heights, QList<double>{templatePoints});
        } else {
            EXPECT_GE(heights.first(), 8.0);
            EXPECT_LT(heights.last(), templatePoints);
        }
        EXPECT_EQ(printtest::dividedTableRows(outcome.documentPath), QStringList{});
        EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
    }
}

TEST_P(GradeTableFillTest, TextsFromTheDatabaseAreNeverReadAsPlaceholders)
{
    // Placeholders the templates know, standing in a discipline's name, in
    // a grade's wording and in a name printed in a frame.
    core::db().execute(
        QStringLiteral("UPDATE SPPRED SET NAIM = ? WHERE IDD = (SELECT MIN(IDD) FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ?)"),
        {QStringLiteral("Практика [ОЦЕНКА] [ЧАСЫ] [FAM]"), qlonglong(person), core::vidDokumOf(core::Documents)});
    core::db().execute(QStringLiteral("UPDATE SPBALL SET NAIM = ? WHERE NAIM = ?"),
                       {QStringLiteral("хорошо [ДИСЦИПЛИНА]"), QStringLiteral("хорошо")});
    core::db().execute(QStringLiteral("UPDATE SPSTUD SET OTCH = ? WHERE ID = ?"),
                       {QStringLiteral("Сергеевич [IM] [ЧАСЫ]"), qlonglong(person)});
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.caption);
        const QString path = print(kind);
        ASSERT_FALSE(path.isEmpty());
        const QString text = printtest::readBack(path).text;
        for (const char* literal : {"Практика [ОЦЕНКА] [ЧАСЫ] [FAM]", "хорошо [ДИСЦИПЛИНА]", "Сергеевич [IM] [ЧАСЫ]"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(literal))) << literal << "\n" << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("Практика х"))) << text.toStdString();
        EXPECT_TRUE(printtest::closeOfficeDocument(path));
    }
}

TEST_P(GradeTableFillTest, FieldsInTheTextAndInTheGradeRowOfAnOwnTemplate)
{
    for (const bool headingRow : {false, true}) {
        SCOPED_TRACE(headingRow ? "a heading row over every column above the grade row" : "the grade row alone");
        fillOwnTranscript(headingRow);
    }
}

void GradeTableFillTest::fillOwnTranscript(bool headingRow)
{
    // The user's own transcript: a field in a paragraph of the text before
    // the grade table, and the person's field in the grade row itself.
    const QString extension = GetParam() ? QStringLiteral(".ott") : QStringLiteral(".dot");
    const QString source = home.file(QStringLiteral("своя.fodt"));
    {
        QFile in(testsupport::sourceDataFolder() + QStringLiteral("/templates/documents/Академическая справка.fodt"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray xml = in.readAll();
        ASSERT_TRUE(xml.contains("[ОЦЕНКА]</text:p>"));
        xml.replace("[ОЦЕНКА]</text:p>", "[ОЦЕНКА] ([OTCH])</text:p>");
        xml.replace("<table:table table:name=", "<text:p>Выдана: [OTCH]; [INF.GORODMED].</text:p><table:table table:name=");
        if (headingRow)
            xml.replace("<table:table-column table:style-name=\"GradesCol2\"/><table:table-row>",
                        "<table:table-column table:style-name=\"GradesCol2\"/><table:table-row>"
                        "<table:table-cell table:number-columns-spanned=\"3\" office:value-type=\"string\">"
                        "<text:p>Итоговые оценки</text:p></table:table-cell><table:covered-table-cell/>"
                        "<table:covered-table-cell/></table:table-row><table:table-row>");
        QFile out(source);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(xml);
    }
    const QString own = home.file(QStringLiteral("Моя справка") + (headingRow ? QStringLiteral(" 2") : QString()) + extension);
    {
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(own);
        doc.close();
    }
    core::db().execute(QStringLiteral("UPDATE SPSTUD SET OTCH = ? WHERE ID = ?"),
                       {QStringLiteral("Сергеевич [FAM] [ДИСЦИПЛИНА]"), qlonglong(person)});
    core::db().execute(QStringLiteral("UPDATE INF SET GORODMED = ?"), {QStringLiteral("Светлоярск\nКировская обл.")});
    testsupport::MessageRecorder messages;
    messages.answer(ui::Yes);
    const printing::PrintOutcome outcome = printing::PrintVkladish(
        {person, core::AcademicTranscript, own, false, core::Documents, QStringLiteral("Академическая справка")});
    ASSERT_TRUE(outcome.saved) << messages.texts().join(QLatin1Char('\n')).toStdString();
    const QString text = printtest::readBack(outcome.documentPath).text;
    // A line break of a value is a new paragraph, in the text as in a frame.
    EXPECT_TRUE(text.contains(QStringLiteral("Выдана: Сергеевич [FAM] [ДИСЦИПЛИНА]; Светлоярск\nКировская обл.")))
        << text.toStdString();
    // Every grade row, the copies as the first, holds the value as it is.
    const qlonglong lines = jet::toLong(core::db().scalar(
        QStringLiteral("SELECT COUNT(*) FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ?"),
        {qlonglong(person), core::vidDokumOf(core::Documents)}));
    ASSERT_GT(lines, 1);
    EXPECT_EQ(text.count(QStringLiteral(" (Сергеевич [FAM] [ДИСЦИПЛИНА])")), lines) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("[OTCH]")));
    EXPECT_TRUE(printtest::closeOfficeDocument(outcome.documentPath));
}

INSTANTIATE_TEST_SUITE_P(BothOffices, GradeTableFillTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Writer" : "Word"; });
