#include "platform/ui/FileDialogText.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMimeDatabase>

namespace ui {
namespace {

// The columns of Qt's file list.
constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

QLocale russian()
{
    return QLocale(QLocale::Russian, QLocale::Russia);
}

// Kinds and icons of files by their names: the list never opens a file.
class IconsByName : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }

    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QFileIconProvider::icon(Folder);
        const QMimeType mime = byName(info);
        const QIcon plain = QFileIconProvider::icon(File);
        return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), plain));
    }

    QString type(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QStringLiteral("Папка");
        const QMimeType mime = byName(info);
        if (mime.isDefault() || mime.comment().isEmpty())
            return info.suffix().isEmpty() ? QStringLiteral("Файл") : QStringLiteral("Файл ") + info.suffix().toUpper();
        return mime.comment();
    }

private:
    QMimeType byName(const QFileInfo& info) const { return mimes_.mimeTypeForFile(info, QMimeDatabase::MatchExtension); }
    QMimeDatabase mimes_;
};

class RussianFileList : public QIdentityProxyModel {
public:
    explicit RussianFileList(QObject* parent) : QIdentityProxyModel(parent) {}

    // The dialog's list keeps using the provider as long as it lives.
    QAbstractFileIconProvider* icons() { return &icons_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid()
            || (index.column() != kSizeColumn && index.column() != kTypeColumn && index.column() != kDateColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QFileInfo info = files->fileInfo(source);
        if (index.column() == kTypeColumn)
            return info.isDir() ? QStringLiteral("Папка") : QIdentityProxyModel::data(index, role);
        if (index.column() == kDateColumn)
            return russian().toString(files->lastModified(source), QLocale::ShortFormat);
        if (info.isDir())
            return QIdentityProxyModel::data(index, role);  // Qt shows no size for a folder
        return russian().formattedDataSize(files->size(source), 1, QLocale::DataSizeTraditionalFormat);
    }

private:
    IconsByName icons_;
};

} // namespace

void useRussianFileList(QFileDialog* dialog)
{
    if (!dialog || dynamic_cast<RussianFileList*>(dialog->proxyModel()))
        return;
    auto* list = new RussianFileList(dialog);
    dialog->setIconProvider(list->icons());
    dialog->setProxyModel(list);
}

} // namespace ui
