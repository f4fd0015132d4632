#pragma once
// The splash window (frmSplash): product name, version and purpose while the
// program starts. It closes itself after two seconds or at a key press that
// types a character.
#include <QDialog>

#include <functional>

class QLabel;
class QTimer;

namespace shell {

// "Версия 6.0.4": the program's version, each part a plain decimal number.
QString versionText();

class SplashWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCloseAfterMs = 2000;

    explicit SplashWindow(QWidget* parent = nullptr);

    // Start-up's two showings. The first returns when the window has closed
    // itself; `whenShown`, when given, is called with the window once it is
    // up (tests drive its timer from there). The second shows a window that
    // is painted at once and deletes itself when it closes.
    static void showModal(const std::function<void(SplashWindow&)>& whenShown = {});
    static SplashWindow* showModeless();

    QLabel* productNameLabel() const { return lblProductName; }
    QLabel* versionLabel() const { return lblVersion; }
    QLabel* licenseLabel() const { return lblLicenseTo; }
    QTimer* closeTimer() const { return Timer1; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* lblProductName = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblLicenseTo = nullptr;
    QLabel* Picture2 = nullptr;
    QTimer* Timer1 = nullptr;
};

} // namespace shell
