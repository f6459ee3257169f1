#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <cstdint>

// Values as the XML of workbooks writes them, read without making a string of them: a sheet
// holds millions.
namespace XmlValues {

// A number in XML Schema form ("12", "-0.5", "1.5E-3", "INF", "NaN"), spaces around allowed.
bool toDouble(QStringView text, double& out);
bool toDouble(QByteArrayView utf8, double& out);
// A non-negative whole number of at most nine digits, as indexes and counts are written.
bool toIndex(QStringView text, std::int32_t& out);
bool toIndex(QByteArrayView utf8, std::int32_t& out);
// An ISO 8601 date or date-time ("2021-01-01", "2021-01-01T10:10:10.5", a zone suffix
// ignored) as days since 1899-12-30, the time of day as the fraction.
bool isoToDays(QStringView text, double& days);
// An ISO 8601 duration of days, hours, minutes and seconds ("PT10H10M10.5S", "-P1DT2H") in
// days.
bool durationToDays(QStringView text, double& days);

}  // namespace XmlValues
