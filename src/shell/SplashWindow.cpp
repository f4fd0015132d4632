#include "shell/SplashWindow.h"

#include "core/AppState.h"
#include "platform/ui/Messages.h"
#include "shell/ProgramIcon.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace shell {
namespace {

// The window's client area in twips and the twips of one pixel.
constexpr int kWidthTwips = 7455;
constexpr int kHeightTwips = 4665;
constexpr int kTwipsPerPixel = 15;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int pointSize, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont f = label->font();
    if (pointSize > 0)
        f.setPointSizeF(pointSize);
    f.setBold(bold);
    label->setFont(f);
    return label;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

} // namespace

QString versionText()
{
    return QStringLiteral("Версия %1.%2.%3").arg(core::kAppMajor).arg(core::kAppMinor).arg(core::kAppRevision);
}

SplashWindow::SplashWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString());
    // No caption is drawn; the task bar and the window list name the window
    // by its native title, which an empty caption would leave to the
    // program file's name.
    create();
    if (QWindow* native = windowHandle())
        native->setTitle(ui::applicationTitle());
    setWindowIcon(programIcon());
    setFixedSize(kWidthTwips / kTwipsPerPixel, kHeightTwips / kTwipsPerPixel);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(248, 250, 252));
    setPalette(pal);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    auto* fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setStyleSheet(QStringLiteral("QFrame#fraMainFrame { border: 1px solid rgb(43,130,174); background: white; }"));
    outer->addWidget(fraMainFrame);

    auto* grid = new QGridLayout(fraMainFrame);
    grid->setContentsMargins(18, 16, 18, 12);
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(4);

    Picture2 = new QLabel(fraMainFrame);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setPixmap(programEmblem(104));
    Picture2->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(Picture2, 0, 0, 4, 1);

    lblProductName = makeLabel(fraMainFrame, QStringLiteral("lblProductName"), QStringLiteral("Кальвета"), 30, true);
    lblProductName->setAlignment(Qt::AlignCenter);
    grid->addWidget(lblProductName, 0, 1);

    Label2 = makeLabel(fraMainFrame, QStringLiteral("Label2"), QStringLiteral("учёт выпускников и документов"), 12, true);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setVisible(true);
    grid->addWidget(Label2, 1, 1);

    lblVersion = makeLabel(fraMainFrame, QStringLiteral("lblVersion"), versionText(), 11, false);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(lblVersion, 2, 1);

    for (QLabel* l : {lblProductName, Label2, lblVersion})
        setTextColor(l, brandColor());

    lblLicenseTo = makeLabel(fraMainFrame, QStringLiteral("lblLicenseTo"),
                             QStringLiteral("Программа для печати сертификатов специалистов, выдаваемых медицинским "
                                            "и фармацевтическим работникам, образца 2013 года"),
                             0, false);
    lblLicenseTo->setWordWrap(true);
    lblLicenseTo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(lblLicenseTo, 3, 1);
    grid->setRowStretch(3, 1);

    auto* line = new QFrame(fraMainFrame);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 4, 0, 1, 2);

    // Notices of the makers.
    const QColor noticeColor(90, 98, 106);
    auto* lblCompany = makeLabel(fraMainFrame, QStringLiteral("lblCompany"),
                                 QStringLiteral("Разработка и сопровождение: команда программы «%1»")
                                     .arg(QStringLiteral("Кальвета")),
                                 8, false);
    auto* lblCopyright = makeLabel(fraMainFrame, QStringLiteral("lblCopyright"),
                                   QStringLiteral("© 2013–2024. Все права защищены."), 8, false);
    auto* lblPlatform = makeLabel(fraMainFrame, QStringLiteral("lblPlatform"),
                                  QStringLiteral("Для учреждений, готовящих медицинских и фармацевтических работников"), 8,
                                  false);
    auto* lblWarning = makeLabel(fraMainFrame, QStringLiteral("lblWarning"),
                                 QStringLiteral("Программа охраняется законодательством об авторском праве. Её "
                                                "незаконное копирование и распространение преследуются по закону."),
                                 7, false);
    lblWarning->setWordWrap(true);
    int row = 5;
    for (QLabel* l : {lblPlatform, lblCompany, lblCopyright, lblWarning}) {
        setTextColor(l, noticeColor);
        grid->addWidget(l, row++, 0, 1, 2);
    }

    // Centre on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(kCloseAfterMs);
    connect(Timer1, &QTimer::timeout, this, [this] { done(QDialog::Accepted); });
    Timer1->start();
}

void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys that type a character (letters, digits, space, Enter, Esc,
    // Backspace) close the window; function keys, arrows and modifiers do not.
    if (!event->text().isEmpty()) {
        done(QDialog::Accepted);
        return;
    }
    event->accept();
}

void SplashWindow::showModal(const std::function<void(SplashWindow&)>& whenShown)
{
    SplashWindow splash;
    if (whenShown)
        QTimer::singleShot(0, &splash, [&splash, &whenShown] { whenShown(splash); });
    splash.exec();
}

SplashWindow* SplashWindow::showModeless()
{
    auto* splash = new SplashWindow;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return splash;
}

} // namespace shell

