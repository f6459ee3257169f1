#include "data/access/DateFormats.h"

#include <cmath>

namespace {

// 1904-01-01 counted from 1899-12-30.
constexpr double kDays1904 = 1462;
// 9999-12-31 counted from 1899-12-30: the last day a workbook shows.
constexpr double kLastDay = 2958465;
constexpr double kPhantomSerial = 60;

bool isDateLetter(QChar c) {
    switch (c.toLower().unicode()) {
        case 'd':
        case 'm':
        case 'y':
        case 'h':
        case 's':
            return true;
        default:
            return false;
    }
}

// [h], [mm], [ss]: elapsed hours, minutes or seconds.
bool isElapsedTime(const QString& inside) {
    if (inside.isEmpty()) return false;
    const QChar first = inside.at(0).toLower();
    if (first != QLatin1Char('h') && first != QLatin1Char('m') && first != QLatin1Char('s')) {
        return false;
    }
    for (QChar c : inside) {
        if (c.toLower() != first) return false;
    }
    return true;
}

}  // namespace

namespace DateFormats {

bool isBuiltInDateFormat(int index) {
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) ||
           (index >= 45 && index <= 47) || (index >= 50 && index <= 58);
}

bool isDateFormatCode(const QString& code) {
    const qsizetype n = code.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = code.at(i);
        switch (c.unicode()) {
            case '"': {  // quoted text
                const qsizetype end = code.indexOf(QLatin1Char('"'), i + 1);
                if (end < 0) return false;
                i = end;
                break;
            }
            case '\\':  // an escaped character
            case '_':   // padding as wide as the next character
            case '*':   // fill with the next character
                ++i;
                break;
            case '[': {
                const qsizetype end = code.indexOf(QLatin1Char(']'), i + 1);
                if (end < 0) return false;
                if (isElapsedTime(code.mid(i + 1, end - i - 1))) return true;
                i = end;
                break;
            }
            default:
                if (isDateLetter(c)) return true;
        }
    }
    return false;
}

bool serialToDays(double serial, bool dates1904, double& days) {
    if (!std::isfinite(serial) || serial < 0) return false;
    if (serial > 0 && serial < 1) {
        days = serial;  // a time of day
    } else if (dates1904) {
        days = serial + kDays1904;
    } else if (serial < kPhantomSerial) {
        days = serial + 1;  // before its phantom day the 1900 system counts from 1899-12-31
    } else {
        // From the phantom day on it counts from 1899-12-30, so the phantom day itself lands on
        // 28 February 1900, with its time of day.
        days = serial;
    }
    return days < kLastDay + 1;
}

}  // namespace DateFormats
