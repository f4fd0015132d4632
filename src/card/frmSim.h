#pragma once
// "Вставка кавычек": the choice of one of four quotation marks for the record
// card's toolbar. It reports through core::state(): DialogResult -1 and
// ChosenSymbol when it closes with a mark chosen; ChosenSymbolIndex keeps the
// position chosen last, which the next opening preselects.
#include <QDialog>

class QListWidget;
class QPushButton;

namespace card {

class frmSim : public QDialog {
    Q_OBJECT
public:
    explicit frmSim(QWidget* parent = nullptr);

    QListWidget* List1() const { return list_; }
    QPushButton* OKButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    void OKButton_Click();
    void CancelButton_Click();

private:
    void Form_Load();

    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace card
