#pragma once

#include <QByteArray>
#include <QString>

// Texts of a dBase table we write: cp1252 where every text of the table fits it, UTF-8
// otherwise. cp1252 is the one code page with a language-driver byte that every dBase reader
// decodes without being told; UTF-8 needs a .cpg file beside the table.
enum class DbfEncoding { Cp1252, Utf8 };

namespace DbfText {

// Whether every character has a cp1252 byte. The five bytes cp1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) do not count, as decoders refuse them.
bool fitsCp1252(QStringView text);
// The bytes of `text` (which must fit the encoding when it is cp1252).
QByteArray encode(QStringView text, DbfEncoding encoding);
// The number of bytes `text` takes in the encoding, without encoding it.
qsizetype byteLength(QStringView text, DbfEncoding encoding);
// Writes the UTF-8 bytes of `text` (byteLength(text, Utf8) of them) to `out`; returns their end.
char* writeUtf8(QStringView text, char* out);

}  // namespace DbfText
