#pragma once
// The about window (frmAbout): title, version and purpose of the program, and
// a button that starts the system-information program.
#include <QDialog>

class QLabel;
class QPushButton;

namespace shell {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* owner = nullptr);

    // Shows the window modally over `owner` (through ui::execDialog).
    static void showAbout(QWidget* owner);

    // Starts the system-information program named by the machine-wide
    // settings, or reports that there is none.
    void StartSysInfo();

    // The text value `valueName` under `keyName` of the machine-wide settings;
    // false with an empty `keyVal` when there is no such value.
    static bool GetKeyValue(const QString& keyName, const QString& valueName, QString& keyVal);

    // Where the two machine-wide values live.
    static constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    static constexpr const char* kSysInfoValue = "PATH";
    static constexpr const char* kSharedToolsKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
    static constexpr const char* kSharedToolsValue = "MSINFO";
    static constexpr const char* kSysInfoProgram = "MSINFO32.EXE";

    QLabel* titleLabel() const { return lblTitle; }
    QLabel* versionLabel() const { return lblVersion; }
    QLabel* descriptionLabel() const { return lblDescription; }
    QPushButton* okButton() const { return cmdOK; }
    QPushButton* sysInfoButton() const { return cmdSysInfo; }

private:
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* Picture1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};

} // namespace shell
