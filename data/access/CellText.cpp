#include "data/access/CellText.h"

#include <QDate>
#include <QTime>
#include <cmath>
#include <memory>

namespace {

constexpr qint64 kSecondsPerDay = 86400;
const QDate kDayZero(1899, 12, 30);

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

std::unique_ptr<CellTextFormat>& currentFormat() {
    static std::unique_ptr<CellTextFormat> format;
    return format;
}

}  // namespace

CellTextFormat::CellTextFormat(const QLocale& locale)
    : m_locale(locale),
      m_decimal(locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0)),
      m_dateFormat(withFourDigitYear(locale.dateFormat(QLocale::ShortFormat))),
      m_timeFormat(withoutTimeZone(locale.timeFormat(QLocale::LongFormat))) {}

QString CellTextFormat::integerText(double value) const {
    return QString::number(static_cast<qint64>(value));
}

QString CellTextFormat::floatText(double value) const {
    if (value == 0) return QStringLiteral("0");  // also for -0
    QString text = QString::number(value, 'g', 15);
    if (m_decimal != QLatin1Char('.')) text.replace(QLatin1Char('.'), m_decimal);
    return text;
}

QString CellTextFormat::dateText(double days) const {
    qint64 wholeDays = 0;
    int seconds = 0;
    splitDays(days, wholeDays, seconds);
    return m_locale.toString(kDayZero.addDays(wholeDays), m_dateFormat);
}

QString CellTextFormat::timeText(double days) const {
    qint64 wholeDays = 0;
    int seconds = 0;
    splitDays(days, wholeDays, seconds);
    return m_locale.toString(QTime(0, 0).addSecs(seconds), m_timeFormat);
}

QString CellTextFormat::dateTimeText(double days) const {
    return dateText(days) + QLatin1Char(' ') + timeText(days);
}

QString CellTextFormat::booleanText(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString CellTextFormat::render(const Cell& cell, std::uint8_t columnType,
                               const SheetTable& table) const {
    switch (cell.kind) {
        case CellKind::Empty:
            return {};
        case CellKind::Text:
        case CellKind::Error:
            return cell.text < table.texts.size() ? table.texts[cell.text] : QString();
        case CellKind::Boolean:
            return booleanText(cell.number != 0);
        case CellKind::Number:
            if (columnType == fieldTypeCode(FieldType::Integer)) return integerText(cell.number);
            return floatText(cell.number);
        case CellKind::Date:
            if (columnType == fieldTypeCode(FieldType::Date)) return dateText(cell.number);
            if (columnType == fieldTypeCode(FieldType::DateTime)) return dateTimeText(cell.number);
            if (dateIsTimeOnly(cell.number)) return timeText(cell.number);
            return dateHasTime(cell.number) ? dateTimeText(cell.number) : dateText(cell.number);
    }
    return {};
}

const CellTextFormat& CellTextFormat::current() {
    std::unique_ptr<CellTextFormat>& format = currentFormat();
    if (!format) format = std::make_unique<CellTextFormat>(QLocale::system());
    return *format;
}

void CellTextFormat::setCurrentLocale(const QLocale& locale) {
    currentFormat() = std::make_unique<CellTextFormat>(locale);
}
