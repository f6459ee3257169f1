#include "processing/DecimalNumber.h"

#include <array>
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

// 10^exponent, from a table where the cells' numbers need it.
long double powerOf10(long exponent) {
    static const auto table = [] {
        std::array<long double, 801> powers{};
        for (int i = 0; i < 801; ++i) powers[std::size_t(i)] = std::pow(10.0L, i - 400);
        return powers;
    }();
    return exponent >= -400 && exponent <= 400 ? table[std::size_t(exponent + 400)]
                                                : std::pow(10.0L, exponent);
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The decimal digits of a positive integer.
QByteArray digitsOf(__int128 value) {
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* p = end;
    do {
        *--p = char('0' + int(value % 10));
        value /= 10;
    } while (value > 0);
    return QByteArray(p, end - p);
}

}  // namespace

bool ReadDecimal(const QString& text, QChar decimalSeparator, DecimalText& out) {
    if (!IsNumberText(text, decimalSeparator)) return false;
    // IsNumberText has checked the form: blanks, sign, digits and separator, exponent, blanks.
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    while (*p == QLatin1Char(' ')) ++p;
    DecimalText value;
    if (*p == QLatin1Char('+') || *p == QLatin1Char('-')) value.negative = *p++ == QLatin1Char('-');
    int digits = 0;  // significant digits in the mantissa
    int shift = 0;   // the mantissa's power of ten: less a decimal, more a dropped digit
    bool afterSeparator = false;
    for (; p != end; ++p) {
        if (*p == decimalSeparator) {
            afterSeparator = true;
            continue;
        }
        if (!isAsciiDigit(*p)) break;
        const int digit = p->unicode() - '0';
        if (afterSeparator) --shift;
        if (digits == 0 && digit == 0) continue;  // leading zeros
        if (digits < kMaxDigits128) {
            value.mantissa = value.mantissa * 10 + digit;
            ++digits;
        } else {
            value.exact = false;
            ++shift;  // the digit is dropped: the mantissa stands for ten times less
        }
    }
    long exponent = 0;
    if (p != end && (*p == QLatin1Char('e') || *p == QLatin1Char('E'))) {
        ++p;
        bool negativeExponent = false;
        if (*p == QLatin1Char('+') || *p == QLatin1Char('-')) negativeExponent = *p++ == QLatin1Char('-');
        for (; p != end && isAsciiDigit(*p); ++p) {
            exponent = exponent * 10 + (p->unicode() - '0');
            if (exponent > 100000) return false;
        }
        if (negativeExponent) exponent = -exponent;
    }
    value.exponent = int(exponent) + shift;
    if (value.mantissa == 0) {
        value.negative = false;
        value.exponent = 0;
    } else {
        while (value.mantissa % 10 == 0) {
            value.mantissa /= 10;
            ++value.exponent;
        }
    }
    if (value.exact) {
        value.approximate = (long double)value.mantissa * powerOf10(value.exponent);
        if (value.negative) value.approximate = -value.approximate;
    } else {
        double read = 0;
        ReadNumberText(text, decimalSeparator, read);
        value.approximate = read;
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
    return ReadDecimal(text, decimalSeparator, value) && FixedPoint4Of(value, tenThousandths);
}

bool FixedPoint4Of(const DecimalText& value, std::int64_t& tenThousandths) {
    __int128 units = value.mantissa;
    const int shift = value.exponent + 4;  // the mantissa x 10^shift ten-thousandths
    if (shift >= 0) {
        if (!multiplyByPowerOf10(units, shift)) return false;
    } else if (shift < -kMaxDigits128) {
        units = 0;
    } else {
        // Drop the digits below the fourth decimal, rounding half away from zero.
        __int128 divisor = 1;
        for (int i = 0; i < -shift; ++i) divisor *= 10;
        const __int128 rest = units % divisor;
        units /= divisor;
        if (rest >= divisor - rest) ++units;
    }
    if (units > INT64_MAX) return false;
    tenThousandths = value.negative ? -std::int64_t(units) : std::int64_t(units);
    return true;
}

int CompareDecimals(const DecimalText& a, const DecimalText& b) {
    if (!a.exact || !b.exact) {
        return (a.approximate > b.approximate) - (a.approximate < b.approximate);
    }
    const auto sign = [](const DecimalText& v) {
        return v.mantissa == 0 ? 0 : v.negative ? -1 : 1;
    };
    const int signA = sign(a);
    const int signB = sign(b);
    if (signA != signB) return signA < signB ? -1 : 1;
    if (signA == 0) return 0;
    // The same sign: the magnitudes decide, first by the place of the leading digit, then by the
    // digits from there (neither mantissa has trailing zeros, so a shorter one that is a prefix of
    // the other is the smaller).
    const QByteArray digitsA = digitsOf(a.mantissa);
    const QByteArray digitsB = digitsOf(b.mantissa);
    const long leadingA = long(digitsA.size()) + a.exponent;
    const long leadingB = long(digitsB.size()) + b.exponent;
    int magnitude = 0;
    if (leadingA != leadingB) {
        magnitude = leadingA < leadingB ? -1 : 1;
    } else {
        const int digits = digitsA.compare(digitsB);
        magnitude = (digits > 0) - (digits < 0);
    }
    return signA * magnitude;
}

QString RoundNumberText(int decimals, const QString& numberText, QChar decimalSeparator) {
    DecimalText value;
    if (decimals <= 0 || !numberText.contains(decimalSeparator) ||
        !ReadDecimal(numberText, decimalSeparator, value) || !value.exact ||
        -value.exponent <= decimals) {
        return numberText;
    }
    // Drop the digits below `decimals`, adding one unit there when the first dropped digit is 5
    // or more: half away from zero, as the sign is applied afterwards.
    __int128 units = value.mantissa;
    const int drop = -value.exponent - decimals;
    if (drop > kMaxDigits128) {
        units = 0;
    } else {
        __int128 divisor = 1;
        for (int i = 0; i < drop; ++i) divisor *= 10;
        const __int128 rest = units % divisor;
        units /= divisor;
        if (rest >= divisor - rest) ++units;
    }
    QByteArray digits = digitsOf(units);
    while (digits.size() < decimals + 1) digits.prepend('0');
    const QByteArray whole = digits.left(digits.size() - decimals);
    QByteArray fraction = digits.mid(digits.size() - decimals);
    while (fraction.endsWith('0')) fraction.chop(1);
    QString text = QString::fromLatin1(whole);
    if (!fraction.isEmpty()) text += decimalSeparator + QString::fromLatin1(fraction);
    if (value.negative && units != 0) text.prepend(QLatin1Char('-'));
    return text;
}

void DecimalSum::add(const DecimalText& value) {
    m_approximate += value.approximate;
    if (m_inexact) return;
    bool fits = value.exact;
    __int128 units = value.mantissa;
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
    // Digits and a power of ten, which from_chars reads correctly rounded.
    const bool negative = m_units < 0;
    QByteArray text = digitsOf(negative ? -m_units : m_units);
    if (negative) text.prepend('-');
    text += 'e' + QByteArray::number(-m_scale);
    double value = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), value);
    return format.floatText(value);
}
