// Spreadsheet serial numbers and the moments they stand for.
#include "platform/office/SerialDate.h"

#include <gtest/gtest.h>

#include <cmath>

using office::dateOfSerial;
using office::serialOf;

TEST(SerialDate, SerialsAndTheirMoments)
{
    const QDate from1900(1899, 12, 30), from1904(1904, 1, 1);
    const struct {
        double serial;
        QDate nullDate;
        QDateTime moment;
    } cases[] = {
        {39944, from1900, QDateTime(QDate(2009, 5, 11), QTime(0, 0))},
        {39944.75, from1900, QDateTime(QDate(2009, 5, 11), QTime(18, 0))},
        {38482, from1904, QDateTime(QDate(2009, 5, 11), QTime(0, 0))},
        // A fraction that rounds to a whole day is the next midnight.
        {39944.999999999, from1900, QDateTime(QDate(2009, 5, 12), QTime(0, 0))},
        // A time alone lies on the day written as no day, in both systems.
        {0.5, from1900, QDateTime(QDate(1899, 12, 30), QTime(12, 0))},
        {0.5, from1904, QDateTime(QDate(1899, 12, 30), QTime(12, 0))},
        {-1, from1900, QDateTime(QDate(1899, 12, 29), QTime(0, 0))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dateOfSerial(c.serial, c.nullDate), c.moment) << c.serial;
        if (c.serial >= 1 && c.serial == std::floor(c.serial * 4) / 4) {
            EXPECT_DOUBLE_EQ(serialOf(c.moment, c.nullDate), c.serial) << c.serial;
        }
    }
}
