#include "data/access/XmlValues.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <cstring>

#include "data/access/CellText.h"

namespace {

QStringView trimmed(QStringView text) {
    return text.trimmed();
}

// Reads up to `maxDigits` digits at `i` (at least one).
bool readDigits(QStringView text, qsizetype& i, int maxDigits, std::int64_t& out) {
    out = 0;
    const qsizetype start = i;
    while (i < text.size() && i - start < maxDigits && text[i] >= u'0' && text[i] <= u'9') {
        out = out * 10 + (text[i].unicode() - '0');
        ++i;
    }
    return i > start;
}

// A decimal number at `i` ("10", "10.123"); digits only, at most 18 before the point.
bool readDecimal(QStringView text, qsizetype& i, double& out) {
    std::int64_t whole = 0;
    if (!readDigits(text, i, 18, whole)) return false;
    out = static_cast<double>(whole);
    if (i < text.size() && text[i] == u'.') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
            out += (text[i].unicode() - '0') * scale;
            scale /= 10;
            ++i;
        }
    }
    return true;
}

constexpr qsizetype kLongestNumber = 64;

bool isAscii(QByteArrayView text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// `n` characters of a number in `buffer`, which has room for one more.
bool parseNumber(char* buffer, qsizetype n, double& out) {
    if (n == 0) return false;
    buffer[n] = '\0';
    const char* begin = buffer;
    if (*begin == '+') ++begin;  // from_chars takes no plus sign
    const std::from_chars_result result = std::from_chars(begin, buffer + n, out);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small: zero; too large: the infinity of its sign.
        out = std::strtod(buffer, nullptr);
        return true;
    }
    return result.ec == std::errc() && result.ptr == buffer + n;
}

}  // namespace

namespace XmlValues {

bool toDouble(QStringView text, double& out) {
    text = trimmed(text);
    // Numbers are short; anything longer is no number a cell holds.
    char buffer[kLongestNumber];
    if (text.size() >= qsizetype(sizeof buffer)) return false;
    qsizetype n = 0;
    for (const QChar c : text) {
        if (c.unicode() > 0x7F) return false;
        buffer[n++] = static_cast<char>(c.unicode());
    }
    return parseNumber(buffer, n, out);
}

bool toDouble(QByteArrayView utf8, double& out) {
    if (!isAscii(utf8)) return toDouble(QString::fromUtf8(utf8), out);
    utf8 = utf8.trimmed();
    if (utf8.size() >= kLongestNumber) return false;
    char buffer[kLongestNumber];
    std::memcpy(buffer, utf8.data(), static_cast<std::size_t>(utf8.size()));
    return parseNumber(buffer, utf8.size(), out);
}

bool toIndex(QStringView text, std::int32_t& out) {
    text = trimmed(text);
    qsizetype i = 0;
    std::int64_t value = 0;
    if (!readDigits(text, i, 9, value) || i != text.size()) return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

bool toIndex(QByteArrayView utf8, std::int32_t& out) {
    if (!isAscii(utf8)) return toIndex(QString::fromUtf8(utf8), out);
    utf8 = utf8.trimmed();
    if (utf8.isEmpty() || utf8.size() > 9) return false;
    std::int32_t value = 0;
    for (const char c : utf8) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

bool isoToDays(QStringView text, double& days) {
    text = trimmed(text);
    qsizetype i = 0;
    bool negativeYear = false;
    if (i < text.size() && text[i] == u'-') {
        negativeYear = true;
        ++i;
    }
    std::int64_t year = 0, month = 0, day = 0;
    if (!readDigits(text, i, 6, year) || i >= text.size() || text[i++] != u'-' ||
        !readDigits(text, i, 2, month) || i >= text.size() || text[i++] != u'-' ||
        !readDigits(text, i, 2, day)) {
        return false;
    }
    const QDate date(static_cast<int>(negativeYear ? -year : year), static_cast<int>(month),
                     static_cast<int>(day));
    if (!date.isValid()) return false;
    double seconds = 0;
    if (i < text.size() && text[i] == u'T') {
        ++i;
        std::int64_t hour = 0, minute = 0;
        double second = 0;
        if (!readDigits(text, i, 2, hour) || i >= text.size() || text[i++] != u':' ||
            !readDigits(text, i, 2, minute)) {
            return false;
        }
        if (i < text.size() && text[i] == u':') {
            ++i;
            if (!readDecimal(text, i, second)) return false;
        }
        if (hour > 24 || minute > 59 || second >= 61) return false;
        seconds = hour * 3600.0 + minute * 60.0 + second;
    }
    // A zone (Z, +01:00) says where the moment was written; the cell shows its local time.
    if (i < text.size() && text[i] != u'Z' && text[i] != u'+' && text[i] != u'-') return false;
    days = static_cast<double>(dayZero().daysTo(date)) + seconds / 86400.0;
    return true;
}

bool durationToDays(QStringView text, double& days) {
    text = trimmed(text);
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative) ++i;
    if (i >= text.size() || text[i++] != u'P') return false;
    double seconds = 0;
    bool inTime = false, any = false;
    while (i < text.size()) {
        if (text[i] == u'T' && !inTime) {
            inTime = true;
            ++i;
            continue;
        }
        double amount = 0;
        if (!readDecimal(text, i, amount) || i >= text.size()) return false;
        const char16_t unit = text[i++].unicode();
        if (!inTime && unit == u'D') {
            seconds += amount * 86400;
        } else if (inTime && unit == u'H') {
            seconds += amount * 3600;
        } else if (inTime && unit == u'M') {
            seconds += amount * 60;
        } else if (inTime && unit == u'S') {
            seconds += amount;
        } else {
            return false;  // years and months have no fixed length
        }
        any = true;
    }
    if (!any) return false;
    days = (negative ? -seconds : seconds) / 86400.0;
    return std::isfinite(days);
}

}  // namespace XmlValues
