// The program password: checking at start-up, setting a new one, and the Help
// button and F1 of both dialogs.
#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "shell/LoginDialogs.h"
#include "shell/UserManual.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <optional>

namespace {

using shell::LoginConfirmDialog;
using shell::LoginDialog;

// One thing the user does in a password dialog: type a text and press a button.
struct Step {
    QString dialog;  // "frmLogin" or "frmLogin2"
    QString text;
    enum Button { Ok, Cancel, CloseBox } button = Ok;
};

// Answers the dialogs from a script and records which dialogs were shown.
class ScriptedDialogs {
public:
    explicit ScriptedDialogs(std::vector<Step> steps)
        : steps_(steps.begin(), steps.end())
    {
        ui::setDialogHandler([this](QDialog* d) { return run(d); });
    }
    ~ScriptedDialogs() { ui::setDialogHandler({}); }
    const QStringList& shown() const { return shown_; }
    bool allStepsUsed() const { return steps_.empty(); }

private:
    int run(QDialog* dialog)
    {
        shown_ << dialog->objectName();
        bool finished = false;
        const auto connection =
            QObject::connect(dialog, &QDialog::finished, dialog, [&finished] { finished = true; });
        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        while (!finished && !steps_.empty() && steps_.front().dialog == dialog->objectName()) {
            const Step step = steps_.front();
            steps_.pop_front();
            box->setText(step.text);
            if (step.button == Step::Ok)
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
            else if (step.button == Step::Cancel)
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
            else
                dialog->close();
        }
        QObject::disconnect(connection);
        return dialog->result();
    }

    std::deque<Step> steps_;
    QStringList shown_;
};

QString storedPassword()
{
    return settings::getSetting(QStringLiteral("User"), QStringLiteral("Passw"), QStringLiteral("<absent>"));
}

void storePassword(const std::optional<QString>& value)
{
    testsupport::clearSettings();
    if (value)
        settings::saveSetting(QStringLiteral("User"), QStringLiteral("Passw"), *value);
}

const QString kWrong = QStringLiteral("Неверный пароль, введите заново!");
const QString kMismatch = QStringLiteral("Повторный ввод неверен.");

TEST(ProgramPassword, CheckingAtStartUp)
{
    struct Case {
        const char* name;
        std::optional<QString> stored;
        std::vector<Step> steps;
        bool passes;
        QStringList messages;
        int dialogs;
    };
    const QString login = QStringLiteral("frmLogin");
    const QString secret = QStringLiteral("Тайна 7");
    const Case cases[] = {
        {"none stored", std::nullopt, {}, true, {}, 0},
        {"empty stored", QString(), {}, true, {}, 0},
        {"right", secret, {{login, secret}}, true, {}, 1},
        {"blanks around what is typed", secret, {{login, QStringLiteral("  Тайна 7 ")}}, true, {}, 1},
        {"wrong then right", secret, {{login, QStringLiteral("тайна 7")}, {login, secret}}, true, {kWrong}, 1},
        {"wrong twice then right", secret,
         {{login, QStringLiteral("x")}, {login, QString()}, {login, secret}}, true, {kWrong, kWrong}, 1},
        {"cancel", secret, {{login, QStringLiteral("x"), Step::Cancel}}, false, {}, 1},
        {"wrong then close box", secret, {{login, QStringLiteral("x")}, {login, {}, Step::CloseBox}}, false, {kWrong}, 1},
        {"stored with blanks is never given", QStringLiteral(" a "),
         {{login, QStringLiteral(" a ")}, {login, {}, Step::Cancel}}, false, {kWrong}, 1},
    };
    for (const Case& c : cases) {
        storePassword(c.stored);
        core::resetState();
        testsupport::MessageRecorder messages;
        ScriptedDialogs dialogs(c.steps);
        EXPECT_EQ(shell::checkProgramPassword(), c.passes) << c.name;
        EXPECT_EQ(messages.texts(), c.messages) << c.name;
        for (const auto& m : messages.messages())
            EXPECT_EQ(m.icon(), ui::Critical) << c.name;
        EXPECT_EQ(dialogs.shown().size(), c.dialogs) << c.name;
        EXPECT_TRUE(dialogs.allStepsUsed()) << c.name;
    }
}

TEST(ProgramPassword, SettingANewOne)
{
    struct Case {
        const char* name;
        std::vector<Step> steps;
        QString storedAfter;
        QStringList messages;
    };
    const QString login = QStringLiteral("frmLogin");
    const QString confirm = QStringLiteral("frmLogin2");
    const QString old = QStringLiteral("старый");
    const Case cases[] = {
        {"set", {{login, QStringLiteral("Новый1")}, {confirm, QStringLiteral("Новый1")}}, QStringLiteral("Новый1"),
         {QStringLiteral("Пароль установлен.")}},
        {"clear", {{login, QString()}, {confirm, QString()}}, QString(), {QStringLiteral("Пароль снят.")}},
        {"mismatch, then cancel", {{login, QStringLiteral("abc")}, {confirm, QStringLiteral("abd")},
                                   {login, QString(), Step::Cancel}},
         old, {kMismatch}},
        {"mismatch in letter case, then a match",
         {{login, QStringLiteral("Abc")}, {confirm, QStringLiteral("abc")}, {login, QStringLiteral("abc")},
          {confirm, QStringLiteral("abc")}},
         QStringLiteral("abc"), {kMismatch, QStringLiteral("Пароль установлен.")}},
        {"cancel of the confirmation", {{login, QString()}, {confirm, QStringLiteral("zzz"), Step::Cancel}}, old, {}},
        {"confirmation closed by its box", {{login, QStringLiteral("q")}, {confirm, QStringLiteral("q"), Step::CloseBox}},
         old, {}},
        {"cancel of the first dialog", {{login, QStringLiteral("q"), Step::Cancel}}, old, {}},
        {"blanks around", {{login, QStringLiteral(" пароль  ")}, {confirm, QStringLiteral("пароль ")}},
         QStringLiteral("пароль"), {QStringLiteral("Пароль установлен.")}},
    };
    for (const Case& c : cases) {
        storePassword(old);
        core::resetState();
        testsupport::MessageRecorder messages;
        {
            ScriptedDialogs dialogs(c.steps);
            shell::setProgramPassword(nullptr);
            EXPECT_TRUE(dialogs.allStepsUsed()) << c.name;
        }
        EXPECT_FALSE(core::state().SettingPassword) << c.name;
        EXPECT_EQ(storedPassword(), c.storedAfter) << c.name;
        EXPECT_EQ(messages.texts(), c.messages) << c.name;
        for (const auto& m : messages.messages())
            EXPECT_EQ(m.icon(), m.text == kMismatch ? int(ui::Critical) : int(ui::Information)) << c.name;
    }
}

TEST(ProgramPassword, APasswordSetWithBlanksCanBeGivenAgain)
{
    storePassword(std::nullopt);
    core::resetState();
    testsupport::MessageRecorder messages;
    {
        ScriptedDialogs set({{QStringLiteral("frmLogin"), QStringLiteral("  ключ ")},
                             {QStringLiteral("frmLogin2"), QStringLiteral("  ключ ")}});
        shell::setProgramPassword(nullptr);
    }
    ScriptedDialogs check({{QStringLiteral("frmLogin"), QStringLiteral("  ключ ")}});
    EXPECT_TRUE(shell::checkProgramPassword());
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Пароль установлен.")});
}

TEST(ProgramPassword, DialogsCarryTheirCaptions)
{
    LoginDialog login;
    LoginConfirmDialog confirm;
    EXPECT_EQ(login.windowTitle(), QStringLiteral("Кальвета"));
    EXPECT_EQ(confirm.windowTitle(), QStringLiteral("Подтверждение пароля"));
    EXPECT_EQ(login.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(confirm.okButton()->text(), QStringLiteral("\u041e\u041a"));  // Cyrillic О and К
    for (shell::PasswordDialogBase* d : {static_cast<shell::PasswordDialogBase*>(&login),
                                         static_cast<shell::PasswordDialogBase*>(&confirm)}) {
        EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("lblLabels"))->text(), QStringLiteral("Введите пароль:"));
        EXPECT_EQ(d->cancelButton()->text(), QStringLiteral("Отмена"));
        EXPECT_EQ(d->helpButton()->text(), QStringLiteral("Помощь"));
        EXPECT_EQ(d->passwordEdit()->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(d->passwordEdit()->text().isEmpty());
        EXPECT_TRUE(d->okButton()->isDefault());
        // The layout keeps its proportions and grows with the font.
        EXPECT_GE(d->width(), 3735 / 15);
        EXPECT_NEAR(d->width() * 930.0 / (d->height() * 3735.0), 1.0, 0.05);
        auto* label = d->findChild<QLabel*>(QStringLiteral("lblLabels"));
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
    EXPECT_FALSE(login.Ok);
    EXPECT_TRUE(login.pas.isEmpty());
}

TEST(ProgramPassword, EscCancelsTheCheck)
{
    storePassword(QStringLiteral("x"));
    LoginDialog login;
    login.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
    QTest::keyClick(login.passwordEdit(), Qt::Key_Escape);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(login.result(), QDialog::Rejected);
    EXPECT_FALSE(login.Ok);
}

TEST(ProgramPassword, HelpButtonAndF1OpenTheManualInBothDialogs)
{
    testsupport::TempFolder app;
    core::resetState();
    core::state().AppPath = app.path();
    QFile manual(QDir(app.path()).filePath(QString::fromUtf8(shell::kUserManualFileName)));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.close();
    QList<QUrl> opened;
    shell::setDocumentOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    testsupport::MessageRecorder messages;

    LoginDialog login;
    LoginConfirmDialog confirm;
    for (shell::PasswordDialogBase* d : {static_cast<shell::PasswordDialogBase*>(&login),
                                         static_cast<shell::PasswordDialogBase*>(&confirm)}) {
        opened.clear();
        d->show();
        d->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        QTest::mouseClick(d->helpButton(), Qt::LeftButton);
        d->passwordEdit()->setFocus();
        d->passwordEdit()->setText(QStringLiteral("ab"));
        QTest::keyClick(d->passwordEdit(), Qt::Key_F1);
        QTest::keyClick(d->okButton(), Qt::Key_F1);
        ASSERT_EQ(opened.size(), 3) << d->objectName().toStdString();
        EXPECT_EQ(opened[0], QUrl::fromLocalFile(manual.fileName()));
        EXPECT_EQ(d->passwordEdit()->text(), QStringLiteral("ab"));
        EXPECT_TRUE(d->isVisible());
        d->hide();
    }
    EXPECT_EQ(messages.count(), 0);
    shell::setDocumentOpener({});
}

} // namespace
