#pragma once
// Writing rows from a field list and a flat value list: row r, field c
// stands at r × (number of fields) + c. An empty text leaves its column
// alone (Null in a new row, the stored value in an edited one); a number,
// 0 included, and a date are always written.
#include "platform/jet/Jet.h"

#include <QVariant>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace newdb {

// One value of a value list: a text, a whole number or a date.
struct Value {
    enum class Kind { Text, Number, Date };

    constexpr Value() : kind(Kind::Text), text("") {}  // an empty text
    constexpr Value(const char* text) : kind(Kind::Text), text(text) {}
    constexpr Value(int number) : kind(Kind::Number), number(number) {}
    static constexpr Value date(int year, int month, int day)
    {
        Value v(0);
        v.kind = Kind::Date;
        v.year = year;
        v.month = month;
        v.day = day;
        return v;
    }

    // True for an empty text, which is not written.
    constexpr bool leavesColumnAlone() const
    {
        return kind == Kind::Text && (text == nullptr || *text == '\0');
    }
    QVariant toVariant() const;

    Kind kind;
    const char* text = nullptr;  // UTF-8
    int number = 0;
    int year = 0, month = 0, day = 0;
};

// The rows of one table. An empty field list writes nothing.
struct TableRows {
    const char* table;
    std::span<const char* const> fields;
    std::span<const Value> values;

    // Throws jet::Error when the values do not divide evenly into rows.
    long rowCount() const;
};

// Writes the rows of one table through a table recordset of `db`, which
// replaces the one `rs` held. INF receives its values in its existing first
// row instead of a new one, so the institution row is never duplicated.
// Throws jet::Error on the first failure; the row being written is then left
// pending in `rs`.
void writeRows(jet::Database& db, const TableRows& rows, std::unique_ptr<jet::Recordset>& rs);

// Writes every table in order in one transaction: either all rows are in the
// file afterwards or, when a jet::Error is thrown, none of them. `afterTable`,
// when given, runs after each table's rows (inside the transaction).
void writeAll(jet::Database& db, std::span<const TableRows> tables,
              const std::function<void(const TableRows&)>& afterTable = {});

} // namespace newdb
