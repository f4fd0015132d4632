// The import window on workbooks written through the office: the file
// choice, both reading paths, the check and import passes, the messages.
#include "import/frmImport.h"

#include "ImportTestSupport.h"
#include "core/ListView.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace importer;
using importtest::ImportDbTest;
using importtest::rowsOf;

namespace {

// The students sheet: a title, the header in row 5 with shuffled captions in
// any case and a column that is no caption; captions of the layout missing.
const char* const kStudentsSheet =
    "Список студентов|||||||\n"
    "|||||||\n"
    "|||||||\n"
    "|||||||\n"
    "фамилия|ИМЯ|Прочее|Группа|Регистрационный номер сертификата|ОтЧеСтВо|Примечание\n"
    "Иванов|Пётр|лишнее|Б 31|1234567890123456789012345678901234567890|Сергеевич|с \"кавычками\"\n"
    "Петрова|Анна||||Ивановна|\n"
    "|||||||\n"
    "Сидоров|Олег||б 31|||\n"
    "О\"Нил|Джон||Нет такой|||\n"
    "|||||||\n"
    "Козлов|Илья||З 41|=17||";

// One data row after every blank row, more than ten blank rows in all.
QList<QStringList> scatteredRows()
{
    QList<QStringList> rows{{"Фамилия", "Группа"}};
    for (int i = 1; i <= 12; ++i)
        rows << QStringList{QString(), QString()} << QStringList{QStringLiteral("Ученик %1").arg(i), QStringLiteral("З 41")};
    return rows;
}

QList<QStringList> listRows(const frmImport& w, int columns)
{
    QList<QStringList> out;
    for (int i = 0; i < w.Spr()->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 1; c <= columns; ++c)
            cells << w.Spr()->topLevelItem(i)->text(c);
        out << cells;
    }
    return out;
}

class ImportWindowTest : public ImportDbTest, public ::testing::WithParamInterface<const char*> {
protected:
    bool calc() const { return QString::fromLatin1(GetParam()) == QLatin1String("ods"); }
    QString workbook(const QString& name, const QList<importtest::SheetSpec>& sheets, int active = 0)
    {
        const QString path = folder_.file(name + QLatin1Char('.') + QString::fromLatin1(GetParam()));
        importtest::writeWorkbook(path, sheets, active);
        return path;
    }
    void request(int kind, const QString& group = {})
    {
        core::state().OfficeIsOOo = calc();
        core::state().CurrentKind = kind;
        core::state().ImportGroupId = group.isEmpty() ? 0 : long(groupId(group));
    }
};

} // namespace

TEST_P(ImportWindowTest, StudentsFromASheetWithItsHeaderInRowFive)
{
    const QString path = workbook(QStringLiteral("студенты"), {{QStringLiteral("Студенты"), rowsOf(kStudentsSheet)}});
    request(core::Students, QStringLiteral("З 41"));
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(answer.titles, QStringList{"Импорт"});
    EXPECT_EQ(answer.filters, QStringList{calc() ? "Таблица OpenOffice Calc (*.ods)" : "Таблица Microsoft Excel (*.xls)"});
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Импорт данных"));
    EXPECT_EQ(settings::getSetting("User", "frmImpFile"), folder_.path());
    EXPECT_EQ(settings::getSetting("User", "frmImpFltr"), QStringLiteral("1"));

    // Group, surname, first name, patronymic, registration number (cut to
    // 30), blank number, duplicate, receiver, post, note.
    const QString number = QStringLiteral("123456789012345678901234567890");
    const QList<QStringList> loaded{
        {"Б 31", "Иванов", "Пётр", "Сергеевич", number, "", "", "", "", "с \"кавычками\""},
        {"З 41", "Петрова", "Анна", "Ивановна", "", "", "", "", "", ""},
        {"б 31", "Сидоров", "Олег", "", "", "", "", "", "", ""},
        {"Нет такой", "О\"Нил", "Джон", "", "", "", "", "", "", ""},
        {"З 41", "Козлов", "Илья", "", "17", "", "", "", "", ""},
    };
    EXPECT_EQ(listRows(w, 10), loaded);
    EXPECT_EQ(w.Spr()->headerItem()->text(5), QStringLiteral("Регистрационный номер сертификата"));
    EXPECT_EQ(w.Label1()->text(), QStringLiteral("Строк: 5. Требуется проверка качества данных. Нажмите кнопку \"Проверка\"."));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Данные загружены в окно диалога."));

    w.CheckIt_Click();
    EXPECT_EQ(w.Label1()->text(), QStringLiteral("Строк к добавлению: 4"));
    EXPECT_EQ(w.Spr()->topLevelItemCount(), 4);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Эти строки не будут добавлены:\n"
                                                       "строка 10: «Нет такой» не найдено в справочнике (графа «Группа»)"));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Проверка завершена."));

    messages.clear();
    w.OKButton_Click();
    EXPECT_TRUE(w.rowsWritten());
    EXPECT_EQ(messages.texts(), QStringList{"Импортировано строк: 4."});
    EXPECT_EQ(messages.messages().front().style, ui::Information);
    EXPECT_EQ(ui::statusText(), QStringLiteral("Импорт завершен."));
    const qlonglong b31 = groupId(QStringLiteral("Б 31")), z41 = groupId(QStringLiteral("З 41"));
    EXPECT_EQ(column("SELECT FAM || '/' || IDG || '/' || ifnull(REGNOMMED, '') || '/' || ifnull(MEMO, '') FROM SPSTUD "
                     "ORDER BY ID"),
              (QStringList{QStringLiteral("Иванов/%1/%2/с \"кавычками\"").arg(b31).arg(number),
                           QStringLiteral("Петрова/%1//").arg(z41), QStringLiteral("Сидоров/%1//").arg(b31),
                           QStringLiteral("Козлов/%1/17/").arg(z41)}));
}

TEST_P(ImportWindowTest, DataAfterMoreThanTenScatteredBlankRowsIsRead)
{
    const QString path = workbook(QStringLiteral("ученики"), {{QStringLiteral("Лист1"), scatteredRows()}});
    request(core::Students, QStringLiteral("Б 31"));
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    ASSERT_EQ(w.Spr()->topLevelItemCount(), 12);
    EXPECT_EQ(w.Spr()->topLevelItem(11)->text(2), QStringLiteral("Ученик 12"));
    EXPECT_EQ(frmImport::sheetRowOf(w.Spr()->topLevelItem(11)), 25);
}

TEST_P(ImportWindowTest, GroupsCheckedAgainstTheDatabaseAndTheList)
{
    const QString path = workbook(QStringLiteral("группы"), {{QStringLiteral("Группы"),
                                                              rowsOf("Группа|Медицинская специальность|Дата выдачи сертификата\n"
                                                                     "Новая 1|Лечебное дело|05.03.2024\n"
                                                                     "б 31||\n"
                                                                     "Новая 2|Нет такой специальности|\n"
                                                                     "Новая 3||abc\n"
                                                                     "Новая 1||\n"
                                                                     "новая 1||")}});
    request(core::Groups);
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(w.Spr()->topLevelItemCount(), 6);
    w.CheckIt_Click();
    EXPECT_EQ(listRows(w, 1), (QList<QStringList>{{"Новая 1"}, {"новая 1"}}));
    EXPECT_EQ(w.Label1()->text(), QStringLiteral("Строк к добавлению: 2"));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts().first(),
              QStringLiteral("Эти строки не будут добавлены:\n"
                             "строка 3: «б 31» уже есть в справочнике (графа «Группа»)\n"
                             "строка 4: «Нет такой специальности» не найдено в справочнике (графа «Медицинская специальность»)\n"
                             "строка 5: «abc» не подходит для графы «Дата выдачи сертификата»\n"
                             "строка 6: повторяет строку 2 (графа «Группа»)"));
    messages.clear();
    w.OKButton_Click();
    EXPECT_EQ(messages.texts(), QStringList{"Импортировано строк: 1.\n\nЭти строки не импортированы:\n"
                                            "строка 7: «новая 1» уже есть в справочнике (графа «Группа»)"});
    EXPECT_EQ(column("SELECT NAIM FROM SPGRUP ORDER BY IDG"), (QStringList{"Б 31", "З 41", "Новая 1"}));
}

TEST_P(ImportWindowTest, OkWithoutACheckNamesTheRowsItLeavesOut)
{
    const QString path = workbook(QStringLiteral("студенты"),
                                  {{QStringLiteral("Список"), rowsOf("Фамилия|Группа|Дубликат сертификата\n"
                                                                     "Первый|Б 31|Да\n"
                                                                     "Второй|Нет такой|\n"
                                                                     "Третий|З 41|\n"
                                                                     "Четвертый|б 31|да")}});
    request(core::Students);
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    QStringList statuses;
    ui::setStatusHandler([&](const QString& t) { statuses << t; });
    w.OKButton_Click();
    ui::setStatusHandler({});
    EXPECT_EQ(messages.texts(), QStringList{"Импортировано строк: 3.\n\nЭти строки не импортированы:\n"
                                            "строка 3: «Нет такой» не найдено в справочнике (графа «Группа»)"});
    EXPECT_TRUE(statuses.contains(QStringLiteral("Импорт данных: строка 4 из 4"))) << statuses.join('|').toStdString();
    EXPECT_EQ(column("SELECT FAM || '/' || DUBLMED FROM SPSTUD ORDER BY ID"),
              (QStringList{"Первый/-1", "Третий/0", "Четвертый/-1"}));
}

TEST_P(ImportWindowTest, SheetsWithoutAHeaderAreRefused)
{
    QStringList wideHeader(10, QString());
    wideHeader << "Группа" << "Фамилия";
    QStringList wideRow(10, QString());
    wideRow << "Б 31" << "Широков";
    const struct {
        const char* name;
        QList<importtest::SheetSpec> sheets;
        int active;
        bool excelFinds;  // found by the Excel path (whole used range, active sheet)
        bool calcFinds;   // found by the Calc path (first sheet, 100 × 100 search)
    } cases[] = {
        {"без заголовка", {{"Лист1", rowsOf("Иванов|Пётр\nПетрова|Анна")}}, 0, false, false},
        {"заголовок справа", {{"Лист1", {wideHeader, wideRow}}}, 0, true, false},
        {"второй лист", {{"Пустой", rowsOf("Итоги|")}, {"Данные", rowsOf("Фамилия|Группа\nВторой|Б 31")}}, 1, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = workbook(QString::fromUtf8(c.name), c.sheets, c.active);
        request(core::Students, QStringLiteral("Б 31"));
        testsupport::MessageRecorder messages;
        importtest::FileDialogAnswer answer(path);
        frmImport w;
        const bool found = calc() ? c.calcFinds : c.excelFinds;
        EXPECT_EQ(w.load(), found);
        EXPECT_EQ(importtest::openDocumentCount(), 0);  // the workbook is closed on every path
        if (found) {
            EXPECT_EQ(messages.count(), 0);
            EXPECT_EQ(w.Spr()->topLevelItemCount(), 1);
        } else {
            EXPECT_EQ(messages.texts(),
                      QStringList{"В этом файле заголовочная строка таблицы не найдена. В электронной таблице должна быть "
                                  "строка с теми же заголовками граф, что и заголовки в таблице справочника (регистр букв "
                                  "не важен)."});
            EXPECT_EQ(ui::statusText(), QStringLiteral("Импорт не выполнен."));
        }
    }
}

TEST_P(ImportWindowTest, TheImportPassTakesTheSelectedRowsWhenTwoOrMoreAre)
{
    const QString path = workbook(QStringLiteral("типографии"),
                                  {{QStringLiteral("Т"), rowsOf("Наименование|Шаблон Кальветы\nПервая|a.dot\nВторая|\nТретья|")}});
    request(core::PrintingHouses);
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    const long before = count(QStringLiteral("SPTPGR"));
    w.Spr()->topLevelItem(0)->setSelected(true);
    w.Spr()->topLevelItem(2)->setSelected(true);
    w.OKButton_Click();
    EXPECT_EQ(messages.texts(), QStringList{"Импортировано строк: 2."});
    EXPECT_EQ(count(QStringLiteral("SPTPGR")), before + 2);
    EXPECT_EQ(column("SELECT NAIM FROM SPTPGR ORDER BY IDT DESC LIMIT 2"), (QStringList{"Третья", "Первая"}));
}

// A check that removes many rows fills the list anew with the rows that
// stay: their order, sheet rows and selection are kept.
TEST_P(ImportWindowTest, ACheckThatRemovesManyRowsKeepsTheRestAsTheyWere)
{
    QList<QStringList> rows{{"Наименование", "Шаблон Кальветы"}};
    for (int r = 1; r <= 600; ++r)
        rows << QStringList{r % 2 ? QStringLiteral("Типография %1").arg(r) : QStringLiteral("Повтор"), QString()};
    const QString path = workbook(QStringLiteral("много"), {{QStringLiteral("Т"), rows}});
    request(core::PrintingHouses);
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    ASSERT_EQ(w.Spr()->topLevelItemCount(), 600);
    w.Spr()->topLevelItem(4)->setSelected(true);    // Типография 5
    w.Spr()->topLevelItem(598)->setSelected(true);  // Типография 599
    w.CheckIt_Click();
    EXPECT_EQ(w.Label1()->text(), QStringLiteral("Строк к добавлению: 301"));
    ASSERT_EQ(w.Spr()->topLevelItemCount(), 301);
    QStringList names, selected;
    QList<int> sheetRows;
    for (int i = 0; i < w.Spr()->topLevelItemCount(); ++i) {
        const core::ListItem item = w.Spr()->topLevelItem(i);
        names << item->text(1);
        sheetRows << frmImport::sheetRowOf(item);
        if (item->isSelected())
            selected << item->text(1);
    }
    EXPECT_EQ(names.mid(0, 4), (QStringList{"Типография 1", "Повтор", "Типография 3", "Типография 5"}));
    EXPECT_EQ(names.last(), QStringLiteral("Типография 599"));
    EXPECT_EQ(sheetRows.mid(0, 4), (QList<int>{2, 3, 4, 6}));
    EXPECT_EQ(sheetRows.last(), 600);
    EXPECT_EQ(selected, (QStringList{"Типография 5", "Типография 599"}));

    // The two rows still selected are the ones imported.
    messages.clear();
    const long before = count(QStringLiteral("SPTPGR"));
    w.OKButton_Click();
    EXPECT_EQ(messages.texts(), QStringList{"Импортировано строк: 2."});
    EXPECT_EQ(count(QStringLiteral("SPTPGR")), before + 2);
}

TEST_P(ImportWindowTest, ColumnClicksSortAndTurnTheDirection)
{
    const QString path = workbook(QStringLiteral("сортировка"),
                                  {{QStringLiteral("С"), rowsOf("Фамилия|Имя|Регистрационный номер сертификата\n"
                                                                "Борисов|Анна|10\n"
                                                                "Алексеев|Вера|9\n"
                                                                "Васильев|Борис|100")}});
    request(core::Students, QStringLiteral("Б 31"));
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    ASSERT_TRUE(w.load());
    const auto surnames = [&] {
        QStringList out;
        for (int i = 0; i < w.Spr()->topLevelItemCount(); ++i)
            out << w.Spr()->topLevelItem(i)->text(2);
        return out;
    };
    const struct {
        int column;  // 1-based list column: 1 hidden, 3 Фамилия, 4 Имя, 6 the number
        QStringList order;
    } clicks[] = {
        {1, {"Борисов", "Алексеев", "Васильев"}},
        {3, {"Алексеев", "Борисов", "Васильев"}},
        {3, {"Васильев", "Борисов", "Алексеев"}},
        {4, {"Алексеев", "Васильев", "Борисов"}},  // another column keeps the direction
        {6, {"Васильев", "Борисов", "Алексеев"}},
        {6, {"Алексеев", "Борисов", "Васильев"}},  // numbers: 9 before 10
    };
    for (const auto& c : clicks) {
        w.Spr_ColumnClick(c.column);
        EXPECT_EQ(surnames(), c.order) << c.column;
    }
}

TEST_P(ImportWindowTest, AFileThatIsNoWorkbookIsReportedAndClosed)
{
    const QString path = folder_.file(QStringLiteral("не книга.") + QString::fromLatin1(GetParam()));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, '\x01'));
    }
    request(core::Groups);
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    EXPECT_FALSE(w.load());
    // The office refuses the .ods; it reads the .xls as text, in which no
    // header is found. Either way one message, and nothing stays open.
    ASSERT_EQ(messages.count(), 1);
    const QString text = messages.texts().first();
    if (calc()) {
        EXPECT_TRUE(text.contains(QStringLiteral(" Ошибка: "))) << text.toStdString();
        EXPECT_EQ(messages.messages().front().style, ui::Information);
    }
    EXPECT_EQ(importtest::openDocumentCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, ImportWindowTest, ::testing::Values("xls", "ods"));

// Independent of the reading path.
class ImportWindowLoadTest : public ImportDbTest {};

TEST_F(ImportWindowLoadTest, CancelledOrEmptyChoicesCloseTheWindow)
{
    struct Case {
        const char* what;
        int kind;
        QString answer;  // null: the dialog is cancelled; empty: accepted with no file named
        bool asked;      // whether the file dialog was shown
        QStringList messages;
    };
    const Case cases[] = {
        {"cancelled", core::Groups, QString(), true, {}},
        {"no file named", core::Groups, QStringLiteral(""), true, {"Не было выбрано имя файла."}},
        // A kind without a layout is refused before any file is chosen.
        {"no layout", core::Disciplines, folder_.file(QStringLiteral("x.xls")), false,
         {"Для этого справочника импорт из электронной таблицы не предусмотрен."}},
    };
    for (const Case& c : cases) {
        core::state().CurrentKind = c.kind;
        ui::setStatusText({});
        testsupport::MessageRecorder messages;
        importtest::FileDialogAnswer answer(c.answer);
        frmImport w;
        EXPECT_FALSE(w.load()) << c.what;
        EXPECT_EQ(messages.texts(), c.messages) << c.what;
        EXPECT_EQ(answer.folders, c.asked ? QStringList{folder_.path()} : QStringList()) << c.what;
        if (c.asked) {
            EXPECT_EQ(ui::statusText(), QStringLiteral("Выберите файл для импорта.")) << c.what;
        }
    }
}

TEST_F(ImportWindowLoadTest, AMissingCalcFileShowsAnEmptyWindow)
{
    core::state().CurrentKind = core::Groups;
    core::state().OfficeIsOOo = true;
    const QString path = folder_.file(QStringLiteral("нет.ods"));
    testsupport::MessageRecorder messages;
    importtest::FileDialogAnswer answer(path);
    frmImport w;
    EXPECT_TRUE(w.load());
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Файл электронной таблицы не найден: ") + path});
    EXPECT_EQ(w.Spr()->topLevelItemCount(), 0);
}

