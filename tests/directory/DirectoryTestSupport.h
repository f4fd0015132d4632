#pragma once
// A sample database and a directory window whose not yet built operations
// record what reached them.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "directory/frmSprav.h"
#include "newdb/NewDatabase.h"
#include "support/ListRows.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>
#include <memory>

namespace dirtest {

using testsupport::column;
using testsupport::keys;

// The window with every stubbed operation writing a line into `log`.
class RecordingWindow : public directory::frmSprav {
public:
    explicit RecordingWindow(QStringList* log, bool recordCardCommands = true)
        : log_(log), recordCard_(recordCardCommands)
    {
    }

protected:
    void AddRow(core::ReportList* list) override
    {
        if (!record("AddRow", list))
            frmSprav::AddRow(list);
    }
    void EditRow(core::ReportList* list) override
    {
        if (!record("EditRow", list))
            frmSprav::EditRow(list);
    }
    void CopyRow(core::ReportList* list) override
    {
        if (!record("CopyRow", list))
            frmSprav::CopyRow(list);
    }
    void DeleteRows(core::ReportList* list) override { *log_ << QStringLiteral("DeleteRows:") + list->objectName(); }
    void CopyFromPlan() override { *log_ << QStringLiteral("CopyFromPlan"); }
    void SetGrade(int grade) override { *log_ << QStringLiteral("SetGrade:%1").arg(grade); }
    void TotalPlanHours() override { *log_ << QStringLiteral("TotalPlanHours"); }
    void ShowImportDialog() override
    {
        *log_ << QStringLiteral("Import:%1:%2:%3")
                     .arg(core::state().CurrentKind)
                     .arg(core::state().ImportGroupId)
                     .arg(core::state().ImportDocKind);
    }
    void MoveRow(int direction) override
    {
        if (recordCard_)
            *log_ << QStringLiteral("MoveRow:%1").arg(direction);
        else
            frmSprav::MoveRow(direction);
    }

private:
    // True when the command was only recorded.
    bool record(const char* name, core::ReportList* list)
    {
        if (recordCard_)
            *log_ << QString::fromUtf8(name) + QLatin1Char(':') + list->objectName();
        return recordCard_;
    }

    QStringList* log_;
    bool recordCard_;
};

// A fresh copy of the sample database, open as MainDatabase, per test.
class DirectoryDbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sampleFolder_ = new testsupport::TempFolder;
        core::resetState();
        ASSERT_TRUE(newdb::CreateNewDatabase(sampleFolder_->file(QStringLiteral("qv.db")), false));
        core::state().MainDatabase.reset();
        core::resetState();
    }
    static void TearDownTestSuite()
    {
        delete sampleFolder_;
        sampleFolder_ = nullptr;
    }

    void SetUp() override
    {
        core::resetState();
        core::state().ComboTypeAhead = true;
        testsupport::clearSettings();
        const QString path = folder_.file(QStringLiteral("qv.db"));
        ASSERT_TRUE(QFile::copy(sampleFolder_->file(QStringLiteral("qv.db")), path));
        core::state().MainDatabase = jet::Database::open(path);
        core::shellServices() = {};
        core::windowFactories() = {};
        core::windowFactories().showPrintParameters = [this] {
            const core::AppState& s = core::state();
            log << QStringLiteral("Print:%1:%2:%3").arg(s.CurrentDocKind).arg(s.CurrentRowId).arg(s.PreselectedBlankKind);
        };
        core::shellServices().showRegistryBook = [this](int med) {
            log << QStringLiteral("Book:%1:%2").arg(med).arg(core::state().BookGroupId);
        };
    }
    void TearDown() override
    {
        core::windowFactories() = {};
        core::shellServices() = {};
        core::state().MainDatabase.reset();
        core::resetState();
    }

    // A window of `kind`, shown, as the main window opens it.
    std::unique_ptr<RecordingWindow> open(int kind, int docKind = 0, bool recordCardCommands = true)
    {
        core::state().CurrentKind = kind;
        core::state().CurrentDocKind = docKind;
        auto w = std::make_unique<RecordingWindow>(&log, recordCardCommands);
        w->resize(900, 600);
        w->show();
        return w;
    }

    jet::Database& db() { return *core::state().MainDatabase; }
    qlonglong count(const QString& sql, const QVariantList& params = {})
    {
        return jet::toLong(db().scalar(sql, params));
    }
    qlonglong insert(const QString& sql, const QVariantList& params)
    {
        db().execute(sql, params);
        return db().lastInsertKey();
    }

    QStringList log;
    testsupport::MessageRecorder messages;
    testsupport::TempFolder folder_;
    static inline testsupport::TempFolder* sampleFolder_ = nullptr;
};

// A group "Т 11" of its own with one person in it.
class OnePersonGroupTest : public DirectoryDbTest {
protected:
    void SetUp() override
    {
        DirectoryDbTest::SetUp();
        group = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Т 11')"), {});
        person = insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH) VALUES (?, 'Орлова', 'Анна', 'Петровна')"),
                        {group});
    }

    qlonglong group = 0;
    qlonglong person = 0;
};

// A grades window of `docKind`, filtered to `group`, whose one person is
// selected and whose grade lines are shown.
inline std::unique_ptr<directory::frmSprav> openGradesView(int docKind, qlonglong group)
{
    core::state().CurrentKind = core::Grades;
    core::state().CurrentDocKind = docKind;
    auto w = std::make_unique<directory::frmSprav>();
    w->resize(900, 600);
    w->show();
    w->Cm1()->setCurrentIndex(w->Cm1()->findData(group));
    EXPECT_EQ(w->Spr()->topLevelItemCount(), 1);
    if (w->Spr()->topLevelItemCount() > 0)
        core::selectOnlyItem(w->Spr(), w->Spr()->topLevelItem(0));
    w->ShowGrades();
    return w;
}

} // namespace dirtest
