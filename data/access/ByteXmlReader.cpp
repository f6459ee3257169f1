#include "data/access/ByteXmlReader.h"

#include <cstdint>
#include <cstring>

namespace {

bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool isNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool isNameChar(unsigned char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// One character of more than one byte at `at`, which moves past it; false when the bytes are
// no UTF-8 or the character is none XML allows.
bool readMultiByte(const char*& at, const char* end) {
    const auto lead = static_cast<unsigned char>(*at);
    int length = 0;
    std::uint32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return false;
    }
    if (end - at < length) return false;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(at[i]);
        if ((next & 0xC0) != 0x80) return false;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are no UTF-8.
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || (c >= 0xD800 && c <= 0xDFFF) || !isXmlChar(c)) return false;
    at += length;
    return true;
}

// The reference at `at` (on its '&'), which moves past it.
bool readReference(const char*& at, const char* end, std::uint32_t& c) {
    const char* semicolon = static_cast<const char*>(std::memchr(at, ';', end - at));
    if (!semicolon) return false;
    const QByteArrayView name(at + 1, semicolon - at - 1);
    if (name.startsWith('#')) {
        const bool hex = name.size() > 1 && name[1] == 'x';
        const QByteArrayView digits = name.sliced(hex ? 2 : 1);
        if (digits.isEmpty() || digits.size() > 8) return false;
        c = 0;
        for (const char d : digits) {
            int value = -1;
            if (d >= '0' && d <= '9') value = d - '0';
            if (hex && d >= 'a' && d <= 'f') value = d - 'a' + 10;
            if (hex && d >= 'A' && d <= 'F') value = d - 'A' + 10;
            if (value < 0) return false;
            c = c * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
        }
        if (!isXmlChar(c)) return false;
    } else if (name == "lt") {
        c = '<';
    } else if (name == "gt") {
        c = '>';
    } else if (name == "amp") {
        c = '&';
    } else if (name == "quot") {
        c = '"';
    } else if (name == "apos") {
        c = '\'';
    } else {
        return false;
    }
    at = semicolon + 1;
    return true;
}

void appendUtf8(QByteArray& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Whether the characters between tags are ones XML allows there; outside the document's
// element only blanks are.
bool textIsSound(QByteArrayView text, bool outside) {
    const char* at = text.data();
    const char* end = at + text.size();
    while (at < end) {
        const auto c = static_cast<unsigned char>(*at);
        if (c >= 0x20 && c != '&' && c != ']' && c < 0x80) {
            if (outside && c != ' ') return false;
            ++at;
        } else if (c == '\n' || c == '\t' || c == '\r') {
            ++at;
        } else if (outside) {
            return false;
        } else if (c == '&') {
            std::uint32_t value = 0;
            if (!readReference(at, end, value)) return false;
        } else if (c == ']') {
            if (end - at >= 3 && at[1] == ']' && at[2] == '>') return false;
            ++at;
        } else if (c < 0x20 || !readMultiByte(at, end)) {
            return false;
        }
    }
    return true;
}

}  // namespace

ByteXmlReader::ByteXmlReader(QByteArrayView xml)
    : m_at(xml.data()), m_end(xml.data() + xml.size()) {
    if (xml.startsWith("\xEF\xBB\xBF")) m_at += 3;
    if (QByteArrayView(m_at, m_end - m_at).startsWith("<?xml") && !readDeclaration()) fail();
}

// Version 1.0, then optionally UTF-8 and standalone, as office programs write it.
bool ByteXmlReader::readDeclaration() {
    m_at += 5;
    char closer = 0;
    if (m_at >= m_end || (*m_at != ' ' && *m_at != '\t' && *m_at != '\n' && *m_at != '\r'))
        return false;
    if (!readAttributes(closer) || closer != '?' || m_attributeCount == 0) return false;
    static constexpr const char* kNames[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;
    for (std::size_t i = 0; i < m_attributeCount; ++i) {
        const Attribute& attribute = m_attributes[i];
        while (next < 3 && attribute.name != kNames[next]) ++next;
        if (next == 3) return false;
        if (next == 0 && attribute.value != "1.0") return false;
        if (next == 1 && attribute.value.toByteArray().toLower() != "utf-8") return false;
        if (next == 2 && attribute.value != "yes" && attribute.value != "no") return false;
        if (i == 0 && next != 0) return false;
        ++next;
    }
    m_attributeCount = 0;
    return true;
}

bool ByteXmlReader::readName(QByteArrayView& name, QByteArrayView& localName) {
    const char* start = m_at;
    if (m_at >= m_end || !isNameStart(static_cast<unsigned char>(*m_at))) return false;
    const char* local = m_at;
    for (++m_at; m_at < m_end && isNameChar(static_cast<unsigned char>(*m_at)); ++m_at) {
        if (*m_at == ':') local = m_at + 1;
    }
    if (local == start && *start == ':') ++local;
    name = QByteArrayView(start, m_at - start);
    localName = QByteArrayView(local, m_at - local);
    return true;
}

// Attributes up to the '>' that ends the tag (m_at then after it); `closer` is what stands
// before it: '/' in an empty element, '?' in the declaration, else 0.
bool ByteXmlReader::readAttributes(char& closer) {
    m_attributeCount = 0;
    for (;;) {
        const char* before = m_at;
        skipSpace();
        if (m_at >= m_end) return endEarly();
        const char c = *m_at;
        if (c == '>') {
            ++m_at;
            closer = 0;
            return true;
        }
        if (c == '/' || c == '?') {
            if (m_end - m_at < 2) return endEarly();
            if (m_at[1] != '>') return false;
            m_at += 2;
            closer = c;
            return true;
        }
        if (m_at == before || m_attributeCount == kMaxAttributes) return false;
        Attribute& attribute = m_attributes[m_attributeCount];
        if (!readName(attribute.name, attribute.localName)) return false;
        skipSpace();
        if (m_at >= m_end) return endEarly();
        if (*m_at != '=') return false;
        ++m_at;
        skipSpace();
        if (m_at >= m_end) return endEarly();
        const char quote = *m_at;
        if (quote != '"' && quote != '\'') return false;
        const char* start = ++m_at;
        const char* close = static_cast<const char*>(std::memchr(m_at, quote, m_end - m_at));
        if (!close) return endEarly();
        while (m_at < close) {
            const auto b = static_cast<unsigned char>(*m_at);
            if (b >= 0x80) {
                if (!readMultiByte(m_at, close)) return false;
            } else if (b == '<' || b == '&' || (b < 0x20 && b != '\t' && b != '\n' && b != '\r')) {
                return false;
            } else {
                ++m_at;
            }
        }
        attribute.value = QByteArrayView(start, close - start);
        m_at = close + 1;
        for (std::size_t i = 0; i < m_attributeCount; ++i) {
            if (same(m_attributes[i].name, attribute.name)) return false;
        }
        ++m_attributeCount;
    }
}

bool ByteXmlReader::readStartTag() {
    if (m_sawRoot && m_open.empty()) return false;  // a second document element
    if (!readName(m_name, m_localName)) return m_at >= m_end ? endEarly() : false;
    char closer = 0;
    if (!readAttributes(closer) || closer == '?') return false;
    m_sawRoot = true;
    m_open.push_back(m_name);
    m_pendingEnd = closer == '/';
    m_token = Token::Start;
    return true;
}

bool ByteXmlReader::readEndTag() {
    ++m_at;  // the '/'
    QByteArrayView name, localName;
    if (!readName(name, localName)) return m_at >= m_end ? endEarly() : false;
    skipSpace();
    if (m_at >= m_end) return endEarly();
    if (*m_at != '>' || m_open.empty() || !same(m_open.back(), name)) return false;
    ++m_at;
    m_name = name;
    m_localName = localName;
    m_open.pop_back();
    m_token = Token::End;
    return true;
}

bool ByteXmlReader::next() {
    if (m_failed) return false;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_open.pop_back();
        m_token = Token::End;
        return true;
    }
    for (;;) {
        if (m_at >= m_end) {
            m_token = Token::None;
            if (!m_open.empty() || !m_sawRoot) return endEarly();
            return false;
        }
        if (*m_at == '<') {
            ++m_at;
            if (m_at >= m_end) return endEarly();
            if (*m_at == '/') return readEndTag() || fail();
            if (*m_at == '!' || *m_at == '?') return fail();
            return readStartTag() || fail();
        }
        const char* start = m_at;
        const char* open = static_cast<const char*>(std::memchr(m_at, '<', m_end - m_at));
        m_at = open ? open : m_end;
        m_text = QByteArrayView(start, m_at - start);
        // A text cut by the end of a piece is not whole; what follows says whether it matters.
        if (!open && !m_open.empty()) return endEarly();
        if (!textIsSound(m_text, m_open.empty())) return fail();
        if (m_open.empty()) continue;
        m_token = Token::Text;
        return true;
    }
}

void ByteXmlReader::appendText(QByteArray& out) const {
    const char* at = m_text.data();
    const char* end = at + m_text.size();
    while (at < end) {
        const char* stop = at;
        while (stop < end && *stop != '&' && *stop != '\r') ++stop;
        out.append(at, stop - at);
        at = stop;
        if (at >= end) break;
        if (*at == '\r') {
            out += '\n';
            ++at;
            if (at < end && *at == '\n') ++at;
        } else {
            std::uint32_t c = 0;
            readReference(at, end, c);  // checked when the text was read
            appendUtf8(out, c);
        }
    }
}

bool ByteXmlReader::skipElement() {
    const std::size_t depth = m_open.size();
    while (next()) {
        if (isEnd() && m_open.size() == depth - 1) return true;
    }
    return fail();
}
