#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <cstdint>

#include "data/access/xls/BiffRecordStream.h"

// Texts of the workbook stream. Excel 97 and later store UTF-16 (with a compressed form for
// texts that need only the low byte); older versions store bytes in the workbook's code page.
namespace BiffText {

// The decoder name for the number of a CODEPAGE record; windows-1252 for numbers we do not know.
QByteArray codePageName(int codePage);

// Reads one Unicode string: its length in `lengthBytes` (1 or 2) bytes, its flags, and its
// characters; rich-text runs and phonetic data after the characters are skipped. False when the
// string runs past the data.
bool readUnicode(ContinuedReader& reader, int lengthBytes, QString& out);

}  // namespace BiffText

// Decodes the byte texts of Excel 2 to 7 in the workbook's code page.
class ByteTextDecoder {
public:
    explicit ByteTextDecoder(int codePage = 1252);
    QString decode(const unsigned char* data, std::uint32_t size);

private:
    QStringDecoder m_decoder;
    bool m_latin1 = false;
};
