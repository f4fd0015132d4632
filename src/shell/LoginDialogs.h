#pragma once
// The program password: frmLogin checks the stored password at start-up or,
// while the set-password command runs, takes a new one, which frmLogin2 has
// typed a second time.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {

// The setting that holds the password (section "User").
inline constexpr const char* kPasswordKey = "Passw";

// The password text as it is compared and stored: blanks at either end removed.
QString trimPasswordBlanks(const QString& text);

// Layout and Help behaviour shared by both dialogs.
class PasswordDialogBase : public QDialog {
    Q_OBJECT
public:
    QLineEdit* passwordEdit() const { return txtPassword; }
    QPushButton* okButton() const { return cmdOK; }
    QPushButton* cancelButton() const { return cmdCancel; }
    QPushButton* helpButton() const { return cmdApply; }

protected:
    PasswordDialogBase(QWidget* parent, const QString& okCaption);
    virtual void okClicked() = 0;
    // Puts the focus into the text box with its whole text selected.
    void focusPassword();

    QLabel* lblLabels = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
};

// frmLogin. Which of its two jobs it does is decided by
// core::state().SettingPassword when OK is pressed.
class LoginDialog : public PasswordDialogBase {
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);

    // Checking: the stored password read at the last OK. Setting: the new
    // password as typed into the confirmation dialog.
    QString pas;
    // True once the stored password has been given correctly.
    bool Ok = false;

protected:
    void okClicked() override;

private:
    void checkPassword();
    void setNewPassword();
};

// frmLogin2: the new password typed a second time.
class LoginConfirmDialog : public PasswordDialogBase {
    Q_OBJECT
public:
    explicit LoginConfirmDialog(QWidget* parent = nullptr);

protected:
    void okClicked() override;
};

// Start-up: true when no password is stored or the user gave it; false when
// the user cancelled (the program then ends).
bool checkProgramPassword();

// The set-password command: asks for the new password twice and stores it
// (an empty one removes the protection).
void setProgramPassword(QWidget* parent);

} // namespace shell
