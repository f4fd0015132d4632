#pragma once
// The filter dialog of the registry books: a registration-number range or an
// issue-date range for one book's filter set.
#include "core/DateEdit.h"

#include <QAbstractSpinBox>
#include <QDialog>

class QGroupBox;
class QPushButton;

namespace books {

// A number field with up and down arrows for registration numbers of up to
// 18 digits. What the user types is kept as typed; the arrows step the
// number its digits make.
class NumberSpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit NumberSpinBox(QWidget* parent = nullptr);
    void setText(const QString& text);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
};

class frmFilter : public QDialog {
    Q_OBJECT
public:
    // `med` is the book whose filter set the dialog edits, `par` 0 the
    // number range, 1 the date range. The dialog shows the set's bounds.
    frmFilter(int med, int par, QWidget* parent = nullptr);

    int Med() const { return med_; }

    // "OK": checks and stores the bounds; "Без фильтра": clears the set; both
    // set DialogResult to -1 and close. "Отмена" closes; "Помощь" opens the
    // user manual.
    void cmdOK_Click();
    void Without_Click();
    void cmdCancel_Click();
    void cmdApply_Click();

    NumberSpinBox* Text1() const { return text1_; }
    NumberSpinBox* Text4() const { return text4_; }
    core::DateEdit* DT1() const { return dt1_; }
    core::DateEdit* DT2() const { return dt2_; }
    QGroupBox* Frame1() const { return frame1_; }
    QGroupBox* Frame2() const { return frame2_; }

private:
    int med_;
    int par_;
    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    NumberSpinBox* text1_ = nullptr;
    NumberSpinBox* text4_ = nullptr;
    core::DateEdit* dt1_ = nullptr;
    core::DateEdit* dt2_ = nullptr;
};

} // namespace books
