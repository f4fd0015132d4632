#pragma once
// Inputs of the record card that Qt has no single widget for: a date line
// that can also be empty, and the up-down control of a year line.
#include "core/DateEdit.h"

#include <QDate>
#include <QVariant>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QToolButton;

namespace card {

// A date picker with an empty state: the box in front says whether the line
// holds a date. An empty line shows no date and is saved as Null.
class DateLine : public QWidget {
    Q_OBJECT
public:
    explicit DateLine(QWidget* parent = nullptr);

    // The date, or Null (an invalid QVariant) when the line is empty.
    QVariant value() const;
    // A QDate (or a date text) sets the date; Null, an empty text or an
    // invalid date empties the line. Emits changed() when the value changes.
    void setValue(const QVariant& value);
    bool hasDate() const;
    QDate date() const;
    // The date as "dd.MM.yyyy", "" when empty.
    QString text() const;

    QCheckBox* box() const { return box_; }
    core::DateEdit* editor() const { return editor_; }

Q_SIGNALS:
    void changed();

private:
    void applyState(bool hasDate, const QDate& date);

    QCheckBox* box_;
    core::DateEdit* editor_;
    QDate lastDate_;
    bool updating_ = false;
};

// The up-down control of a year line: its arrows (and the Up and Down keys
// in the text box) step the year in the text box by one between `minimum`
// and `maximum`; an empty or unreadable text steps from `start`.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, int start, QWidget* parent = nullptr);
    void stepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy_;
    int minimum_, maximum_, value_;
};

// The card shows and reads dates in the form of every date field.
using core::kDateFormat;
using core::parseDate;

} // namespace card
