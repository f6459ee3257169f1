#include "data/access/writers/ResultNumbers.h"

#include <cmath>

ResultNumberReader::ResultNumberReader(const QLocale& locale) : m_locale(locale) {
    m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::RejectGroupSeparator);
}

std::optional<double> ResultNumberReader::read(const QString& text) const {
    bool ok = false;
    const double value = m_locale.toDouble(QStringView(text).trimmed(), &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QByteArray dbaseNumberText(double value) {
    if (value == 0) return QByteArrayLiteral("0");  // also -0
    return QByteArray::number(value, 'f', QLocale::FloatingPointShortest);
}
