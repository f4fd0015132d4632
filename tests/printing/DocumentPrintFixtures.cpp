#include "DocumentPrintFixtures.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"
#include "printing/TemplateNames.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/UnoSupport.h"
#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QUrl>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/util/XRefreshable.hpp>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace printtest {

namespace {

qlonglong insert(const QString& sql, const QVariantList& values)
{
    core::db().execute(sql, values);
    return core::db().lastInsertKey();
}

} // namespace

void SampleDatabaseTest::SetUp()
{
    core::resetState();
    core::state().AppPath = home.path();
    core::state().OfficeIsOOo = GetParam();
    printing::UseDefaultTemplateNames();
    testsupport::MessageRecorder quiet;
    ASSERT_TRUE(newdb::CreateNewDatabase(home.file(QStringLiteral("kalveta.db")), false));
}

void SampleDatabaseTest::TearDown()
{
    core::CloseDatabase();
}

long SampleDatabaseTest::personId(const char* surname) const
{
    return long(jet::toLong(
        core::db().scalar(QStringLiteral("SELECT ID FROM SPSTUD WHERE FAM = ?"), {QString::fromUtf8(surname)})));
}

SamplePeople makeDatabase(const QString& path)
{
    SamplePeople out;
    {
        testsupport::MessageRecorder quiet;
        if (!newdb::CreateNewDatabase(path, true))
            return out;
    }
    auto& db = core::db();
    db.execute(QStringLiteral("UPDATE INF SET NAIM = ?, GORODMED = ?, FIORUK = ?"),
               {QStringLiteral("Медицинский колледж № 1\nг. Энск"), QStringLiteral("г. Энск"),
                QStringLiteral("Орлова Е.В.")});
    const qlonglong specialty = insert(QStringLiteral("INSERT INTO SPOTD (NAIM, MEMO, KVAL) VALUES (?, ?, ?)"),
                                       {QStringLiteral("Сестринское дело"),
                                        QStringLiteral("34.02.01 Сестринское дело"),
                                        QStringLiteral("Медицинская сестра")});
    const qlonglong med = jet::toLong(db.scalar(QStringLiteral("SELECT MIN(IDM) FROM SPMED")));
    const qlonglong group = insert(
        QStringLiteral("INSERT INTO SPGRUP (NAIM, IDO, IDM, DatMed, DatGAKMed, PRGAKMed, date_S, date_Po, Spec, KVAL, Dat) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("Ф-21"), specialty, med, QDate(2024, 3, 5), QDate(2024, 3, 1), QStringLiteral("17"),
         QDate(2023, 9, 1), QDate(2024, 2, 28), QStringLiteral("Сестринское дело в педиатрии"),
         QStringLiteral("Медицинская сестра"), QDate(2024, 3, 12)});
    out.certificateHolder = long(insert(
        QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, NOMMED) VALUES (?, ?, ?, ?, ?, ?)"),
        {group, QStringLiteral("Смирнова"), QStringLiteral("Анна"), QStringLiteral("Петровна"),
         QStringLiteral("0112-24"), QStringLiteral("1177 0012345")}));
    out.retrainee = long(insert(
        QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, regnomDoc, DIPL, Dat) VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {group, QStringLiteral("Кузнецов"), QStringLiteral("Иван"), QStringLiteral("Сергеевич"),
         QStringLiteral("ПК-305"), QStringLiteral("772400 000517"), QDate(2024, 4, 2)}));

    const auto discipline = [&](const char* name, bool heading) {
        return insert(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES (?, ?)"),
                      {QString::fromUtf8(name), heading ? -1 : 0});
    };
    const qlonglong section = discipline("Общепрофессиональные дисциплины", true);
    const qlonglong anatomy = discipline("Анатомия", false);
    const qlonglong pharmacology = discipline("Фармакология", false);
    const qlonglong latin = discipline("Латинский язык", false);
    const auto grade = [&](const char* wording) {
        return jet::toLong(db.scalar(QStringLiteral("SELECT IDB FROM SPBALL WHERE NAIM = ?"), {QString::fromUtf8(wording)}));
    };
    // Stored out of order: the document follows SORT.
    const QString line = QStringLiteral("INSERT INTO EXAM (ID, IDD, IDB, CH, SORT, VidDokum) VALUES (?, ?, ?, ?, ?, ?)");
    insert(line, {qlonglong(out.retrainee), pharmacology, grade("хорошо"), QStringLiteral("36"), 3, 1});
    insert(line, {qlonglong(out.retrainee), section, QVariant(), QString(), 1, 1});
    insert(line, {qlonglong(out.retrainee), anatomy, grade("отлично"), QStringLiteral("72"), 2, 1});
    insert(line, {qlonglong(out.retrainee), latin, grade("отлично"), QStringLiteral("40"), 1, 0});  // another document
    return out;
}

void provideTemplates(const QString& folder, const QStringList& names, const QString& extension)
{
    QDir().mkpath(folder);
    for (const QString& name : names) {
        const QString target = QDir(folder).filePath(name + extension);
        if (QFileInfo::exists(target))
            continue;
        const QString built = QDir(testsupport::builtTemplatesFolder()).filePath(name + extension);
        if (QFileInfo::exists(built)) {
            ASSERT_TRUE(QFile::copy(built, target));
            continue;
        }
        const QString source = testsupport::sourceDataFolder() + QStringLiteral("/templates/documents/") + name
            + QStringLiteral(".fodt");
        ASSERT_TRUE(QFileInfo::exists(source)) << source.toStdString();
        office::TemplateDocument doc = office::TemplateDocument::openReadOnly(source);
        doc.storeAs(target);
        doc.close();
    }
}

namespace {

// The pages of the office's layout of the document at `url`: laid out
// whole first (a document just loaded is laid out by the office in passes,
// and a busy machine may catch it in the middle of one), then the view
// cursor's last page, read until it is the same twice running.
int pagesOf(const QUrl& url)
{
    using namespace office::uno;
    auto e = desktop()->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
        if (!model.is() || QUrl(toQ(model->getURL())) != url)
            continue;
        Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(), UNO_QUERY);
        if (!view.is())
            return 0;
        Reference<css::text::XPageCursor> cursor(view->getViewCursor(), UNO_QUERY);
        if (!cursor.is())
            return 0;
        Reference<css::util::XRefreshable>(model, UNO_QUERY_THROW)->refresh();
        int last = -1;
        for (int pass = 0; pass < 8; ++pass) {
            if (!cursor->jumpToLastPage())
                return 0;
            const int page = cursor->getPage();
            if (page == last)
                break;
            last = page;
        }
        return last;
    }
    return 0;
}

} // namespace

PrintedDocument readBack(const QString& path)
{
    testsupport::TempFolder copyFolder;
    const QString copy = copyFolder.file(QStringLiteral("копия.") + QFileInfo(path).suffix());
    if (!QFile::copy(path, copy))
        return {};
    office::TemplateDocument doc = office::TemplateDocument::openReadOnly(copy);
    PrintedDocument out{doc.allText(), doc.pictureNames(), pagesOf(QUrl::fromLocalFile(QFileInfo(copy).absoluteFilePath()))};
    doc.close();
    return out;
}

QStringList dividedTableRows(const QString& path)
{
    using namespace office::uno;
    testsupport::TempFolder copyFolder;
    const QString copy = copyFolder.file(QStringLiteral("копия.") + QFileInfo(path).suffix());
    if (!QFile::copy(path, copy))
        return {QStringLiteral("(no copy)")};
    const auto doc = loadComponent(toOU(QUrl::fromLocalFile(copy).toString()),
                                   props({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}}), copy);
    QStringList out;
    Reference<css::frame::XModel> model(doc, UNO_QUERY_THROW);
    Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(), UNO_QUERY_THROW);
    Reference<css::text::XTextViewCursor> cursor = view->getViewCursor();
    Reference<css::text::XPageCursor> pages(cursor, UNO_QUERY_THROW);
    pages->jumpToLastPage();  // the whole document laid out
    Reference<css::text::XTextTablesSupplier> supplier(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> tables(supplier->getTextTables(), UNO_QUERY_THROW);
    for (sal_Int32 t = 0; t < tables->getCount(); ++t) {
        Reference<css::text::XTextTable> table(tables->getByIndex(t), UNO_QUERY_THROW);
        Reference<css::table::XCellRange> cells(table, UNO_QUERY_THROW);
        const int rows = table->getRows()->getCount();
        const int columns = table->getColumns()->getCount();
        for (int r = 0; r < rows; ++r) {
            // Where each cell's text starts and ends: within one column the
            // end is never above the start; a row carried into the next
            // column or page ends above its start or on another page.
            bool divided = false;
            std::optional<std::pair<sal_Int16, sal_Int32>> top;
            for (int c = 0; c < columns; ++c) {
                Reference<css::text::XText> text(cells->getCellByPosition(c, r), UNO_QUERY);
                if (!text.is())
                    continue;
                cursor->gotoRange(text->getStart(), false);
                const sal_Int16 startPage = pages->getPage();
                const css::awt::Point start = cursor->getPosition();
                cursor->gotoRange(text->getEnd(), false);
                const sal_Int16 endPage = pages->getPage();
                const css::awt::Point end = cursor->getPosition();
                if (endPage != startPage || end.Y < start.Y)
                    divided = true;
                // The cells of a row start on one line of one page.
                if (!top)
                    top.emplace(startPage, start.Y);
                else if (top->first != startPage || std::abs(top->second - start.Y) > 200)
                    divided = true;
            }
            if (divided) {
                Reference<css::text::XText> first(cells->getCellByPosition(0, r), UNO_QUERY_THROW);
                out << toQ(first->getString());
            }
        }
    }
    closeComponent(doc);
    return out;
}

SmallDisk::SmallDisk(long long freeBytes)
{
    QByteArray folder = QFile::encodeName(QDir::tempPath() + QStringLiteral("/small-disk-XXXXXX"));
    if (!::mkdtemp(folder.data()))
        return;
    path_ = QFile::decodeName(folder);
    // Room for the free bytes and the filler's own blocks.
    const long long size = (freeBytes + (1 << 20)) / 4096 * 4096 + 4096;
    const QByteArray options = "size=" + QByteArray::number(size) + ",mode=0777";
    if (::mount("tmpfs", folder.constData(), "tmpfs", 0, options.constData()) != 0)
        return;
    mounted_ = true;
    QFile filler(QDir(path_).filePath(QStringLiteral(".filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    for (;;) {
        QStorageInfo disk(path_);
        disk.refresh();
        if (disk.bytesAvailable() <= freeBytes)
            break;
        if (filler.write(block) != block.size() || !filler.flush())
            break;
    }
}

void SmallDisk::fillUp(long long leave) const
{
    QFile filler(QDir(path_).filePath(QStringLiteral(".filler-more")));
    if (!filler.open(QIODevice::Append))
        return;
    auto room = [this] {
        QStorageInfo disk(path_);
        disk.refresh();
        return disk.bytesAvailable();
    };
    const QByteArray block(4096, 'x');
    while (room() > leave && filler.write(block) == block.size() && filler.flush()) {
    }
    if (leave > 0)
        return;
    const QByteArray byte(1, 'x');
    while (filler.write(byte) == 1 && filler.flush()) {
    }
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
    if (!path_.isEmpty())
        QDir(path_).removeRecursively();
}

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : path_(QFileInfo(path).absoluteFilePath())
{
    const QByteArray folder = QFile::encodeName(path_);
    ::chmod(folder.constData(), 0555);
    if (::access(folder.constData(), W_OK) == 0
        && ::mount(folder.constData(), folder.constData(), nullptr, MS_BIND, nullptr) == 0) {
        mounted_ = true;
        ::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    }
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    const QByteArray folder = QFile::encodeName(path_);
    if (mounted_)
        ::umount2(folder.constData(), MNT_DETACH);
    ::chmod(folder.constData(), 0755);
}

bool ReadOnlyFolder::readOnly() const
{
    return ::access(QFile::encodeName(path_).constData(), W_OK) != 0;
}

bool closeOfficeDocument(const QString& path)
{
    using namespace office::uno;
    const QUrl wanted = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    auto e = desktop()->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
        if (model.is() && QUrl(toQ(model->getURL())) == wanted) {
            closeComponent(Reference<css::lang::XComponent>(model, UNO_QUERY));
            return true;
        }
    }
    return false;
}

namespace {

// Calls `visit` with the text of every cell of every table of the document
// at `path`, read from a copy: the document itself stays open in the
// office for the user.
void forEachTableCell(const QString& path,
                      const std::function<void(const office::uno::Reference<css::text::XText>&)>& visit)
{
    using namespace office::uno;
    testsupport::TempFolder folder;
    const QString copy = folder.file(QStringLiteral("копия.") + QFileInfo(path).suffix());
    if (!QFile::copy(path, copy))
        return;
    const auto doc = loadComponent(toOU(QUrl::fromLocalFile(copy).toString()),
                                   props({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}}), copy);
    Reference<css::text::XTextTablesSupplier> supplier(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> tables(supplier->getTextTables(), UNO_QUERY_THROW);
    for (sal_Int32 t = 0; t < tables->getCount(); ++t) {
        Reference<css::text::XTextTable> table(tables->getByIndex(t), UNO_QUERY_THROW);
        for (const OUString& name : table->getCellNames())
            visit(Reference<css::text::XText>(table->getCellByName(name), UNO_QUERY_THROW));
    }
    closeComponent(doc);
}

} // namespace

QStringList boldTableCells(const QString& path)
{
    using namespace office::uno;
    QStringList out;
    forEachTableCell(path, [&](const Reference<css::text::XText>& cell) {
        Reference<css::beans::XPropertySet> start(cell->getStart(), UNO_QUERY_THROW);
        float weight = 0;
        start->getPropertyValue("CharWeight") >>= weight;
        if (weight >= css::awt::FontWeight::BOLD && !toQ(cell->getString()).isEmpty())
            out << toQ(cell->getString());
    });
    return out;
}

QList<double> tableCharHeights(const QString& path)
{
    using namespace office::uno;
    QList<double> out;
    forEachTableCell(path, [&](const Reference<css::text::XText>& cell) {
        if (toQ(cell->getString()).isEmpty())
            return;
        float height = 0;
        Reference<css::beans::XPropertySet>(cell->getStart(), UNO_QUERY_THROW)->getPropertyValue("CharHeight") >>= height;
        if (!out.contains(double(height)))
            out << double(height);
    });
    std::sort(out.begin(), out.end());
    return out;
}

int firstTableRows(const QString& path)
{
    using namespace office::uno;
    testsupport::TempFolder folder;
    const QString copy = folder.file(QStringLiteral("копия.") + QFileInfo(path).suffix());
    if (!QFile::copy(path, copy))
        return -1;
    const auto doc = loadComponent(toOU(QUrl::fromLocalFile(copy).toString()),
                                   props({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}}), copy);
    Reference<css::text::XTextTablesSupplier> supplier(doc, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> tables(supplier->getTextTables(), UNO_QUERY_THROW);
    int rows = -1;
    if (tables->getCount() > 0)
        rows = Reference<css::text::XTextTable>(tables->getByIndex(0), UNO_QUERY_THROW)->getRows()->getCount();
    closeComponent(doc);
    return rows;
}

QStringList bracketedTexts(const QString& text)
{
    QStringList out;
    static const QRegularExpression re(QStringLiteral("\\[[^\\[\\]]+\\]"));
    for (auto it = re.globalMatch(text); it.hasNext();)
        out << it.next().captured(0);
    return out;
}

} // namespace printtest
