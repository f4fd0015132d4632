#include "platform/office/SerialDate.h"

#include <cmath>

namespace office {

double serialOf(const QDateTime& dateTime, const QDate& nullDate)
{
    const double days = double(nullDate.daysTo(dateTime.date()));
    const double seconds = dateTime.time().isValid() ? dateTime.time().msecsSinceStartOfDay() / 1000.0 : 0.0;
    return days + seconds / 86400.0;
}

QDateTime dateOfSerial(double serial, const QDate& nullDate)
{
    double days = std::floor(serial);
    long long seconds = std::llround((serial - days) * 86400.0);
    if (seconds >= 86400) {
        days += 1;
        seconds -= 86400;
    }
    const QDate day = days == 0 ? QDate(1899, 12, 30) : nullDate.addDays((long long)days);
    return QDateTime(day, QTime(0, 0).addSecs(int(seconds)));
}

} // namespace office
