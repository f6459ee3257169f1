#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Code pages of dBase tables: the language-driver byte of the header, or a .cpg file beside the
// table, names the code page its texts are in. Names returned are the decoder's.
namespace CodePage {

// The code page a language-driver byte names; empty when the byte names none we know.
QByteArray fromLanguageDriver(std::uint8_t languageDriver);
// The code page a .cpg file's content names ("UTF-8", "1251", "CP1252", "ANSI 1251" ...).
QByteArray fromCpgText(const QByteArray& content);
// Used when neither says anything.
inline QByteArray fallback() { return QByteArrayLiteral("windows-1252"); }

}  // namespace CodePage
