#pragma once
// The column chooser "Печатная форма": the user ticks the columns a print of
// a list or a book writes. The choice (a mask of "1" and "0", one character
// per entry, the first for the running-number column "№ п.п") is kept per
// list in section "User" of the settings and offered again next time.
//
// Calling order: ColumnChooserMode := 3, univers(...), show modally, then
// read DialogResult (-1 on OK) and PrintColumnMask. showColumnChooser()
// does all of it.
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QScrollArea;

namespace printing {

class frmUrDial : public QDialog {
    Q_OBJECT
public:
    explicit frmUrDial(QWidget* parent = nullptr);

    // The entries: "Номер по порядку (№ п.п)", then the captions sC[1..L]
    // (L = last index of sC - minus). The element sC[nper] (nper > 0) is a
    // QStringList: one entry per caption it holds when rper is true, else
    // the single entry naim. optt: the settings value of the mask. kniga
    // (a registry book's call) changes nothing of the entries.
    void univers(const QVariantList& sC, const QString& optt, int nper = 0, const QString& naim = {},
                 int minus = 0, bool rper = false, bool kniga = false);

    // Reads the stored mask and makes the check boxes (runs before the
    // dialog is shown).
    void Form_Load();

    // Paging: 0 "<", 1 ">" (any other index lays the page out again).
    void Cmd1_Click(int index);
    // "+" (1) ticks every entry, "--" (0) unticks every entry.
    void Mark_Click(int index);
    void OKButton_Click();
    void CancelButton_Click();
    void cmdApply_Click();  // "Помощь"

    // State, for the callers and tests.
    const QStringList& ChooserCaptions() const { return captions_; }
    QString MaskKey() const { return maskKey_; }
    int ChooserPage() const { return page_; }
    int ChooserCount() const { return int(captions_.size()); }
    // The check box of entry k; null for an entry without one.
    QCheckBox* Ch1(int k) const;
    QPushButton* Cmd1(int index) const;
    QPushButton* MarkButton(int index) const;
    QPushButton* OKButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* HelpButton() const { return help_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void layOutPage();
    void placeButtons();
    // Widens the columns and breaks long captions so that every caption
    // can be read whole.
    void fitCaptions();
    int extraWidth() const;
    int extraHeight() const;
    // Pixels the dialog gives up below its natural height to fit the
    // screen; the check boxes then scroll within the frame.
    int heightGivenUp() const;
    // Pixels of the window's title bar and borders around the dialog.
    int decorationHeight() const;

    QStringList captions_;
    QString maskKey_;
    int page_ = 0;
    int columnWidth_ = 0;  // pixels; 0 until the boxes are made
    int rowStep_ = 0;
    int givenUp_ = 0;      // pixels the dialog is lower than it would need
    QGroupBox* frame_ = nullptr;
    QScrollArea* scroll_ = nullptr;  // within the frame, holding the rows
    QWidget* rows_ = nullptr;        // the check boxes' parent
    QList<QCheckBox*> boxes_;  // per entry; null without a caption
    QPushButton* pageButtons_[2] = {};
    QPushButton* markButtons_[2] = {};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
};

// Shows the chooser for a list: ColumnChooserMode := 3, univers with the
// arguments, the modal dialog. True when the user pressed OK; then
// core::state().PrintColumnMask holds the mask.
bool showColumnChooser(const QVariantList& sC, const QString& optt, int nper = 0, const QString& naim = {},
                       int minus = 0, bool rper = false, bool kniga = false);

// The settings value of a directory list's mask: "Spr" + the kind.
QString listMaskKey(int kind);

} // namespace printing
