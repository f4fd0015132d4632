#pragma once
// "Параметры печати": the user picks, for one person, the document form to
// print (print codes 1..15), the template to fill and whether the scanned
// blank stays in the document; OK hands everything to the document fill
// step. Reads CurrentRowId, CurrentDocKind (the mode) and
// PreselectedBlankKind; remembers the choice in section "User" (sPathTmp,
// bVidTmp, bSavePict).
#include "printing/DocumentFill.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace printing {

inline constexpr int kPrintOptionCount = 15;

class frmSelect : public QDialog {
    Q_OBJECT
public:
    explicit frmSelect(QWidget* parent = nullptr);

    // The document fill step for person `id`, with the chosen option, the
    // template in the box and the check box.
    void PrintVkladish(long id);
    // What PrintVkladish runs; the real fill step unless replaced.
    std::function<void(const PrintRequest&)> fillStep;

    // True while the dialog itself ticks an option.
    bool fromoo = false;

    // The option handler: a click on option `index`, or the choice made at
    // activation.
    void chooseOption(int index);

    int chosenOption() const { return chosen_; }
    QRadioButton* option(int index) const { return options_[index]; }
    // Options in the order they are shown, top to bottom.
    std::vector<int> shownOptions() const;
    QComboBox* templateBox() const { return combo_; }
    QLabel* templateLabel() const { return label_; }
    QCheckBox* backgroundCheck() const { return check_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* adjustButton() const { return adjust_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void load();
    void activate();
    bool visibleInMode(int index) const;
    QString optionCaption(int index) const;
    void setTemplateName(const QString& name);
    // The template test: status text and label; true when the name is a
    // template of the office in use.
    bool testTemplate(const QString& name);
    void backgroundClicked();
    void showNotice();
    void okClicked();
    void openTemplate();
    void adjustTemplate();
    void browseTemplate();
    // The full path of the template in the box, or empty after a warning.
    QString chosenTemplatePath();

    int mode_ = 0;
    int chosen_ = -1;
    bool loading_ = false;
    bool activated_ = false;
    std::vector<int> order_;
    std::array<QRadioButton*, kPrintOptionCount> options_{};
    QGroupBox* frame_ = nullptr;
    QComboBox* combo_ = nullptr;
    QLabel* label_ = nullptr;
    QCheckBox* check_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* adjust_ = nullptr;
};

// Shows the dialog modally (the window factory of the print commands).
void showPrintParameters();

} // namespace printing
