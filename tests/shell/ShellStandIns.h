#pragma once
// Stand-ins for the child windows the main window opens: they record what the
// main window asks of them, so that the dispatch can be tested without the
// real directory windows, registry books, record card and print dialog.
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DirectoryMetadata.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

namespace shelltest {

// Every call the stand-ins receive, as "operation" or "operation:argument".
inline QStringList& calls()
{
    static QStringList log;
    return log;
}

class StandInDirectoryWindow : public QWidget, public core::DirectoryWindowApi {
public:
    explicit StandInDirectoryWindow(QWidget* parent)
        : QWidget(parent)
        , kind_(core::state().CurrentKind)
        , docKind_(kind_ == core::Students ? int(core::StudentsWindow) : core::state().CurrentDocKind)
    {
        setWindowTitle(core::DirectoryWindowCaption(kind_, docKind_));
        auto* layout = new QVBoxLayout(this);
        filter = new QComboBox(this);
        text = new QLineEdit(this);
        layout->addWidget(filter);
        layout->addWidget(text);
        calls() << QStringLiteral("open:%1:%2").arg(kind_).arg(docKind_);
    }
    QWidget* widget() override { return this; }
    int kind() const override { return kind_; }
    int docKind() const override { return docKind_; }
    bool hasButton(const QString& key) const override
    {
        static const QStringList keys = {QStringLiteral("keyAdd"), QStringLiteral("keyEdit"), QStringLiteral("keyCopy"),
                                         QStringLiteral("keyDel"), QStringLiteral("PrintV")};
        return keys.contains(key);
    }
    void Toolbar1_ButtonClick(const QString& key) override { record(QStringLiteral("button:") + key); }
    void Ref() override { record(QStringLiteral("Ref")); }
    void bPrint_click() override { record(QStringLiteral("bPrint_click")); }
    void bPrintOOo() override { record(QStringLiteral("bPrintOOo")); }

    QComboBox* filter = nullptr;
    QLineEdit* text = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        record(QStringLiteral("closed"));
        QWidget::closeEvent(event);
    }

private:
    void record(const QString& op) { calls() << QStringLiteral("%1@%2:%3").arg(op).arg(kind_).arg(docKind_); }
    int kind_;
    int docKind_;
};

class StandInRegistryBook : public QWidget, public core::RegistryBookApi {
public:
    StandInRegistryBook(QWidget* parent, int med)
        : QWidget(parent)
        , med_(med)
    {
        setWindowTitle(QStringLiteral("Книга %1").arg(med));
        calls() << QStringLiteral("book:%1").arg(med);
    }
    QWidget* widget() override { return this; }
    int Med() const override { return med_; }
    void Ref() override { calls() << QStringLiteral("Ref@book%1").arg(med_); }
    void bPrint_click() override { calls() << QStringLiteral("bPrint_click@book%1").arg(med_); }
    void bPrintOOo() override { calls() << QStringLiteral("bPrintOOo@book%1").arg(med_); }

private:
    int med_;
};

// Installs the stand-ins as the window factories; restores empty factories
// when destroyed.
class StandInWindows {
public:
    StandInWindows()
    {
        calls().clear();
        core::WindowFactories& f = core::windowFactories();
        f.createDirectoryWindow = [](QWidget* parent) { return new StandInDirectoryWindow(parent); };
        f.createRegistryBook = [](QWidget* parent, int med) { return new StandInRegistryBook(parent, med); };
        f.showRecordCard = [] {
            const core::AppState& s = core::state();
            calls() << QStringLiteral("card:%1:%2:%3").arg(s.CurrentKind).arg(s.CurrentRowId).arg(s.RowIsCopy);
        };
        f.showPrintParameters = [] { calls() << QStringLiteral("printParameters"); };
    }
    ~StandInWindows()
    {
        core::windowFactories() = core::WindowFactories{};
        calls().clear();
    }
};

} // namespace shelltest
