#include "shell/LoginDialogs.h"

#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/ProgramIcon.h"
#include "shell/UserManual.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace shell {
namespace {

// Client area and control positions in twips (left, top, width, height).
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 3735;
constexpr int kClientHeight = 930;

// The layout is kept in proportion and grows with the font, so that the
// label's text always fits its place.
QRect twipsRect(double scale, int left, int top, int width, int height)
{
    const double k = scale / kTwipsPerPixel;
    return QRect(qRound(left * k), qRound(top * k), qRound(width * k), qRound(height * k));
}

QString storedPassword()
{
    return settings::getSetting(QString::fromLatin1(settings::kSectionUser), QString::fromLatin1(kPasswordKey));
}

} // namespace

QString trimPasswordBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

PasswordDialogBase::PasswordDialogBase(QWidget* parent, const QString& okCaption)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setWindowIcon(programIcon());

    lblLabels = new QLabel(QStringLiteral("Введите пароль:"), this);
    lblLabels->setObjectName(QStringLiteral("lblLabels"));
    const double labelWidth = 1320.0 / kTwipsPerPixel;
    const double scale = qMax(1.0, (lblLabels->fontMetrics().horizontalAdvance(lblLabels->text()) + 6) / labelWidth);
    setFixedSize(qRound(kClientWidth * scale / kTwipsPerPixel), qRound(kClientHeight * scale / kTwipsPerPixel));
    lblLabels->setGeometry(twipsRect(scale, 120, 180, 1320, 255));

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    txtPassword->setGeometry(twipsRect(scale, 1560, 120, 2055, 285));
    lblLabels->setBuddy(txtPassword);

    cmdOK = new QPushButton(okCaption, this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(scale, 120, 600, 1095, 315));
    cmdOK->setDefault(true);

    cmdCancel = new QPushButton(QStringLiteral("Отмена"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(twipsRect(scale, 1320, 600, 1095, 315));
    cmdCancel->setAutoDefault(false);

    cmdApply = new QPushButton(QStringLiteral("Помощь"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setGeometry(twipsRect(scale, 2520, 600, 1095, 315));
    cmdApply->setAutoDefault(false);

    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, cmdApply);

    connect(cmdOK, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);  // Esc too
    connect(cmdApply, &QPushButton::clicked, this, [] { OpenUserManual(); });
    // F1 anywhere in the dialog opens the manual and reaches no control.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [] { OpenUserManual(); });

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    txtPassword->setFocus();
}

void PasswordDialogBase::focusPassword()
{
    txtPassword->setFocus();
    txtPassword->selectAll();
}

LoginDialog::LoginDialog(QWidget* parent)
    : PasswordDialogBase(parent, QStringLiteral("OK"))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(ui::applicationTitle());
}

void LoginDialog::okClicked()
{
    if (core::state().SettingPassword)
        setNewPassword();
    else
        checkPassword();
}

void LoginDialog::checkPassword()
{
    pas = storedPassword();
    // Only the typed text is trimmed: a stored value with blanks at either end
    // (which the set-password command no longer writes) cannot be given.
    if (trimPasswordBlanks(txtPassword->text()) == pas) {
        Ok = true;
        accept();
        return;
    }
    ui::msgBox(QStringLiteral("Неверный пароль, введите заново!"), ui::Critical);
    focusPassword();
}

void LoginDialog::setNewPassword()
{
    LoginConfirmDialog confirm(this);
    if (ui::execDialog(&confirm) != QDialog::Accepted) {
        // Cancelling the confirmation cancels the command: nothing is stored.
        reject();
        return;
    }
    // Both entries are trimmed as the check at start-up trims what is typed,
    // so the password stored is the one that can be given again.
    pas = trimPasswordBlanks(confirm.passwordEdit()->text());
    if (trimPasswordBlanks(txtPassword->text()) != pas) {
        ui::msgBox(QStringLiteral("Повторный ввод неверен."), ui::Critical);
        focusPassword();
        return;
    }
    settings::saveSetting(QString::fromLatin1(settings::kSectionUser), QString::fromLatin1(kPasswordKey), pas);
    ui::msgBox(QStringLiteral("Пароль ") + (pas.isEmpty() ? QStringLiteral("снят.") : QStringLiteral("установлен.")),
               ui::Information);
    accept();
}

LoginConfirmDialog::LoginConfirmDialog(QWidget* parent)
    : PasswordDialogBase(parent, QStringLiteral("ОК"))  // Cyrillic letters
{
    setObjectName(QStringLiteral("frmLogin2"));
    setWindowTitle(QStringLiteral("Подтверждение пароля"));
}

void LoginConfirmDialog::okClicked()
{
    accept();
}

bool checkProgramPassword()
{
    if (storedPassword().isEmpty())
        return true;
    LoginDialog login;
    ui::execDialog(&login);
    return login.Ok;
}

void setProgramPassword(QWidget* parent)
{
    core::state().SettingPassword = true;
    LoginDialog login(parent);
    ui::execDialog(&login);
    core::state().SettingPassword = false;
}

} // namespace shell
