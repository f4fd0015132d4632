#pragma once
// Shared test helpers: a private data folder and settings file per test
// program, recorded and answered message boxes.
#include "platform/ui/Messages.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <vector>

class QMessageBox;

namespace testsupport {

// Records every message box and answers from a queue; when the queue is
// empty it answers with the box's default button. Puts back whatever
// answered the boxes before it when destroyed.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    void answer(int a) { answers_.push_back(a); }
    const std::vector<ui::MessageRequest>& messages() const { return messages_; }
    QStringList texts() const;
    int count() const { return static_cast<int>(messages_.size()); }
    void clear() { messages_.clear(); }

private:
    int record(const ui::MessageRequest& r);
    std::deque<int> answers_;
    std::vector<ui::MessageRequest> messages_;
};

// Acts on the next real message box (ui::msgBox with no message handler)
// once it is shown: `act` presses its keys or buttons. A box still open
// 5 s after it appeared is closed by its first button and reported as a
// failure, so that no test can hang on it.
void onNextMessageBox(std::function<void(QMessageBox*)> act);

// A fresh folder that is removed with the object.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Folder of test fixtures (tests/data) and of the shipped data (data/).
QString testDataFolder();
QString sourceDataFolder();
// The folder where the build puts the shipped templates it converts
// ("Шаблоны ЭЖ" of the build tree).
QString builtTemplatesFolder();

// Clears the private settings file of this test program.
void clearSettings();

} // namespace testsupport
