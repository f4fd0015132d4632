// A whole grade sheet through the import window, from workbooks written
// through the office: the sheet list, the settings dialog, the reading and
// both passes.
#include "import/frmImport.h"

#include "ImportTestSupport.h"
#include "core/ListView.h"
#include "import/frmImportOzen.h"
#include "platform/ui/Messages.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QCheckBox>

#include <gtest/gtest.h>

using namespace importer;
using importtest::ImportDbTest;
using importtest::rowsOf;

namespace {

struct SheetCase {
    const char* name;
    const char* cells;
    // Settings typed into the dialog: first row, name column, discipline
    // row, first and last discipline column, last row; names in three
    // columns, every second column.
    QStringList boxes;
    bool threeColumns, everySecond;
    QStringList headers;  // the list's discipline columns
    QList<QStringList> loaded;
    const char* skipped;  // the row both passes leave out, named; or nullptr
};

const SheetCase kSheets[] = {
    {"три столбца",
     "Ведомость группы||||\n"
     "|||72|36\n"
     "Фамилия|Имя|Отчество|Анатомия|Химия\n"
     "Иванов|Пётр|Сергеевич|=5|4\n"
     "Петрова|Анна||4|\n"
     "Кузнецов|Ян||=3|",
     {"4", "1", "3", "4", "5", "6"}, true, false, {"Анатомия", "Химия"},
     {{"Б 31", "Иванов", "Пётр", "Сергеевич", "5", "4"},
      {"Б 31", "Петрова", "Анна", "", "4", ""},
      {"Б 31", "Кузнецов", "Ян", "", "3", ""}},
     "строка 6: «Кузнецов Ян» нет в группе «Б 31»"},
    {"один столбец",
     "|72||36|\n"
     "ФИО|Анатомия|прим.|Химия|прим.\n"
     "Иванов  Пётр Сергеевич|=5|x|4|y\n"
     "|5||5|\n"
     "Петрова Анна|4|||",
     {"3", "1", "2", "2", "5", "5"}, false, true, {"Анатомия", "Химия"},
     {{"Б 31", "Иванов", "Пётр", "Сергеевич", "5", "4"}, {"Б 31", "Петрова", "Анна", "", "4", ""}},
     nullptr},
};

class GradeImportWindowTest : public ImportDbTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        ImportDbTest::SetUp();
        jet::Database& db = core::db();
        const QString insert = QStringLiteral("INSERT INTO SPSTUD (FAM, IM, OTCH, IDG) VALUES (?, ?, ?, ?)");
        const qlonglong group = groupId(QStringLiteral("Б 31"));
        db.execute(insert, {QStringLiteral("Иванов"), QStringLiteral("Пётр"), QStringLiteral("Сергеевич"), group});
        db.execute(insert, {QStringLiteral("Петрова"), QStringLiteral("Анна"), QVariant(), group});
        db.execute(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES ('Анатомия', 0)"));
        core::state().OfficeIsOOo = QString::fromLatin1(GetParam()) == QLatin1String("ods");
        core::state().CurrentKind = core::GradeSheetImport;
        core::state().ImportGroupId = long(groupId(QStringLiteral("Б 31")));
        core::state().ImportDocKind = core::TrainingCertificates;
    }

    QString workbook(const SheetCase& c)
    {
        const QString path = folder_.file(QString::fromUtf8(c.name) + QLatin1Char('.') + QString::fromLatin1(GetParam()));
        importtest::writeWorkbook(path, {{QStringLiteral("Титул"), rowsOf("Ведомость")},
                                         {QStringLiteral("Оценки"), rowsOf(c.cells)}});
        return path;
    }

    // The settings dialog answered with the case's values.
    static std::function<int(QDialog*)> settingsOf(const SheetCase& c, QStringList* sheets)
    {
        return [c, sheets](QDialog* d) {
            auto* dialog = qobject_cast<frmImportOzen*>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            for (int i = 0; i < dialog->Cm1()->count(); ++i)
                *sheets << dialog->Cm1()->itemText(i);
            dialog->Cm1()->setCurrentIndex(1);
            for (int i = 0; i < 6; ++i)
                dialog->numberBox(i)->setText(c.boxes.at(i));
            dialog->Check(1)->setChecked(c.threeColumns);
            dialog->Check(3)->setChecked(c.everySecond);
            dialog->Ok_Click();
            return dialog->result();
        };
    }
};

QList<QStringList> listRows(const frmImport& w)
{
    QList<QStringList> out;
    for (int i = 0; i < w.Spr()->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 1; c < w.Spr()->columnCount(); ++c)
            cells << w.Spr()->topLevelItem(i)->text(c);
        out << cells;
    }
    return out;
}

} // namespace

TEST_P(GradeImportWindowTest, SheetsReadCheckedAndImported)
{
    for (const SheetCase& c : kSheets) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const QString path = workbook(c);
        QStringList sheets;
        testsupport::MessageRecorder messages;
        importtest::FileDialogAnswer answer(path, settingsOf(c, &sheets));
        frmImport w;
        ASSERT_TRUE(w.load());
        EXPECT_EQ(importtest::openDocumentCount(), 0);
        EXPECT_EQ(core::state().SheetNameList, QStringLiteral("//Титул//Оценки"));
        EXPECT_EQ(sheets, (QStringList{"Титул", "Оценки"}));
        ASSERT_EQ(w.layout().size(), 4 + c.headers.size());
        QStringList headers;
        for (int k = 4; k < w.layout().size(); ++k)
            headers << w.Spr()->headerItem()->text(k + 1);
        EXPECT_EQ(headers, c.headers);
        EXPECT_EQ(w.layout().at(4).hours, QStringLiteral("72"));
        EXPECT_EQ(listRows(w), c.loaded);
        EXPECT_EQ(w.Label1()->text(), QStringLiteral("Строк: %1. Требуется проверка качества данных. Нажмите кнопку \"Проверка\".")
                                          .arg(c.loaded.size()));

        // Chemistry is no discipline of the directory: its cells are marked.
        // A person the group lacks is named by both passes.
        w.CheckIt_Click();
        EXPECT_EQ(w.Label1()->text(), QStringLiteral("Строк к добавлению: 2"));
        EXPECT_EQ(w.Spr()->topLevelItem(0)->text(6), QStringLiteral("Нет дисциплины"));
        const QString skipped = QString::fromUtf8(c.skipped);
        EXPECT_EQ(messages.texts(),
                  c.skipped ? QStringList{QStringLiteral("Эти строки не будут добавлены:\n") + skipped} : QStringList{});
        messages.clear();

        // The pass's progress in the status bar, the first and the last row
        // always among it.
        QStringList statuses;
        ui::setStatusHandler([&](const QString& t) { statuses << t; });
        w.OKButton_Click();
        ui::setStatusHandler({});
        const QString rows = QString::number(c.loaded.size());
        EXPECT_TRUE(statuses.contains(QStringLiteral("Импорт данных: строка 1 из ") + rows)) << statuses.join('|').toStdString();
        EXPECT_TRUE(statuses.contains(QStringLiteral("Импорт данных: строка %1 из %1").arg(rows)));
        EXPECT_EQ(statuses.last(), QStringLiteral("Импорт завершен."));
        EXPECT_EQ(messages.texts(),
                  QStringList{QStringLiteral("Импортировано строк: 2.")
                              + (c.skipped ? QStringLiteral("\n\nЭти строки не импортированы:\n") + skipped : QString())});
        EXPECT_TRUE(w.rowsWritten());
        EXPECT_EQ(column("SELECT s.FAM || '/' || b.OCEN || '/' || e.CH || '/' || e.VidDokum FROM EXAM e JOIN SPSTUD s "
                         "ON s.ID=e.ID JOIN SPBALL b ON b.IDB=e.IDB ORDER BY e.IDE"),
                  (QStringList{"Иванов/5/72/2", "Петрова/4/72/2"}));
    }
}

TEST_P(GradeImportWindowTest, RefusedWithoutAGroupAndStoppedWhenTheSettingsAreCancelled)
{
    const QString path = workbook(kSheets[0]);
    {
        core::state().ImportGroupId = 0;
        testsupport::MessageRecorder messages;
        importtest::FileDialogAnswer answer(path);
        frmImport w;
        EXPECT_FALSE(w.load());
        EXPECT_TRUE(answer.titles.isEmpty());
        EXPECT_EQ(messages.texts(), QStringList{"Сначала выберите группу, в которую нужно импортировать данные."});
    }
    {
        core::state().ImportGroupId = long(groupId(QStringLiteral("Б 31")));
        testsupport::MessageRecorder messages;
        importtest::FileDialogAnswer answer(path);  // the settings dialog is closed without "OK"
        frmImport w;
        EXPECT_FALSE(w.load());
        EXPECT_EQ(core::state().DialogResult, -1);
        EXPECT_EQ(ui::statusText(), QStringLiteral("Импорт отменен."));
        EXPECT_EQ(importtest::openDocumentCount(), 0);
        EXPECT_EQ(messages.count(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Workbooks, GradeImportWindowTest, ::testing::Values("xls", "ods"));
