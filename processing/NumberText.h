#pragma once

#include <QChar>
#include <QString>

// Whether a typed value reads as a number: what the wizard's checks and the Totals function accept.

// The whole text is a floating-point number written with `decimalSeparator`: optional blanks, an
// optional sign, digits with at most one separator, an optional exponent ("E" or "e", an optional
// sign, digits), optional blanks. The empty text is not a number.
bool IsNumberText(const QString& text, QChar decimalSeparator);
// The same with the user's decimal separator.
bool IsNumberText(const QString& text);

// Whether a second decimal point follows the first, counting "," and "." alike in every locale:
// "1,5,0", "1.5.0" and "1,5.0" all have two.
bool HasTwoDecimalPoints(const QString& text);

// The user's decimal separator, as the cell texts are written with it.
QChar SystemDecimalSeparator();

// A value the numeric checks accept: IsNumberText and not HasTwoDecimalPoints.
bool IsNumberValue(const QString& text, QChar decimalSeparator);
bool IsNumberValue(const QString& text);

// Reads a text that IsNumberText accepts; false (and `value` unchanged) for any other text.
bool ReadNumberText(const QString& text, QChar decimalSeparator, double& value);
