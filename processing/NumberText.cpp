#include "processing/NumberText.h"

#include <QByteArray>
#include <QLocale>
#include <charconv>

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isSign(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-');
}

// A number text too long for the quick copy.
bool readLongNumber(const QString& text, QChar decimalSeparator, double& value) {
    QByteArray ascii = text.trimmed().toLatin1();
    if (ascii.startsWith('+')) ascii.remove(0, 1);
    if (decimalSeparator != QLatin1Char('.')) ascii.replace(char(decimalSeparator.unicode()), '.');
    const auto result = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) value = ascii.toDouble();
    return true;
}

}  // namespace

bool IsNumberText(const QString& text, QChar decimalSeparator) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i])) ++i;
    while (end > i && isBlank(text[end - 1])) --end;
    if (i < end && isSign(text[i])) ++i;

    int digits = 0;
    bool separatorSeen = false;
    for (; i < end; ++i) {
        if (isDigit(text[i])) {
            ++digits;
        } else if (text[i] == decimalSeparator && !separatorSeen) {
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < end && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < end && isSign(text[i])) ++i;
        int exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) return false;
    }
    return i == end;
}

QChar SystemDecimalSeparator() {
    // The rule the cell texts are written with: the first character, "." when there is none.
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

bool IsNumberText(const QString& text) {
    return IsNumberText(text, SystemDecimalSeparator());
}

bool HasTwoDecimalPoints(const QString& text) {
    bool pointSeen = false;
    for (QChar c : text) {
        if (c != QLatin1Char(',') && c != QLatin1Char('.')) continue;
        if (pointSeen) return true;
        pointSeen = true;
    }
    return false;
}

bool IsNumberValue(const QString& text, QChar decimalSeparator) {
    return IsNumberText(text, decimalSeparator) && !HasTwoDecimalPoints(text);
}

bool IsNumberValue(const QString& text) {
    return IsNumberValue(text, SystemDecimalSeparator());
}

bool ReadNumberText(const QString& text, QChar decimalSeparator, double& value) {
    if (!IsNumberText(text, decimalSeparator)) return false;
    // The accepted texts are ASCII: copied with a point for the separator, from_chars reads them.
    char buffer[64];
    std::size_t length = 0;
    for (QChar c : text) {
        if (c == QLatin1Char(' ') || (length == 0 && c == QLatin1Char('+'))) continue;
        if (length == sizeof buffer) return readLongNumber(text, decimalSeparator, value);
        buffer[length++] = c == decimalSeparator ? '.' : char(c.unicode());
    }
    const auto result = std::from_chars(buffer, buffer + length, value);
    // Beyond the range of a double: infinity or zero, as the C library reads it.
    if (result.ec == std::errc::result_out_of_range) {
        value = QByteArray(buffer, qsizetype(length)).toDouble();
    }
    return true;
}
