#include "data/access/xls/BiffText.h"

#include "data/access/CodePage.h"

namespace {
constexpr std::uint8_t kWideCharacters = 0x01;
constexpr std::uint8_t kHasPhonetic = 0x04;
constexpr std::uint8_t kHasRuns = 0x08;
constexpr std::uint32_t kRunSize = 4;
}  // namespace

namespace BiffText {

QByteArray codePageName(int codePage) {
    switch (codePage) {
        case 367:   // US-ASCII: its superset does no harm
        case 1200:  // UTF-16 in an old version's byte text: no such thing, take the usual page
        case 32769:
            return QByteArrayLiteral("windows-1252");
        case 10000:
        case 32768:
            return QByteArrayLiteral("macintosh");
        case 1361:
            return QByteArrayLiteral("x-johab");
        case 65001:
            return QByteArrayLiteral("UTF-8");
        default:
            break;
    }
    const QByteArray named = CodePage::fromCpgText(QByteArray::number(codePage));
    return named.isEmpty() ? QByteArrayLiteral("windows-1252") : named;
}

bool readUnicode(ContinuedReader& reader, int lengthBytes, QString& out) {
    std::uint32_t count = 0;
    if (lengthBytes == 1) {
        std::uint8_t length = 0;
        if (!reader.readU8(length)) return false;
        count = length;
    } else {
        std::uint16_t length = 0;
        if (!reader.readU16(length)) return false;
        count = length;
    }
    std::uint8_t flags = 0;
    if (!reader.readU8(flags)) return false;
    std::uint16_t runs = 0;
    std::uint32_t phoneticSize = 0;
    if ((flags & kHasRuns) && !reader.readU16(runs)) return false;
    if ((flags & kHasPhonetic) && !reader.readU32(phoneticSize)) return false;
    out.resize(0);  // keeps the buffer of a string read before
    if (!reader.readCharacters(count, (flags & kWideCharacters) != 0, out)) return false;
    return reader.skip(runs * kRunSize) && reader.skip(phoneticSize);
}

}  // namespace BiffText

ByteTextDecoder::ByteTextDecoder(int codePage) {
    const QByteArray name = BiffText::codePageName(codePage);
    m_decoder = QStringDecoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!m_decoder.isValid()) {
        m_decoder = QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
    }
    m_latin1 = !m_decoder.isValid();
}

QString ByteTextDecoder::decode(const unsigned char* data, std::uint32_t size) {
    const char* chars = reinterpret_cast<const char*>(data);
    if (m_latin1) return QString::fromLatin1(chars, size);
    m_decoder.resetState();
    return m_decoder.decode(QByteArrayView(chars, size));
}
