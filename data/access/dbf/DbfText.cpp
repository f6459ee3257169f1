#include "data/access/dbf/DbfText.h"

namespace {

// Unicode characters of the bytes 0x80 .. 0x9F in cp1252; 0 where the byte is undefined. The
// bytes 0xA0 .. 0xFF are those of Latin-1.
constexpr char16_t kHighHalf[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The cp1252 byte of `c`, or -1.
int cp1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i) {
        if (kHighHalf[i] == c && c != 0) return 0x80 + i;
    }
    return -1;
}

}  // namespace

namespace DbfText {

bool fitsCp1252(QStringView text) {
    for (const QChar c : text) {
        if (cp1252Byte(c.unicode()) < 0) return false;
    }
    return true;
}

QByteArray encode(QStringView text, DbfEncoding encoding) {
    if (encoding == DbfEncoding::Utf8) return text.toUtf8();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = cp1252Byte(text[i].unicode());
        bytes[i] = static_cast<char>(byte < 0 ? '?' : byte);
    }
    return bytes;
}

qsizetype byteLength(QStringView text, DbfEncoding encoding) {
    if (encoding == DbfEncoding::Cp1252) return text.size();
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            length += 1;
        } else if (c < 0x800) {
            length += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            length += 4;
            ++i;
        } else {
            length += 3;  // a lone surrogate becomes U+FFFD, three bytes too
        }
    }
    return length;
}

char* writeUtf8(QStringView text, char* out) {
    const auto put = [&](unsigned value) { *out++ = static_cast<char>(value); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            put(c);
        } else if (c < 0x800) {
            put(0xC0 | (c >> 6));
            put(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            put(0xE0 | (c >> 12));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        } else {
            put(0xF0 | (c >> 18));
            put(0x80 | ((c >> 12) & 0x3F));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace DbfText
