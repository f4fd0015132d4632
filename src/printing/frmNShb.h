#pragma once
// "Настройка шаблона": a document template opened in the office's window,
// its floating frames shifted in steps of 0.25 mm (all of them or the one
// chosen) so that the printed data lands in the boxes of a printing house's
// blank form, then saved in the template's own format or dropped.
//
// The window stays above the office's window. It reports through
// core::state().DialogResult: -1 after a successful save, 0 otherwise. A
// template that cannot be opened is reported and the window is not shown
// (loaded() is false); nothing is ever saved in its place. The document is
// closed without saving when the window closes.
#include "platform/office/TextDocument.h"

#include <QDialog>
#include <QString>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace printing {

class frmNShb : public QDialog {
    Q_OBJECT
public:
    explicit frmNShb(const QString& templatePath, QWidget* parent = nullptr);
    ~frmNShb() override;

    // Opens the template hidden and fills the lists; false (after its
    // message) when the template cannot be adjusted.
    bool Form_Load();
    // The template shown in the office's window, once this window is ready.
    void showTemplate();
    bool loaded() const { return doc_.isOpen(); }

    // The template, modal; returns DialogResult.
    static int adjust(const QString& templatePath, QWidget* parent = nullptr);

    // 0 "Все", 1 "Выбрать рамку", 2 "Таблицы".
    void Option1_Click(int index);
    // 0 left, 1 up, 2 right, 3 down.
    void Cmd1_Click(int index);
    void Command1_Click();  // "Применить и сохранить"
    void Command2_Click();  // "Отмена"
    // Shows the last step in the four labels.
    void ОбновитьСдвиг();

    QString sFile;

    QRadioButton* Option1(int index) const { return options_[index]; }
    QListWidget* Cm1(int index) const { return index == 0 ? frameList_ : tableList_; }
    QToolButton* Cmd1(int index) const { return arrows_[index]; }
    QLabel* Lb(int index) const { return labels_[index]; }
    QLabel* Note() const { return note_; }
    QPushButton* Command1() const { return save_; }
    QPushButton* Command2() const { return cancel_; }
    office::TextDocument& document() { return doc_; }

protected:
    void done(int result) override;

private:
    void applyShift();
    // The frames the current mode moves (indexes into frames_).
    std::vector<int> framesToMove() const;
    void closeDocument();

    office::TextDocument doc_;
    QList<office::TextDocument::Frame> frames_;
    // Shift since loading per frame, millimetres (for the page-edge check).
    std::vector<double> movedX_;
    std::vector<double> movedY_;
    double shiftX_ = 0;  // the step being made, millimetres
    double shiftY_ = 0;

    QRadioButton* options_[3];
    QListWidget* frameList_;
    QListWidget* tableList_;
    QToolButton* arrows_[4];
    QLabel* labels_[4];
    QLabel* note_;
    QPushButton* save_;
    QPushButton* cancel_;
};


} // namespace printing
