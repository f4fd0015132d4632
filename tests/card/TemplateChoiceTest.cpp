// Choosing a printing house's template file: the dialog's start, the
// extension question, bare names and full paths, the remembered filter.
#include "CardTestSupport.h"

#include "card/TemplateChoice.h"
#include "platform/settings/Settings.h"

#include <QDir>
#include <QFileDialog>

using namespace cardtest;

namespace {

class TemplateChoiceTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        templates_ = QDir(core::state().AppPath).filePath(QStringLiteral("Шаблоны ЭЖ"));
        QDir().mkpath(templates_);
        other_ = folder_.file(QStringLiteral("Бланки"));
        QDir().mkpath(other_);
        for (const QString& dir : {templates_, other_})
            for (const char* name : {"Титул.dot", "Титул.ott", "Заметки.txt"}) {
                QFile f(QDir(dir).filePath(QString::fromUtf8(name)));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            }
        core::state().TemplatesFolder = templates_;
    }

    // Answers the file dialog with `file` (empty: cancels) and notes how it
    // was opened.
    void answerFileDialog(const QString& file, const QString& filter = {})
    {
        ui::setDialogHandler([this, file, filter](QDialog* dialog) {
            auto* fd = qobject_cast<QFileDialog*>(dialog);
            EXPECT_NE(fd, nullptr);
            if (!fd)
                return int(QDialog::Rejected);
            openedIn_ = fd->directory().absolutePath();
            openedFilter_ = fd->selectedNameFilter();
            openedFilters_ = fd->nameFilters();
            if (file.isEmpty())
                return int(QDialog::Rejected);
            if (!filter.isEmpty())
                fd->selectNameFilter(filter);
            fd->setDirectory(QFileInfo(file).absolutePath());
            fd->selectFile(QFileInfo(file).fileName());
            return int(QDialog::Accepted);
        });
    }

    QString templates_, other_;
    QString openedIn_, openedFilter_;
    QStringList openedFilters_;
};

const QString kWordFilter = QStringLiteral("Шаблоны документов MS Word (*.dot)");
const QString kAllFiles = QStringLiteral("Все файлы (*.*)");

} // namespace

TEST(TemplateLineValue, BareNameInsideTheTemplatesFolderFullPathElsewhere)
{
    EXPECT_EQ(card::templateLineValue("/opt/k/Шаблоны ЭЖ/Титул.dot", "/opt/k"), QStringLiteral("Титул.dot"));
    EXPECT_EQ(card::templateLineValue("/opt/k/шаблоны эж/Титул.dot", "/opt/k/"), QStringLiteral("Титул.dot"));
    EXPECT_EQ(card::templateLineValue("/opt/k/Шаблоны ЭЖ/sub/Титул.dot", "/opt/k"),
              QStringLiteral("/opt/k/Шаблоны ЭЖ/sub/Титул.dot"));
    EXPECT_EQ(card::templateLineValue("/srv/Бланки/Титул.dot", "/opt/k"), QStringLiteral("/srv/Бланки/Титул.dot"));
}

TEST_F(TemplateChoiceTest, FileFromTheTemplatesFolderIsStoredByItsName)
{
    const auto card = openCard(core::PrintingHouses, 4);
    ASSERT_EQ(card->field(2).FieldName(), QStringLiteral("Tmp7"));
    answerFileDialog(QDir(templates_).filePath("Титул.dot"));
    card->Cmd(2)->click();
    EXPECT_EQ(card->lineText(2), QStringLiteral("Титул.dot"));
    EXPECT_EQ(openedIn_, templates_);
    EXPECT_EQ(openedFilters_, (QStringList{kWordFilter, kAllFiles}));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Выбран файл шаблона: Титул.dot"));
    EXPECT_EQ(settings::getSetting("User", "iTmpExt"), QStringLiteral("1"));
    EXPECT_TRUE(card->IsChanged());
    EXPECT_TRUE(card->Ok_Click());
    EXPECT_EQ(jet::toText(value("SELECT Tmp7 FROM SPTPGR WHERE IDT = 4")), QStringLiteral("Титул.dot"));
}

TEST_F(TemplateChoiceTest, FileFromAnotherFolderIsStoredWithItsPathAndTheFolderRemembered)
{
    const auto card = openCard(core::PrintingHouses, 4);
    const QString file = QDir(other_).filePath("Титул.dot");
    answerFileDialog(file);
    card->Cmd(1)->click();
    EXPECT_EQ(card->lineText(1), file);
    EXPECT_EQ(core::state().TemplatesFolder, other_);
    // The templates folder setting is no longer where the dialog opens.
    answerFileDialog(QDir(templates_).filePath("Титул.dot"));
    card->Cmd(3)->click();
    EXPECT_EQ(openedIn_, other_);
    EXPECT_EQ(card->lineText(3), QStringLiteral("Титул.dot"));
}

TEST_F(TemplateChoiceTest, WriterTemplatesForOpenOfficeAndTheExtensionQuestion)
{
    core::state().OfficeIsOOo = true;
    auto card = openCard(core::PrintingHouses, 4);
    ASSERT_EQ(card->field(1).FieldName(), QStringLiteral("oTmp5"));
    const QString before = card->lineText(1);
    const QString question = QStringLiteral("Файл шаблона OpenOffice Writer должен иметь расширение \"ott\". Вы "
                                            "уверены, что хотите выбрать этот файл?");

    // A Word template: the question; Нет leaves the line.
    answerFileDialog(QDir(templates_).filePath("Титул.dot"), kAllFiles);
    card->Cmd(1)->click();
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(), question);
    EXPECT_EQ(messages_.messages().front().style, ui::YesNo | ui::Exclamation | ui::DefaultButton2);
    EXPECT_EQ(card->lineText(1), before);
    EXPECT_EQ(ui::statusText(), QStringLiteral("Файл шаблона не был выбран."));
    EXPECT_EQ(settings::getSetting("User", "iTmpExt"), QString());

    // Да stores it and remembers the filter.
    messages_.answer(ui::Yes);
    card->Cmd(1)->click();
    EXPECT_EQ(card->lineText(1), QStringLiteral("Титул.dot"));
    EXPECT_EQ(settings::getSetting("User", "iTmpExt"), QStringLiteral("2"));
    EXPECT_TRUE(openedFilters_.first().contains("*.ott"));
}

TEST_F(TemplateChoiceTest, FirstFilterFollowsTheLineOrTheRememberedChoice)
{
    const struct {
        const char* line;
        const char* setting;
        QString filter;
    } cases[] = {
        {"Кальвета.dot", "2", kWordFilter},
        {"", "2", kAllFiles},
        {"", "5", kWordFilter},
        {"", "x", kWordFilter},
        {"Заметки.txt", "2", kAllFiles},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + "/" + c.setting);
        settings::saveSetting("User", "iTmpExt", QString::fromUtf8(c.setting));
        const auto card = openCard(core::PrintingHouses, 4);
        card->setLineText(1, QString::fromUtf8(c.line));
        answerFileDialog({});
        card->Cmd(1)->click();
        EXPECT_EQ(openedFilter_, c.filter);
        card->setChanged(false);
    }
}

TEST_F(TemplateChoiceTest, CancelledDialogChangesNothing)
{
    const auto card = openCard(core::PrintingHouses, 4);
    const QString before = card->lineText(4);
    answerFileDialog({});
    card->Cmd(4)->click();
    EXPECT_EQ(card->lineText(4), before);
    EXPECT_FALSE(card->IsChanged());
    EXPECT_EQ(ui::statusText(), QStringLiteral("Файл шаблона не был выбран."));
}
