#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

#include "data/access/SheetTable.h"

// Turns cells into the edit texts the rest of the program stores and compares. Numbers and
// dates follow the user's locale; tests install a fixed one.
class CellTextFormat {
public:
    explicit CellTextFormat(const QLocale& locale);

    const QLocale& locale() const { return m_locale; }
    QChar decimalSeparator() const { return m_decimal; }

    QString integerText(double value) const;
    QString floatText(double value) const;  // general format, at most 15 significant digits
    QString dateText(double days) const;    // short date with a four-digit year
    QString dateTimeText(double days) const;
    QString timeText(double days) const;
    static QString booleanText(bool value);

    // The text of `cell` in a column whose code is `columnType`.
    QString render(const Cell& cell, std::uint8_t columnType, const SheetTable& table) const;

    // The format the program uses from now on (initially the system locale's).
    static const CellTextFormat& current();
    static void setCurrentLocale(const QLocale& locale);

private:
    QLocale m_locale;
    QChar m_decimal;
    QString m_dateFormat;
    QString m_timeFormat;
};
