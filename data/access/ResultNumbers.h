#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <optional>
#include <string>

// Numbers in result files. The program sends every value as the text the grid shows, so a number
// arrives written the user's way ("12,5" in a German locale). A value of a number column is
// read as a number only when it is one as the user's locale writes numbers, or as the data
// layer renders number cells for that locale: with the locale's decimal separator, an optional
// sign ("-", "+" or the locale's own) and exponent ("e" or the locale's own), no group
// separators (so that "1.234" in a German locale is not silently read as 1234), and finite.
// Plain C-locale numbers are therefore numbers exactly where the user's decimal separator is "."
// too; in a "," locale "12.5" stays text, as it may well be a date or a version there.
class ResultNumberReader {
public:
    explicit ResultNumberReader(const QLocale& locale);
    std::optional<double> read(QStringView text) const;

private:
    // Texts of ASCII digits with the locale's signs and separator are read directly: asking the
    // system locale costs a lookup for every value, which a save of a million cells notices.
    // Anything else (native digits, other signs, texts) is left to QLocale.
    std::optional<double> readPlain(QStringView text) const;

    QLocale m_locale;
    mutable std::string m_scratch;  // the plain text in C notation, kept to save an allocation
    QString m_decimal;
    QString m_minus;
    QString m_plus;
};

// A number as a dBase numeric field holds it: plain decimal notation with ".", whatever the
// locale, with the fewest digits that read back as the same number ("0.1", "-12", "1234.5").
QByteArray dbaseNumberText(double value);
// The same into `digits`, returning its length: the longest finite double takes 309 digits, a
// sign, a point and 17 decimals at most.
constexpr int kMaxDbaseNumberText = 340;
int dbaseNumberText(double value, char (&digits)[kMaxDbaseNumberText]);
