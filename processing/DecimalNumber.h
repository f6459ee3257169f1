#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <cstdint>

class CellTextFormat;

// Numbers read exactly from the texts the cells hold, for the comparisons and totals that must
// not pick up binary rounding noise (0,1 + 0,2 is 0,3).

// value = (negative ? -1 : 1) x mantissa x 10^exponent, the mantissa without trailing zeros.
// Texts of more than 38 significant digits keep only an approximate value (`exact` false).
// `approximate` is the value in long double either way.
struct DecimalText {
    bool negative = false;
    bool exact = true;
    __int128 mantissa = 0;
    int exponent = 0;
    long double approximate = 0;
};

// Reads a text IsNumberText accepts with `decimalSeparator`; false for any other text.
bool ReadDecimal(const QString& text, QChar decimalSeparator, DecimalText& out);

// The number of decimals of a number text's value: "2,50" has 1, "1,5e-05" has 6, "1,5e+20" 0.
// 0 for a text that is not a number.
int DecimalDigitCount(const QString& text, QChar decimalSeparator);

// The value in ten-thousandths, further digits rounded half away from zero; false when the text
// is not a number or lies beyond what 64 bits hold (about 9.2 x 10^14).
bool ReadFixedPoint4(const QString& text, QChar decimalSeparator, std::int64_t& tenThousandths);
bool FixedPoint4Of(const DecimalText& value, std::int64_t& tenThousandths);

// -1, 0 or 1 as `a` is less than, equal to or greater than `b`: exactly, or in long double where
// either kept only an approximate value.
int CompareDecimals(const DecimalText& a, const DecimalText& b);

// A number text rounded half away from zero to `decimals` decimals, with the separator it was
// written with; unchanged when it has no more decimals than that, when `decimals` is 0 (a total
// of whole numbers) or when it is not a number.
QString RoundNumberText(int decimals, const QString& numberText, QChar decimalSeparator);

// An exact sum of decimal numbers, kept as an integer scaled to the most decimals added so far.
// Beyond what 128 bits hold it goes on in long double.
class DecimalSum {
public:
    void add(const DecimalText& value);
    // As the general format writes the sum in `format`'s locale.
    QString text(const CellTextFormat& format) const;

private:
    __int128 m_units = 0;  // the sum x 10^m_scale
    int m_scale = 0;
    bool m_inexact = false;
    long double m_approximate = 0;
};
