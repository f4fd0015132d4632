#include "shell/AboutWindow.h"

#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/ProgramIcon.h"
#include "shell/SplashWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {
namespace {

constexpr int kWidthTwips = 5775;
constexpr int kHeightTwips = 4740;
constexpr int kTwipsPerPixel = 15;

} // namespace

AboutWindow::AboutWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowIcon(programIcon());
    setFixedSize(kWidthTwips / kTwipsPerPixel, kHeightTwips / kTwipsPerPixel);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(programEmblem(64));
    Picture1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(Picture1, 0, 0, 3, 1);

    const QString title = core::state().MainCaption.isEmpty() ? ui::applicationTitle() : core::state().MainCaption;
    lblTitle = new QLabel(title, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont tf = lblTitle->font();
    tf.setPointSizeF(tf.pointSizeF() * 1.8);
    tf.setBold(true);
    lblTitle->setFont(tf);
    QPalette tp = lblTitle->palette();
    tp.setColor(QPalette::WindowText, brandColor());
    lblTitle->setPalette(tp);
    grid->addWidget(lblTitle, 0, 1);

    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    grid->addWidget(lblVersion, 1, 1);

    lblDescription = new QLabel(QStringLiteral("Программа для печати сертификатов специалистов, выдаваемых медицинским "
                                               "и фармацевтическим работникам."),
                                this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(lblDescription, 2, 1);
    grid->setRowStretch(2, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 3, 0, 1, 2);

    auto* bottom = new QHBoxLayout;
    lblDisclaimer = new QLabel(QStringLiteral("Внимание: программа охраняется законодательством об авторском праве. "
                                              "Незаконное воспроизведение или распространение программы или любой "
                                              "её части преследуется по закону."),
                               this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    QFont df = lblDisclaimer->font();
    df.setPointSizeF(df.pointSizeF() * 0.85);
    lblDisclaimer->setFont(df);
    bottom->addWidget(lblDisclaimer, 1);

    auto* buttons = new QVBoxLayout;
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    bottom->addLayout(buttons);
    grid->addLayout(bottom, 4, 0, 1, 2);

    // OK is both the default button (Enter) and the cancel button (Esc, which
    // QDialog turns into reject()).
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::StartSysInfo);
    cmdOK->setFocus();
}

void AboutWindow::showAbout(QWidget* owner)
{
    AboutWindow about(owner);
    ui::execDialog(&about);
}

bool AboutWindow::GetKeyValue(const QString& keyName, const QString& valueName, QString& keyVal)
{
    // A value that is absent reads as the default; one that exists never
    // equals this text, which no path can hold.
    static const QString absent = QStringLiteral("\x01");
    const QString value = settings::getSystemSetting(keyName, valueName, absent);
    if (value == absent) {
        keyVal.clear();
        return false;
    }
    keyVal = value;
    return true;
}

void AboutWindow::StartSysInfo()
{
    QString program;
    QString folder;
    if (GetKeyValue(QString::fromLatin1(kSysInfoKey), QString::fromLatin1(kSysInfoValue), program)) {
        // The value names the program itself.
    } else if (GetKeyValue(QString::fromLatin1(kSharedToolsKey), QString::fromLatin1(kSharedToolsValue), folder)
               && !folder.isEmpty()
               && QFileInfo(QDir(folder).filePath(QString::fromLatin1(kSysInfoProgram))).isFile()) {
        program = QDir(folder).filePath(QString::fromLatin1(kSysInfoProgram));
    }
    if (program.isEmpty() || !QProcess::startDetached(program, {})) {
        ui::msgBox(QStringLiteral("System Information Is Unavailable At This Time"), ui::OkOnly);
    }
}

} // namespace shell
