#include "processing/DecimalNumber.h"

#include <charconv>
#include <cmath>

#include "data/access/CellText.h"
#include "processing/NumberText.h"

namespace {

constexpr int kMaxDigits128 = 38;  // 10^38 < 2^127

bool multiplyByPowerOf10(__int128& value, int power) {
    for (int i = 0; i < power; ++i) {
        if (__builtin_mul_overflow(value, 10, &value)) return false;
    }
    return true;
}

// The digits as an integer, when they fit.
bool digitsValue(const QByteArray& digits, __int128& value) {
    if (digits.size() > kMaxDigits128) return false;
    value = 0;
    for (char digit : digits) value = value * 10 + (digit - '0');
    return true;
}

long double approximate(const DecimalText& value) {
    long double result = 0;
    for (char digit : value.digits) result = result * 10 + (digit - '0');
    result *= std::pow(10.0L, value.exponent);
    return value.negative ? -result : result;
}

QString plainDigits(const DecimalText& value) {
    // "d.ddd e x" for from_chars, which reads it correctly rounded.
    QByteArray text;
    if (value.negative) text += '-';
    text += value.digits.isEmpty() ? QByteArray("0") : value.digits;
    text += 'e';
    text += QByteArray::number(value.exponent);
    return QString::fromLatin1(text);
}

}  // namespace

bool ReadDecimal(const QString& text, QChar decimalSeparator, DecimalText& out) {
    if (!IsNumberText(text, decimalSeparator)) return false;
    const QString trimmed = text.trimmed();
    DecimalText value;
    qsizetype i = 0;
    if (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-')) {
        value.negative = trimmed[i] == QLatin1Char('-');
        ++i;
    }
    int decimals = 0;
    bool afterSeparator = false;
    for (; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (c == decimalSeparator) {
            afterSeparator = true;
        } else if (c.isDigit() && c.unicode() < 128) {
            value.digits += char(c.unicode());
            if (afterSeparator) ++decimals;
        } else {
            break;  // the exponent
        }
    }
    long exponent = 0;
    if (i < trimmed.size()) {
        const QByteArray rest = trimmed.mid(i + 1).toLatin1();
        const char* begin = rest.constData() + (rest.startsWith('+') ? 1 : 0);
        if (std::from_chars(begin, rest.constData() + rest.size(), exponent).ec != std::errc() ||
            std::labs(exponent) > 100000) {
            return false;
        }
    }
    // Leading zeros carry nothing; trailing zeros move into the exponent.
    qsizetype lead = 0;
    while (lead < value.digits.size() && value.digits[lead] == '0') ++lead;
    value.digits.remove(0, lead);
    value.exponent = int(exponent) - decimals;
    while (!value.digits.isEmpty() && value.digits.endsWith('0')) {
        value.digits.chop(1);
        ++value.exponent;
    }
    if (value.digits.isEmpty()) {
        value.negative = false;
        value.exponent = 0;
    }
    out = value;
    return true;
}

int DecimalDigitCount(const QString& text, QChar decimalSeparator) {
    DecimalText value;
    if (!ReadDecimal(text, decimalSeparator, value)) return 0;
    return value.exponent < 0 ? -value.exponent : 0;
}

bool ReadFixedPoint4(const QString& text, QChar decimalSeparator, std::int64_t& tenThousandths) {
    DecimalText value;
    if (!ReadDecimal(text, decimalSeparator, value)) return false;
    if (value.digits.isEmpty()) {
        tenThousandths = 0;
        return true;
    }
    // Only the digits down to the fifth decimal matter; that many fit 128 bits or overflow.
    const int shift = value.exponent + 4;  // the digits x 10^shift ten-thousandths
    QByteArray kept = value.digits;
    bool roundUp = false;
    if (shift < 0) {
        const qsizetype keep = kept.size() + shift;
        if (keep < 0) {
            kept.clear();
        } else {
            roundUp = kept[keep] >= '5';
            kept.truncate(keep);
        }
    }
    __int128 units = 0;
    if (!digitsValue(kept, units)) return false;
    if (shift > 0 && !multiplyByPowerOf10(units, shift)) return false;
    if (roundUp) ++units;
    if (units > INT64_MAX) return false;
    tenThousandths = value.negative ? -std::int64_t(units) : std::int64_t(units);
    return true;
}

QString RoundNumberText(int decimals, const QString& numberText, QChar decimalSeparator) {
    const qsizetype point = numberText.indexOf(decimalSeparator);
    DecimalText value;
    if (decimals < 0 || point < 0 || !ReadDecimal(numberText, decimalSeparator, value) ||
        -value.exponent <= decimals) {
        return numberText;
    }
    // Keep the digits down to `decimals`, then add one unit there when the first dropped digit
    // is 5 or more: half away from zero, as the sign is applied afterwards.
    const qsizetype keep = value.digits.size() + value.exponent + decimals;
    QByteArray digits = keep > 0 ? value.digits.left(keep) : QByteArray();
    const bool roundUp = keep >= 0 && keep < value.digits.size() && value.digits[keep] >= '5';
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) {
            digits[i] = char(digits[i] + 1);
        } else {
            digits.prepend('1');
        }
    }
    // Back to text: the integer part, the separator and exactly the decimals kept (without
    // trailing zeros).
    while (digits.size() < decimals + 1) digits.prepend('0');
    QByteArray whole = digits.left(digits.size() - decimals);
    QByteArray fraction = digits.mid(digits.size() - decimals);
    while (fraction.endsWith('0')) fraction.chop(1);
    QString text = QString::fromLatin1(whole);
    if (!fraction.isEmpty()) text += decimalSeparator + QString::fromLatin1(fraction);
    bool allZero = true;
    for (char c : whole + fraction) allZero = allZero && c == '0';
    if (value.negative && !allZero) text.prepend(QLatin1Char('-'));
    return text;
}

void DecimalSum::add(const DecimalText& value) {
    ++m_count;
    m_approximate += approximate(value);
    if (m_inexact) return;
    __int128 units = 0;
    bool fits = digitsValue(value.digits, units);
    // Rescale the sum to the value's decimals when it has more.
    if (fits && -value.exponent > m_scale) {
        fits = multiplyByPowerOf10(m_units, -value.exponent - m_scale);
        m_scale = -value.exponent;
    }
    if (fits) fits = multiplyByPowerOf10(units, value.exponent + m_scale);
    if (fits && value.negative) units = -units;
    if (fits) fits = !__builtin_add_overflow(m_units, units, &m_units);
    if (!fits) m_inexact = true;
}

QString DecimalSum::text(const CellTextFormat& format) const {
    if (m_inexact) return format.floatText(double(m_approximate));
    DecimalText sum;
    __int128 units = m_units;
    sum.negative = units < 0;
    if (units < 0) units = -units;
    while (units > 0) {
        sum.digits.prepend(char('0' + int(units % 10)));
        units /= 10;
    }
    sum.exponent = -m_scale;
    double value = 0;
    const QByteArray text = plainDigits(sum).toLatin1();
    std::from_chars(text.constData(), text.constData() + text.size(), value);
    return format.floatText(value);
}
