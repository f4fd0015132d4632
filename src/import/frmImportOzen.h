#pragma once
// The grade-sheet settings dialog "Импорт": the sheet to read, where the
// persons and the disciplines stand on it, and what the import does with
// persons, disciplines and earlier grades it does not find. Shows the
// settings saved last time; "OK" checks the numbers and saves them.
//
// Input: SheetNameList (the workbook's sheets, each after "//"). Result:
// DialogResult is -1 when the dialog was cancelled ("Отмена", Esc or the
// window's close button) and stays 0 after "OK".
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace importer {

class frmImportOzen : public QDialog {
    Q_OBJECT
public:
    explicit frmImportOzen(QWidget* parent = nullptr);

    QComboBox* Cm1() const { return sheets_; }
    // The number boxes in the order of their labels Label1(0) to Label1(5):
    // nom_str_fio, nom_st_fio, Text3, Text4, Text5, Text1.
    QLineEdit* numberBox(int labelIndex) const { return boxes_[labelIndex]; }
    QLabel* Label1(int index) const { return labels_[index]; }
    // Check1 (fio3) to Check5 (dobl_dis2).
    QCheckBox* Check(int number) const { return checks_[number - 1]; }

    void Ok_Click();
    void Cancel_Click();
    void Komm2_Click();

    // Closing in any way but "OK" cancels.
    void reject() override;

private:
    void Form_Load();

    QComboBox* sheets_ = nullptr;
    QLineEdit* boxes_[6] = {};
    QLabel* labels_[6] = {};
    QCheckBox* checks_[5] = {};
};

} // namespace importer
