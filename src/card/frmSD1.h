#pragma once
// The record card: a modal dialog that edits one row of any directory. Its
// lines come from the field table of the row's kind; it loads the row,
// proposes numbers and name forms, tracks changes, checks and saves.
//
// The opener sets the card parameters in core::state() (CurrentKind,
// CurrentRowId, RowIsCopy, CurrentDocKind, CurrentGroupId,
// CurrentStudentId) and constructs the card; the constructor loads it. When
// isLoaded() is false the row was not found (the card has warned) and the
// card must not be shown. After the card has closed, DialogResult is -1 when
// the row was saved and CurrentRowId holds the saved row's key.
#include "card/CardFields.h"
#include "platform/jet/Jet.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>
#include <span>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

namespace card {

class DateLine;
class UpDown;

class frmSD1 : public QDialog {
    Q_OBJECT
public:
    explicit frmSD1(QWidget* parent = nullptr);
    ~frmSD1() override;

    // False when the row to edit or copy was not found.
    bool isLoaded() const { return loaded_; }

    // Card state.
    int CardKind() const { return cardKind_; }
    bool IsChanged() const { return isChanged_; }
    void setChanged(bool changed) { isChanged_ = changed; }
    // The person card with the retraining layout.
    bool isRetrainingLayout() const { return retraining_; }
    // The row's recordset: the loaded row, or the new row while saving.
    std::unique_ptr<jet::Recordset>& RowRecordset() { return rowRecordset_; }
    // The key the number look-ups leave out: 0 for a new row or a copy,
    // else the edited row's key.
    long excludedKey() const;
    // The kind's table and key field (for grade lines their own key IDE).
    QString tableName() const;
    QString keyField() const;

    // The field table.
    std::span<const CardField> fields() const { return fields_; }
    int lineCount() const { return static_cast<int>(fields_.size()); }
    const CardField& field(int i) const { return fields_[size_t(i)]; }

    // The input of line i by its control kind (the label of a Header line);
    // nullptr for a Password line or an index out of range.
    QWidget* Элемент(int i) const;
    // The first line whose caption equals `caption` upper-cased; -1 when
    // no line has the caption.
    int lineOf(const QString& caption) const;

    // The controls of line i; nullptr when the line has no such control.
    QLineEdit* Text1(int i) const;
    QComboBox* Cm1(int i) const;
    QComboBox* Cm2(int i) const;
    QCheckBox* Ch1(int i) const;
    DateLine* DT1(int i) const;
    QPlainTextEdit* Text2(int i) const;
    QLineEdit* Text3(int i) const;
    QPushButton* Cmd(int i) const;
    QLabel* Label1(int i) const;
    // The value line i was loaded with (change tracking compares with it).
    QString Tag(int i) const;

    // Values by line. The text of a text, memo, year, list or hours line.
    QString lineText(int i) const;
    // Replaces the text of such a line; the change events follow as for typing.
    void setLineText(int i, const QString& text);
    // The chosen entry of a List line: its position, -1 when none.
    int listIndex(int i) const;
    // The item value of the chosen entry, 0 when none is chosen.
    qlonglong listValue(int i) const;
    bool isChecked(int i) const;
    // Whether the line's input is enabled.
    bool lineEnabled(int i) const;
    // Gives the input of line i the focus when it can take it.
    void focusLine(int i);
    // The line whose control has the focus now, -1 when none.
    int focusedLine() const;

    // Editing.
    void MarkChanged();
    void FocusNextField(int i);
    // Confirms the card: checks, saves and closes it; true when saved (or
    // when there was nothing to save and the card closed).
    bool Ok_Click();
    // The cancel command: asks about unsaved changes, then closes.
    void Cancel_Click();
    // Proposes the certificate numbers and the dative name forms.
    void Med_Click();
    void Command1_Click() { Med_Click(); }
    // Proposes the retraining document number.
    void dokPK_Click();
    // Chooses a template file for line i.
    void Cmd_Click(int i);
    // The edit toolbar by button key.
    void Toolbar1_ButtonClick(const QString& key);
    void Комманда2_Click();
    void PasteIntoField();
    void CopyFromField();
    void InsertSymbol();

    // Buttons.
    QPushButton* Ok() const { return ok_; }
    QPushButton* Cancel() const { return cancel_; }
    QPushButton* Комманда2() const { return help_; }
    QPushButton* Command1() const { return fill_; }
    QPushButton* dokPK() const { return docPk_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QAction* toolbarAction(const QString& key) const;
    QFrame* lineFrame() const { return frame_; }

    // Closes the card after a successful save.
    void closeSaved();

    // Esc, "Отмена" and the window's close box: the cancel command.
    void reject() override;
    // Text typed into a list line: change tracking and type-ahead.
    void Cm1_Change(int i);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Line {
        QWidget* input = nullptr;  // the line's control (Элемент)
        QLineEdit* text1 = nullptr;
        QComboBox* cm1 = nullptr;
        QComboBox* cm2 = nullptr;
        QCheckBox* ch1 = nullptr;
        DateLine* dt1 = nullptr;
        QPlainTextEdit* text2 = nullptr;
        QLineEdit* text3 = nullptr;
        UpDown* upDown = nullptr;
        QPushButton* cmd = nullptr;
        QLabel* label = nullptr;
        QString tag;
    };

    void Form_Load();
    void buildToolbar();
    void buildLines();
    void createInput(int i);
    void connectInput(int i);
    void loadValue(int i);
    void loadInstitutionSpecials(int i);
    void layoutCard();
    void kindSpecificSteps();
    void setCaption();
    void applyFirstFocus();

    // Change handlers.
    void Text1_Change(int i);
    void TextOther_Change(int i);
    void Cm1_Click(int i, int index);
    void Cm2_Change(int i);
    void Ch1_Click(int i);
    void DT1_Change(int i);
    void Text1_GotFocus(int i);
    void documentNumberRule(int i);

    bool selectListValue(int i, qlonglong value);
    int lineOfWidget(const QObject* object) const;
    // Commits the text typed into list line i (the type-ahead's commit):
    // the entry of that text is chosen, or the text cleared. False when a
    // text was typed that is no entry of the list; the user is then told.
    // `later`: the message waits until the focus has settled (the text was
    // committed because the focus left the line).
    bool commitTypeAhead(int i, bool later = false);
    void sayNotInList(int i, const QString& typed);
    // Says now the message about a text refused by a list that is still
    // waiting for the focus to settle. False when none is waiting.
    bool sayWaitingNotInList();

    int cardKind_ = 0;
    bool isLoading_ = false;
    bool isChanged_ = false;
    bool loaded_ = true;
    bool rowLoaded_ = false;
    bool retraining_ = false;
    bool firstFocusDone_ = false;
    // A list line whose typed text was refused as the focus left it, and
    // that text, until the user has been told.
    int notInListLine_ = -1;
    QString notInListText_;
    bool documentHintShown_ = false;
    QString rowSql_;
    QString nameText_;
    std::unique_ptr<jet::Recordset> rowRecordset_;
    std::span<const CardField> fields_;
    CardGrid grid_{};
    std::vector<Line> lines_;

    QToolBar* toolbar_ = nullptr;
    QFrame* frame_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* fill_ = nullptr;
    QPushButton* docPk_ = nullptr;
};

} // namespace card
