#include "platform/ui/FileDialogText.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace ui {
namespace {

// The columns of Qt's file list.
constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;

class RussianFileList : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid()
            || (index.column() != kSizeColumn && index.column() != kTypeColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QFileInfo info = files->fileInfo(source);
        if (index.column() == kTypeColumn)
            return info.isDir() ? QStringLiteral("Папка") : QIdentityProxyModel::data(index, role);
        if (info.isDir())
            return QIdentityProxyModel::data(index, role);  // Qt shows no size for a folder
        return QLocale(QLocale::Russian, QLocale::Russia)
            .formattedDataSize(files->size(source), 1, QLocale::DataSizeTraditionalFormat);
    }
};

} // namespace

void useRussianFileList(QFileDialog* dialog)
{
    if (!dialog || dynamic_cast<RussianFileList*>(dialog->proxyModel()))
        return;
    dialog->setProxyModel(new RussianFileList(dialog));
}

} // namespace ui
