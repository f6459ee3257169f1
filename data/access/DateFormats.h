#pragma once

#include <QString>

// Which number formats show a number as a date or time, and how a date serial of a workbook
// becomes a day count in the real calendar.
namespace DateFormats {

// Whether a format the program builds in without storing its code shows dates or times: 14 to
// 22, 45 to 47, and the East-Asian date formats 27 to 36 and 50 to 58.
bool isBuiltInDateFormat(int index);

// Whether a format code shows dates or times: it holds a date or time letter (d, m, y, h, s)
// outside quoted text, escaped characters, padding and fill characters, and bracketed colours,
// conditions and locales; elapsed-time brackets such as [h] count as time.
bool isDateFormatCode(const QString& code);

// Converts a serial of the workbook's date system into days since 1899-12-30 in the Gregorian
// calendar, the time of day kept as the fraction. False for serials no date can show (negative,
// past 9999-12-31, not a number): such cells stay numbers.
//
// The 1900 system counts a 29 February 1900 that never was (serial 60). We show it as
// 28 February 1900: the column stays a date column, the order of the serials is kept, and the
// real dates on both sides keep their true days. Serials below 1 are times of day only, except
// 0 itself, which the 1904 system shows as 1 January 1904 and the 1900 system as the day before
// 1 January 1900.
bool serialToDays(double serial, bool dates1904, double& days);

}  // namespace DateFormats
