// The message boxes and modal dialogs as the user meets them: what Esc and
// the window's close button answer, and where a dialog opens.
#include "platform/ui/Messages.h"

#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The questions the program asks, each with its buttons as asked, and what
// Esc or the close button answers: nothing (the box stays until a button
// is pressed) or Отмена.
struct Question {
    const char* asked;
    int style;
    int escape;  // 0: the box stays
};

constexpr int kStays = 0;

const Question kQuestions[] = {
    {"Заменить файл копией открытой базы данных?", ui::YesNo | ui::Question | ui::DefaultButton2, kStays},
    {"Открытая база данных будет заменена копией из файла. Продолжить?", ui::YesNo | ui::Question | ui::DefaultButton2,
     kStays},
    {"Файл базы данных не найден: открыть другой, создать новый или выйти?", ui::YesNoCancel | ui::Critical, ui::Cancel},
    {"У копируемого студента уже был заполнен список дисциплин. Копировать список дисциплин?",
     ui::YesNoCancel | ui::Question | ui::DefaultButton2, ui::Cancel},
    {"Добавить после строки заголовка строку \"в том числе:\"?", ui::YesNo | ui::Question, kStays},
    {"Вписать полное наименование специальности из справочника?", ui::YesNo | ui::Question, kStays},
    {"Наименование дисциплины не заполнено. Продолжить?", ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    {"Такая дисциплина уже имеется в этом списке. Ввести еще одну строку?",
     ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    {"Оценка не была введена. Продолжить?", ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    {"Не заполнено количество часов. Проставить символ \"х\"?", ui::YesNo | ui::Question, kStays},
    {"Наименование дисциплины содержит в конце пустую строку. Нужны ли пустые строки?",
     ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    // Its Отмена saves the repeated number: it goes on, so Esc does not answer.
    {"Такой регистрационный номер имеется у другого студента. \"Да\" - вписать следующий, \"Нет\" - исправить "
     "вручную, \"Отмена\" - сохранить повторяющийся номер.",
     ui::YesNoCancel | ui::Question | ui::ButtonsOnly, kStays},
    {"Сохранить изменения?", ui::YesNoCancel | ui::Exclamation, ui::Cancel},
    {"Файл шаблона должен иметь другое расширение. Выбрать этот файл?", ui::YesNo | ui::Exclamation | ui::DefaultButton2,
     kStays},
    {"Документ будет напечатан без даты выдачи. Продолжить?", ui::YesNo | ui::Question | ui::DefaultButton2, kStays},
    {"Сохранить изменения шаблона?", ui::YesNo | ui::Question | ui::DefaultButton2, kStays},
    {"Поставить студенту оценку?", ui::YesNo | ui::Question, kStays},
    {"Удалить выделенную строку?", ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    {"Строка используется в справочнике. Все равно удалить?", ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    {"Удалить остальные выделенные строки?", ui::YesNo | ui::Exclamation | ui::DefaultButton2, kStays},
    {"Скопировать перечень дисциплин из учебного плана?", ui::YesNo | ui::Question, kStays},
    {"Список дисциплин с оценками у данного студента не пуст. \"Да\"- очищать данные, \"Нет\" - добавлять строки.",
     ui::YesNo | ui::Question, kStays},
    {"Рассчитать ВСЕГО часов теоретического обучения?", ui::YesNo | ui::Question, kStays},
    {"В данной группе не найдено документов. Установить фильтр по всем группам?", ui::YesNoCancel | ui::Question,
     ui::Cancel},
    {"Не найдено ни одного документа. Выбрать другие границы?", ui::YesNoCancel | ui::Question, ui::Cancel},
    {"Количество дисциплин слишком большое. Сформировать книгу регистрации без дисциплин и оценок?",
     ui::YesNo | ui::Critical, kStays},
    // A message with the one button OK.
    {"Не выделена строка.", ui::OkOnly | ui::Exclamation, ui::Ok},
};

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        before_ = ui::messageHandler();
        ui::setMessageHandler({});  // the real boxes
    }
    void TearDown() override { ui::setMessageHandler(before_); }

private:
    ui::MessageHandler before_;
};

QAbstractButton* buttonOf(QMessageBox* box, QMessageBox::StandardButton which)
{
    return box->button(which);
}

} // namespace

// Each question with Esc pressed, and with the window's close button: a
// question without Отмена stays for its buttons (Нет may mean "go on": on
// the copy from the plan it appends the lines); Отмена is Esc's answer
// where the box has one and Esc stands for it.
TEST_F(MessagesTest, WhatEscAndTheCloseButtonAnswerOnEveryQuestion)
{
    enum Way { Esc, CloseButton };
    for (const Question& q : kQuestions) {
        for (Way way : {Esc, CloseButton}) {
            SCOPED_TRACE(std::string(q.asked) + (way == Esc ? " / Esc" : " / close button"));
            bool stayed = false;
            testsupport::onNextMessageBox([&](QMessageBox* box) {
                if (way == Esc)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->close();
                QApplication::processEvents();
                stayed = box->isVisible();
                if (stayed) {
                    // Answered by a button at last: the one the test presses.
                    QAbstractButton* last = box->buttons().last();
                    last->click();
                }
            });
            const int answer = ui::msgBox(QString::fromUtf8(q.asked), q.style);
            if (q.escape == kStays) {
                EXPECT_TRUE(stayed);
            } else {
                EXPECT_FALSE(stayed);
                EXPECT_EQ(answer, q.escape);
            }
        }
    }
}

// A question that stays after Esc is answered by the button pressed.
TEST_F(MessagesTest, AQuestionThatIgnoredEscIsAnsweredByItsButton)
{
    const struct {
        int style;
        QMessageBox::StandardButton pressed;
        int answer;
    } cases[] = {
        {ui::YesNo | ui::Question, QMessageBox::Yes, ui::Yes},
        {ui::YesNo | ui::Question | ui::DefaultButton2, QMessageBox::No, ui::No},
        {ui::YesNoCancel | ui::Question | ui::ButtonsOnly, QMessageBox::Cancel, ui::Cancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        testsupport::onNextMessageBox([&](QMessageBox* box) {
            QTest::keyClick(box, Qt::Key_Escape);
            ASSERT_TRUE(box->isVisible());
            buttonOf(box, c.pressed)->click();
        });
        EXPECT_EQ(ui::msgBox(QStringLiteral("Продолжить?"), c.style), c.answer);
    }
}

// A dialog opens over the middle of the window it belongs to, also when the
// window that opens it is not shown yet (a window still loading) or when it
// has no parent at all: then over the main window.
TEST_F(MessagesTest, ADialogOpensOverTheMiddleOfTheWindowItBelongsTo)
{
    QWidget main;
    main.setGeometry(420, 260, 360, 300);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ui::setMessageParent(&main);
    const QPoint middle = main.frameGeometry().center();

    QDialog loading(&main);  // opens dialogs before it shows itself
    const struct {
        const char* owner;
        QWidget* parent;
    } cases[] = {
        {"a window not shown yet", &loading},
        {"no parent", nullptr},
        {"the main window itself", &main},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.owner);
        QDialog dialog(c.parent);
        dialog.resize(200, 120);
        QRect seen;
        QTimer::singleShot(0, &dialog, [&] {
            seen = dialog.frameGeometry();
            dialog.reject();
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &dialog, &QDialog::reject);
        guard.start(5000);
        ui::execDialog(&dialog);
        ASSERT_TRUE(seen.isValid());
        EXPECT_LE((seen.center() - middle).manhattanLength(), 4)
            << seen.center().x() << "," << seen.center().y() << " for " << middle.x() << "," << middle.y();
    }
    ui::setMessageParent(nullptr);
}

// Near the screen's edge the dialog stays whole on the screen.
TEST_F(MessagesTest, ADialogOverAWindowAtTheScreensEdgeStaysOnTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(screen.right() - 120, screen.bottom() - 90, 100, 80);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ui::setMessageParent(&main);
    QDialog dialog;
    dialog.resize(300, 200);
    QRect seen;
    QTimer::singleShot(0, &dialog, [&] {
        seen = dialog.frameGeometry();
        dialog.reject();
    });
    ui::execDialog(&dialog);
    EXPECT_TRUE(screen.contains(seen)) << seen.x() << "," << seen.y();
    ui::setMessageParent(nullptr);
}
