// The grade-sheet settings dialog: what it shows, what "OK" accepts and
// saves, and that every way out but "OK" cancels.
#include "import/frmImportOzen.h"

#include "ImportTestSupport.h"
#include "import/GradeSettings.h"
#include "platform/settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace importer;

namespace {

class GradeSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        testsupport::clearSettings();
        core::state().SheetNameList = QStringLiteral("//Титул//Ведомость//ведомость");
    }
    void TearDown() override { core::resetState(); }

    static QStringList boxTexts(const frmImportOzen& d)
    {
        QStringList out;
        for (int i = 0; i < 6; ++i)
            out << d.numberBox(i)->text();
        return out;
    }
    static QString saved(GradeSetting s) { return settings::getSetting("User", gradeSettingKey(s), "нет"); }
};

} // namespace

TEST_F(GradeSettingsDialogTest, FirstUseShowsTheDefaults)
{
    frmImportOzen d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Импорт"));
    // Label order: first row, name column, discipline row, first and last
    // discipline column, last row.
    EXPECT_EQ(boxTexts(d), (QStringList{"1", "1", "1", "2", "2", "1"}));
    EXPECT_TRUE(d.Check(1)->isChecked());
    for (int i = 2; i <= 5; ++i)
        EXPECT_FALSE(d.Check(i)->isChecked()) << i;
    ASSERT_EQ(d.Cm1()->count(), 3);
    EXPECT_EQ(d.Cm1()->currentText(), QStringLiteral("Титул"));
    EXPECT_EQ(d.Check(5)->text(), QStringLiteral("Очищать столбец \"Оценки\" и импортировать их из файла"));
}

TEST_F(GradeSettingsDialogTest, TheSavedSheetIsPreselectedOnlyWhenItsNameIsEqual)
{
    const struct {
        const char* saved;
        const char* selected;
    } cases[] = {{"ведомость", "ведомость"}, {"Ведомость", "Ведомость"}, {"ВЕДОМОСТЬ", "Титул"}, {"Нет листа", "Титул"}};
    for (const auto& c : cases) {
        saveGradeSetting(SheetName, QString::fromUtf8(c.saved));
        frmImportOzen d;
        EXPECT_EQ(d.Cm1()->currentText(), QString::fromUtf8(c.selected)) << c.saved;
    }
}

TEST_F(GradeSettingsDialogTest, OkTestsTheNumbersInTheirOrderAndSavesNothingOnAFailure)
{
    const struct {
        int box;  // label index
        const char* text;
        const char* message;  // "" when accepted
    } cases[] = {
        {0, "0", "Введите целое число в поле \"№ первой строки с ФИО\"."},
        {5, "0,7", "Введите целое число в поле \"№ последней строки с ФИО\"."},
        {1, "", "Введите целое число в поле \"№ столбца с ФИО\"."},
        {2, "abc", "Введите целое число в поле \"№ строки с наименованием дисциплин\"."},
        {3, "0.9", "Введите целое число в поле \"№ столбца с первым наименованием дисциплины\"."},
        {4, "x2", "Введите целое число в поле \"№ столбца с последним наименованием дисциплины\"."},
        {0, "2,5", ""},
        {5, "-3", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        testsupport::clearSettings();
        testsupport::MessageRecorder messages;
        frmImportOzen d;
        d.numberBox(c.box)->setText(QString::fromUtf8(c.text));
        d.Ok_Click();
        if (*c.message) {
            EXPECT_EQ(messages.texts(), QStringList{QString::fromUtf8(c.message)});
            EXPECT_EQ(saved(SheetName), QStringLiteral("нет"));
            EXPECT_EQ(d.result(), 0);
        } else {
            EXPECT_EQ(messages.count(), 0);
            EXPECT_EQ(d.result(), int(QDialog::Accepted));
            EXPECT_EQ(saved(c.box == 0 ? FirstPersonRow : LastPersonRow), QString::fromUtf8(c.text));
        }
    }

    // The sheet is tested after the two row boxes and before the others.
    testsupport::MessageRecorder messages;
    core::state().SheetNameList.clear();
    frmImportOzen d;
    d.numberBox(1)->setText(QStringLiteral("0"));
    d.Ok_Click();
    EXPECT_EQ(messages.texts(), QStringList{"Выберите наименование листа для импорта."});
}

TEST_F(GradeSettingsDialogTest, OkSavesTheTwelveValuesAndKeepsTheResultAtZero)
{
    frmImportOzen d;
    d.Cm1()->setCurrentIndex(1);
    const QStringList texts{"4", "2", "3", "4", "9", "10"};
    for (int i = 0; i < 6; ++i)
        d.numberBox(i)->setText(texts.at(i));
    d.Check(1)->setChecked(false);
    d.Check(3)->setChecked(true);
    d.Check(5)->setChecked(true);
    d.Ok_Click();
    EXPECT_EQ(core::state().DialogResult, 0);
    QStringList values;
    for (int s = 0; s < GradeSettingCount; ++s)
        values << saved(GradeSetting(s));
    EXPECT_EQ(values, (QStringList{"Ведомость", "4", "10", "2", "0", "0", "3", "4", "9", "1", "0", "1"}));

    const GradeSheetSettings read = loadGradeSheetSettings();
    EXPECT_EQ(read.sheetName, QStringLiteral("Ведомость"));
    EXPECT_EQ(read.lastPersonRow, 10);
    EXPECT_FALSE(read.threeNameColumns);
    EXPECT_TRUE(read.everySecondColumn);
    EXPECT_TRUE(read.refillGrades);
}

TEST_F(GradeSettingsDialogTest, EveryOtherWayOutCancelsAndSavesNothing)
{
    for (int way = 0; way < 3; ++way) {
        core::state().DialogResult = 0;
        frmImportOzen d;
        d.show();
        d.numberBox(0)->setText(QStringLiteral("7"));
        if (way == 0)
            d.Cancel_Click();
        else if (way == 1)
            d.close();  // the window's close button
        else
            d.reject();  // Esc
        EXPECT_EQ(core::state().DialogResult, -1) << way;
        EXPECT_EQ(saved(FirstPersonRow), QStringLiteral("нет"));
    }
}
