#include "data/access/ResultNumbers.h"

#include <charconv>
#include <cmath>

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

ResultNumberReader::ResultNumberReader(const QLocale& locale)
    : m_locale(locale),
      m_decimal(locale.decimalPoint()),
      m_minus(locale.negativeSign()),
      m_plus(locale.positiveSign()) {
    m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::RejectGroupSeparator);
}

std::optional<double> ResultNumberReader::readPlain(QStringView text) const {
    std::string& c = m_scratch;
    c.clear();
    qsizetype at = 0;
    // The data layer writes signs as "-" and "+" whatever the locale; the locale's own signs
    // (such as U+2212) are read too.
    const auto sign = [&](bool exponent) {
        const QStringView rest = text.mid(at);
        if (rest.startsWith(QLatin1Char('-'))) {
            c += '-';
            at += 1;
        } else if (rest.startsWith(QLatin1Char('+'))) {
            if (exponent) c += '+';
            at += 1;
        } else if (!m_minus.isEmpty() && rest.startsWith(m_minus)) {
            c += '-';
            at += m_minus.size();
        } else if (!m_plus.isEmpty() && rest.startsWith(m_plus)) {
            if (exponent) c += '+';
            at += m_plus.size();
        }
    };
    const auto digits = [&] {
        const qsizetype start = at;
        while (at < text.size() && isAsciiDigit(text[at]))
            c += static_cast<char>(text[at++].unicode());
        return at - start;
    };
    sign(false);
    qsizetype count = digits();
    if (!m_decimal.isEmpty() && text.mid(at).startsWith(m_decimal)) {
        c += '.';
        at += m_decimal.size();
        count += digits();
    }
    if (count == 0) return std::nullopt;
    // The data layer writes exponents as "e" in every locale, also where the locale's own
    // exponent symbol is another.
    if (at < text.size() && (text[at] == QLatin1Char('e') || text[at] == QLatin1Char('E'))) {
        c += 'e';
        ++at;
        sign(true);
        if (digits() == 0) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(c.data(), c.data() + c.size(), value);
    if (error != std::errc() || end != c.data() + c.size()) return std::nullopt;
    return value;
}

std::optional<double> ResultNumberReader::read(QStringView text) const {
    const QStringView trimmed = text.trimmed();
    if (const std::optional<double> value = readPlain(trimmed)) {
        if (std::isfinite(*value)) return value;
    }
    bool ok = false;
    const double parsed = m_locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(parsed)) return std::nullopt;
    return parsed;
}

QByteArray dbaseNumberText(double value) {
    char digits[kMaxDbaseNumberText];
    return QByteArray(digits, dbaseNumberText(value, digits));
}

int dbaseNumberText(double value, char (&digits)[kMaxDbaseNumberText]) {
    if (value == 0) {  // also -0
        digits[0] = '0';
        return 1;
    }
    const auto [end, error] =
        std::to_chars(digits, digits + kMaxDbaseNumberText, value, std::chars_format::fixed);
    return error == std::errc() ? int(end - digits) : 0;
}
