#pragma once

#include <QString>

// A cell as one field of a tab-separated line: backslash, tab, carriage return and line feed
// written as \\, \t, \r and \n.
QString escaped(const QString& text);
