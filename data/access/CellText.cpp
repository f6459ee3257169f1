#include "data/access/CellText.h"

#include <QDateTime>
#include <QTime>
#include <charconv>
#include <cmath>
#include <optional>

#include "data/access/FieldType.h"

namespace {

constexpr qint64 kSecondsPerDay = 86400;

// A locale's short date may show two-digit years; a date never loses its century here.
QString withFourDigitYear(QString format) {
    if (format.contains(QLatin1String("yyyy"))) return format;
    return format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
}

// The long time format may end with a time-zone name, which a cell has no notion of.
QString withoutTimeZone(QString format) {
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

// Splits a date value into whole days and seconds of the day, rounded to the second.
void splitDays(double days, qint64& wholeDays, int& seconds) {
    const qint64 total = std::llround(days * kSecondsPerDay);
    wholeDays = total / kSecondsPerDay;
    qint64 rest = total % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --wholeDays;
    }
    seconds = static_cast<int>(rest);
}

qsizetype repeatCount(const QString& text, qsizetype from) {
    qsizetype end = from;
    while (end < text.size() && text.at(end) == text.at(from)) ++end;
    return end - from;
}

// A quoted literal as QLocale reads it: '' inside is one quote; the closing quote may be missing.
QString readQuoted(const QString& format, qsizetype& i) {
    ++i;
    if (i == format.size()) return QStringLiteral("'");
    QString text;
    while (i < format.size()) {
        if (format.at(i) == QLatin1Char('\'')) {
            if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('\'')) {
                text += QLatin1Char('\'');
                i += 2;
            } else {
                break;
            }
        } else {
            text += format.at(i++);
        }
    }
    if (i < format.size()) ++i;
    return text;
}

void appendNumber(QString& out, int value, int width) {
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (auto n = result.ptr - digits; n < width; ++n) out += QLatin1Char('0');
    out += QLatin1String(digits, result.ptr - digits);
}

}  // namespace

CompiledDateTimeFormat::CompiledDateTimeFormat(const QLocale& locale, const QString& pattern,
                                               Kind kind)
    : m_locale(locale), m_pattern(pattern), m_kind(kind) {
    m_compiled = locale.zeroDigit() == QLatin1String("0") && compile(pattern);
    if (!m_compiled) return;
    for (int day = 1; day <= 7; ++day) {
        m_dayNames[0][day - 1] = locale.dayName(day, QLocale::ShortFormat);
        m_dayNames[1][day - 1] = locale.dayName(day, QLocale::LongFormat);
    }
    for (int month = 1; month <= 12; ++month) {
        m_monthNames[0][month - 1] = locale.monthName(month, QLocale::ShortFormat);
        m_monthNames[1][month - 1] = locale.monthName(month, QLocale::LongFormat);
    }
    m_am = locale.amText();
    m_pm = locale.pmText();
}

// Takes the pattern apart as QLocale reads a date pattern and a time pattern; only the letters
// of the kind the pattern is for have a meaning, all others are literal. Returns false for a
// letter whose meaning is not followed here (milliseconds, time zones).
bool CompiledDateTimeFormat::compile(const QString& format) {
    const bool forDates = m_kind == Kind::Date;
    const bool hasAmPm = !forDates && [&] {
        for (qsizetype i = 0; i < format.size();) {
            if (format.at(i) == QLatin1Char('\'')) {
                readQuoted(format, i);
                continue;
            }
            if (format.at(i).toLower() == QLatin1Char('a')) return true;
            ++i;
        }
        return false;
    }();
    auto literal = [&](const QString& text) {
        if (!m_pieces.empty() && m_pieces.back().part == Part::Literal) {
            m_pieces.back().literal += text;
        } else {
            m_pieces.push_back({Part::Literal, 0, text});
        }
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            literal(readQuoted(format, i));
            continue;
        }
        qsizetype repeat = repeatCount(format, i);
        std::optional<Part> part;
        int width = 0;
        // Letters of the other kind are literal, as QLocale writes them.
        const bool dateLetter =
            c == QLatin1Char('y') || c == QLatin1Char('M') || c == QLatin1Char('d');
        switch (dateLetter == forDates ? c.unicode() : 0) {
            case 'y':
                if (repeat >= 2) {
                    repeat = width = repeat >= 4 ? 4 : 2;
                    part = Part::Year;
                } else {
                    repeat = 1;
                }
                break;
            case 'M':
            case 'd':
                // 1 or 2 letters: the number; 3 or 4: the short or long name.
                repeat = std::min<qsizetype>(repeat, 4);
                width = static_cast<int>(repeat <= 2 ? repeat : repeat - 2);
                part = c == QLatin1Char('M') ? (repeat <= 2 ? Part::Month : Part::MonthName)
                                             : (repeat <= 2 ? Part::Day : Part::DayName);
                break;
            case 'h':
            case 'H':
            case 'm':
            case 's':
                repeat = width = static_cast<int>(std::min<qsizetype>(repeat, 2));
                part = c == QLatin1Char('h')   ? (hasAmPm ? Part::Hour12 : Part::Hour24)
                       : c == QLatin1Char('H') ? Part::Hour24
                       : c == QLatin1Char('m') ? Part::Minute
                                               : Part::Second;
                break;
            case 'a':
            case 'A': {
                repeat = 1;
                const bool pair = i + 1 < format.size() && format.at(i + 1).toLower() == 'p';
                if (pair) ++repeat;
                if (c == QLatin1Char('A') && (!pair || format.at(i + 1) == QLatin1Char('P'))) {
                    part = Part::AmPmUpper;
                } else if (c == QLatin1Char('a') &&
                           (!pair || format.at(i + 1) == QLatin1Char('p'))) {
                    part = Part::AmPmLower;
                } else {
                    part = Part::AmPmLocale;
                }
                break;
            }
            case 'z':
            case 't':
                return false;
            default:
                break;
        }
        if (part) {
            m_pieces.push_back({*part, width, {}});
        } else {
            literal(QString(repeat, c));
        }
        i += repeat;
    }
    return true;
}

void CompiledDateTimeFormat::append(QDate date, int seconds, QString& out) const {
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!m_compiled || (m_kind == Kind::Date && (year < 1 || year > 9999))) {
        out += m_kind == Kind::Date ? m_locale.toString(date, m_pattern)
                                    : m_locale.toString(QTime(0, 0).addSecs(seconds), m_pattern);
        return;
    }
    const int hour = seconds / 3600;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    for (const Piece& piece : m_pieces) {
        switch (piece.part) {
            case Part::Literal:
                out += piece.literal;
                break;
            case Part::Day:
                appendNumber(out, day, piece.width);
                break;
            case Part::DayName:
                out += m_dayNames[piece.width - 1][date.dayOfWeek() - 1];
                break;
            case Part::Month:
                appendNumber(out, month, piece.width);
                break;
            case Part::MonthName:
                out += m_monthNames[piece.width - 1][month - 1];
                break;
            case Part::Year:
                appendNumber(out, piece.width == 2 ? year % 100 : year, piece.width);
                break;
            case Part::Hour12:
                appendNumber(out, hour12, piece.width);
                break;
            case Part::Hour24:
                appendNumber(out, hour, piece.width);
                break;
            case Part::Minute:
                appendNumber(out, seconds / 60 % 60, piece.width);
                break;
            case Part::Second:
                appendNumber(out, seconds % 60, piece.width);
                break;
            case Part::AmPmUpper:
                out += (hour < 12 ? m_am : m_pm).toUpper();
                break;
            case Part::AmPmLower:
                out += (hour < 12 ? m_am : m_pm).toLower();
                break;
            case Part::AmPmLocale:
                out += hour < 12 ? m_am : m_pm;
                break;
        }
    }
}

CellTextFormat::CellTextFormat(const QLocale& locale)
    : m_locale(locale),
      m_decimal(locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0)),
      m_datePattern(withFourDigitYear(locale.dateFormat(QLocale::ShortFormat))),
      m_timePattern(withoutTimeZone(locale.timeFormat(QLocale::LongFormat))),
      m_date(locale, m_datePattern, CompiledDateTimeFormat::Kind::Date),
      m_time(locale, m_timePattern,
             CompiledDateTimeFormat::Kind::Time) {}

CellTextFormat CellTextFormat::system() {
    return CellTextFormat(QLocale::system());
}

QString CellTextFormat::integerText(double value) const {
    char digits[24];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(value));
    return QString::fromLatin1(digits, result.ptr - digits);
}

QString CellTextFormat::floatText(double value) const {
    if (value == 0) return QStringLiteral("0");  // also for -0
    if (std::isfinite(value)) {
        // The shortest digits that read back as the value: when there are at most 15 of them
        // they are also the value rounded to 15 significant digits, so the text follows from
        // them directly, in the form printf's %.15g gives (as QString::number does).
        char shortest[32];
        const auto result = std::to_chars(shortest, shortest + sizeof shortest, value,
                                          std::chars_format::scientific);
        const char* p = shortest;
        const bool negative = *p == '-';
        if (negative) ++p;
        char digits[20];
        int count = 0;
        for (; p != result.ptr && *p != 'e'; ++p) {
            if (*p != '.') digits[count++] = *p;
            if (count > 15) break;
        }
        // (Subnormal numbers are too coarse for this: their shortest digits may be fewer.)
        if (count <= 15 && p != result.ptr && *p == 'e' && std::isnormal(value)) {
            int exponent = 0;
            std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);
            return generalText(negative, digits, count, exponent);
        }
        // More digits: round to 15. Where the 16th and 17th digits are "50" the value may lie
        // exactly half-way between two 15-digit texts; Qt rounds such ties away from zero,
        // to_chars to even, so those few are left to Qt.
        char exact[40];
        const auto wide =
            std::to_chars(exact, exact + sizeof exact, value, std::chars_format::scientific, 16);
        const char* mantissa = exact[0] == '-' ? exact + 1 : exact;
        const bool maybeTie = wide.ec == std::errc() && mantissa[16] == '5' && mantissa[17] == '0';
        if (!maybeTie) {
            const auto rounded =
                std::to_chars(exact, exact + sizeof exact, value, std::chars_format::general, 15);
            QString text(rounded.ptr - exact, Qt::Uninitialized);
            QChar* out = text.data();
            for (const char* c = exact; c != rounded.ptr; ++c) {
                *out++ = *c == '.' ? m_decimal : QLatin1Char(*c);
            }
            return text;
        }
    }
    QString text = QString::number(value, 'g', 15);
    if (m_decimal != QLatin1Char('.')) text.replace(QLatin1Char('.'), m_decimal);
    return text;
}

// `count` significant digits d1 d2 ... (no trailing zeros) of the value d1.d2... x 10^exponent,
// written as %g writes them: in scientific notation when the exponent is below -4 or 15 and
// above, else in plain notation.
QString CellTextFormat::generalText(bool negative, const char* digits, int count,
                                    int exponent) const {
    while (count > 1 && digits[count - 1] == '0') --count;
    char16_t text[48];  // sign, 15 digits, up to 19 zeros or an exponent, a separator
    int length = 0;
    const char16_t decimal = m_decimal.unicode();
    auto put = [&](char c) { text[length++] = static_cast<char16_t>(c); };
    if (negative) put('-');
    if (exponent < -4 || exponent >= 15) {
        put(digits[0]);
        if (count > 1) {
            text[length++] = decimal;
            for (int i = 1; i < count; ++i) put(digits[i]);
        }
        put('e');
        put(exponent < 0 ? '-' : '+');
        const int magnitude = std::abs(exponent);
        if (magnitude >= 100) put(char('0' + magnitude / 100));
        put(char('0' + magnitude / 10 % 10));
        put(char('0' + magnitude % 10));
    } else if (exponent < 0) {
        put('0');
        text[length++] = decimal;
        for (int i = -1; i > exponent; --i) put('0');
        for (int i = 0; i < count; ++i) put(digits[i]);
    } else {
        const int whole = exponent + 1;
        for (int i = 0; i < std::min(count, whole); ++i) put(digits[i]);
        for (int i = count; i < whole; ++i) put('0');
        if (count > whole) {
            text[length++] = decimal;
            for (int i = whole; i < count; ++i) put(digits[i]);
        }
    }
    return QString(reinterpret_cast<const QChar*>(text), length);
}

QString CellTextFormat::dateText(double days) const {
    return dateTimeText(days, true, false);
}

QString CellTextFormat::timeText(double days) const {
    return dateTimeText(days, false, true);
}

QString CellTextFormat::dateTimeText(double days) const {
    return dateTimeText(days, true, true);
}

QString CellTextFormat::dateTimeText(double days, bool withDate, bool withTime) const {
    qint64 wholeDays = 0;
    int seconds = 0;
    splitDays(days, wholeDays, seconds);
    QString text;
    text.reserve(32);
    if (withDate) m_date.append(dayZero().addDays(wholeDays), 0, text);
    if (withDate && withTime) text += QLatin1Char(' ');
    if (withTime) m_time.append(QDate(), seconds, text);
    return text;
}

bool CellTextFormat::readDateTime(const QString& text, qint64& seconds) const {
    if (text.isEmpty() || text.size() > 64) return false;
    QDate date = m_locale.toDate(text, m_datePattern);
    int secondOfDay = 0;
    // A date-time: the date, a blank, the time. Each is read on its own, so that a time the local
    // clock skips (a change to summer time) still reads.
    for (qsizetype blank = text.indexOf(QLatin1Char(' ')); !date.isValid() && blank > 0;
         blank = text.indexOf(QLatin1Char(' '), blank + 1)) {
        const QDate datePart = m_locale.toDate(text.left(blank), m_datePattern);
        if (!datePart.isValid()) continue;
        const QTime timePart = m_locale.toTime(text.mid(blank + 1), m_timePattern);
        if (!timePart.isValid()) continue;
        date = datePart;
        secondOfDay = timePart.msecsSinceStartOfDay() / 1000;
    }
    if (!date.isValid()) return false;
    seconds = date.toJulianDay() * kSecondsPerDay + secondOfDay;
    return true;
}

QString CellTextFormat::booleanText(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString CellTextFormat::numberText(double value, FieldType columnType) const {
    return columnType == FieldType::Integer ? integerText(value) : floatText(value);
}

QString CellTextFormat::dateValueText(double days, FieldType columnType) const {
    if (columnType == FieldType::Date) return dateText(days);
    if (columnType == FieldType::DateTime) return dateTimeText(days);
    if (dateIsTimeOnly(days)) return timeText(days);
    return dateHasTime(days) ? dateTimeText(days) : dateText(days);
}

bool dateHasTime(double days) {
    const double seconds = std::round(days * kSecondsPerDay);
    // Whole seconds of any date a cell can hold fit 64 bits; others count as having a time.
    if (!(std::abs(seconds) < 9e18)) return true;
    return static_cast<qint64>(seconds) % kSecondsPerDay != 0;
}

bool dateIsTimeOnly(double days) {
    const double seconds = std::round(days * kSecondsPerDay);
    return seconds >= 0 && seconds < kSecondsPerDay && seconds != 0;
}
