#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <cstdint>

// Code pages of dBase tables: the language-driver byte of the header, or a .cpg file beside the
// table, names the code page its texts are in. Names returned are the decoder's.
namespace CodePage {

// The code page a language-driver byte names; empty when the byte names none we know.
QByteArray fromLanguageDriver(std::uint8_t languageDriver);
// The code page a .cpg file's content names ("UTF-8", "1251", "CP1252", "ANSI 1251" ...).
QByteArray fromCpgText(const QByteArray& content);
// Used for texts that are not valid UTF-8 when neither says anything, and when the decoder
// does not know the code page named.
inline QByteArray fallback() {
    return QByteArrayLiteral("windows-1252");
}

// Decodes the texts of one table. With a code page named, every text is read in it. With none
// (an empty name), each text is read as UTF-8 when its bytes are valid UTF-8 and in the fallback
// code page otherwise: tables written as UTF-8 without saying so read right, and a table in
// cp1252 still does, text by text, since its accented texts are seldom valid UTF-8.
class TextDecoder {
public:
    explicit TextDecoder(const QByteArray& codePage);
    QString decode(QByteArrayView bytes);

private:
    QStringDecoder m_decoder;  // the code page named, or the fallback
    QStringDecoder m_utf8;     // valid only when no code page is named
    bool m_asciiAsIs = false;  // the code page writes ASCII as ASCII: such values need no decoder
};

}  // namespace CodePage
