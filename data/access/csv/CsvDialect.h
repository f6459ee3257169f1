#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// How a delimited text table is written: its encoding and its delimiter, found from the file's
// content (or named by the user), and the decimal separator its numbers use.
namespace CsvDialect {

// The encoding of `bytes`: a byte-order mark wins (UTF-8, UTF-16 LE or BE); else UTF-8 when the
// bytes are valid UTF-8; else what the detector finds; else windows-1252. `bomLength` is set to
// the mark's length (0 without one).
QByteArray detectEncoding(const QByteArray& bytes, int& bomLength);

// The delimiter among , ; TAB | that splits the first lines of `text` (up to 64 KB) into the
// most fields the same number of times a line, quoted fields skipped. `tabFile` (a .tsv file)
// takes TAB unless no line holds a TAB but another delimiter splits them all.
QChar detectDelimiter(QStringView text, bool tabFile);

// A delimiter the user names: one character, or "tab" / "\t".
bool parseDelimiterName(const QString& name, QChar& delimiter);

// The name of a delimiter for messages ("comma", "semicolon", "tab", "pipe" or the character).
QString delimiterName(QChar delimiter);

}  // namespace CsvDialect
