#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <vector>

#include "data/access/FieldType.h"

// Dates travel through the data access layer as days since this day (the fraction being the
// time of day), whatever date system the file used.
inline QDate dayZero() {
    return QDate(1899, 12, 30);
}

// A locale's date or time format taken apart once, so that a million cells are written without
// reading the pattern again for each. Formats it cannot take apart exactly (a locale with digits
// other than 0-9, a letter whose meaning it does not know) are handed to QLocale each time.
class CompiledDateTimeFormat {
public:
    enum class Kind { Date, Time };
    CompiledDateTimeFormat(const QLocale& locale, const QString& pattern, Kind kind);

    // Appends the text of a date (date patterns) or a time of day in seconds since midnight
    // (time patterns) to `out`.
    void append(QDate date, int seconds, QString& out) const;

private:
    // A number is written with at least `width` digits; a name is the short (width 1) or long
    // (width 2) one.
    enum class Part : std::uint8_t {
        Literal,
        Day,
        DayName,
        Month,
        MonthName,
        Year,
        Hour12,
        Hour24,
        Minute,
        Second,
        AmPmUpper,
        AmPmLower,
        AmPmLocale
    };
    struct Piece {
        Part part;
        int width;
        QString literal;
    };
    bool compile(const QString& pattern);

    QLocale m_locale;
    QString m_pattern;
    Kind m_kind;
    bool m_compiled = false;
    std::vector<Piece> m_pieces;
    QString m_dayNames[2][7];     // short, long; Monday first
    QString m_monthNames[2][12];  // short, long
    QString m_am, m_pm;
};

// Turns values into the edit texts the rest of the program stores and compares. Numbers and
// dates follow the locale it was made for; a connection and a result writer each hold one, made
// when they are, so every text of one file follows one locale.
class CellTextFormat {
public:
    explicit CellTextFormat(const QLocale& locale);
    // The user's locale.
    static CellTextFormat system();

    const QLocale& locale() const { return m_locale; }
    QChar decimalSeparator() const { return m_decimal; }

    QString integerText(double value) const;
    QString floatText(double value) const;  // general format, at most 15 significant digits
    QString dateText(double days) const;    // short date with a four-digit year
    QString dateTimeText(double days) const;
    QString timeText(double days) const;
    static QString booleanText(bool value);

    // The text of a number or a date in a column whose field-type code is `columnType`: number
    // cells of integer columns as integers, others in the general format; date cells of date
    // and date-time columns in the column's form, elsewhere in the form their value needs.
    QString numberText(double value, FieldType columnType) const;
    QString dateValueText(double days, FieldType columnType) const;

    // Reads a text in the form dateText or dateTimeText write: `seconds` counts from an
    // arbitrary fixed day, so two results compare as points in time. False for any other text.
    bool readDateTime(const QString& text, qint64& seconds) const;

private:
    QString generalText(bool negative, const char* digits, int count, int exponent) const;
    QString dateTimeText(double days, bool withDate, bool withTime) const;

    QLocale m_locale;
    QChar m_decimal;
    QString m_datePattern;
    QString m_timePattern;
    CompiledDateTimeFormat m_date;
    CompiledDateTimeFormat m_time;
};

// Whether a date value holds a time of day, and whether it holds only a time (no date part).
bool dateHasTime(double days);
bool dateIsTimeOnly(double days);
