#include "data/access/Utf8RowWriter.h"

#include <cstring>

namespace {

// Encodes `text` as UTF-8 at `out`, at most three bytes for each UTF-16 unit; `escape` may write
// an ASCII character otherwise (it returns the new end, or nullptr to keep the character).
// Returns the new end.
template <typename Escape>
char* putUtf8(char* out, QStringView text, const char* badUnit, Escape escape) {
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t u = s[i++];
        if (u < 0x80) {
            if (char* escaped = escape(u, out)) {
                out = escaped;
            } else {
                *out++ = char(u);
            }
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (!QChar::isSurrogate(u)) {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && i < n && QChar::isLowSurrogate(s[i])) {
            const char32_t c = QChar::surrogateToUcs4(u, s[i++]);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else {
            for (const char* b = badUnit; *b; ++b) *out++ = *b;
        }
    }
    return out;
}

char* keepAscii(char16_t, char*) {
    return nullptr;
}

}  // namespace

struct CsvRowFormat {
    static constexpr char kSeparator = ',';
    static constexpr const char* kRowEnd = "\r\n";
    static constexpr bool kQuoteLoneEmptyField = true;

    static bool needsQuotes(QStringView text) {
        if (text.isEmpty()) return false;
        const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
        if (blank(text.front()) || blank(text.back())) return true;
        for (const QChar c : text) {
            if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') return true;
        }
        return false;
    }
    static char* put(char* out, QStringView text) {
        if (!needsQuotes(text)) return putUtf8(out, text, "?", keepAscii);
        *out++ = '"';
        out = putUtf8(out, text, "?", [](char16_t u, char* at) -> char* {
            if (u != u'"') return nullptr;
            at[0] = at[1] = '"';  // a quote inside is written twice
            return at + 2;
        });
        *out++ = '"';
        return out;
    }
};

struct EscapedTabRowFormat {
    static constexpr char kSeparator = '\t';
    static constexpr const char* kRowEnd = "\n";
    static constexpr bool kQuoteLoneEmptyField = false;

    static char* put(char* out, QStringView text) {
        return putUtf8(out, text, "\xEF\xBF\xBD", [](char16_t u, char* at) -> char* {
            char code;
            switch (u) {
                case u'\\':
                    code = '\\';
                    break;
                case u'\t':
                    code = 't';
                    break;
                case u'\r':
                    code = 'r';
                    break;
                case u'\n':
                    code = 'n';
                    break;
                default:
                    return nullptr;
            }
            at[0] = '\\';
            at[1] = code;
            return at + 2;
        });
    }
};

template <typename Format>
Utf8RowWriter<Format>::Utf8RowWriter(Sink sink)
    : m_sink(std::move(sink)), m_buffer(new char[kBufferSize]) {}

template <typename Format>
char* Utf8RowWriter<Format>::room(qsizetype bytes) {
    if (m_end + bytes > m_capacity) {
        flush();
        // One field longer than the buffer gets a buffer of its own size.
        if (bytes > m_capacity) {
            m_buffer.reset(new char[bytes]);
            m_capacity = bytes;
        }
    }
    return m_buffer.get() + m_end;
}

template <typename Format>
char* Utf8RowWriter<Format>::startField(qsizetype bytes) {
    char* out = room(bytes + 1);
    if (m_fieldsInRow++ > 0) *out++ = Format::kSeparator;
    return out;
}

template <typename Format>
void Utf8RowWriter<Format>::addField(QStringView text) {
    // Three bytes at most for a UTF-16 unit, and two quotes.
    char* out = startField(3 * text.size() + 2);
    char* end = Format::put(out, text);
    if (end != out) m_rowHasText = true;
    m_end = end - m_buffer.get();
}

template <typename Format>
void Utf8RowWriter<Format>::addPlainField(QLatin1String text) {
    char* out = startField(text.size());
    std::memcpy(out, text.data(), std::size_t(text.size()));
    if (!text.isEmpty()) m_rowHasText = true;
    m_end = out + text.size() - m_buffer.get();
}

template <typename Format>
bool Utf8RowWriter<Format>::endRow() {
    const bool loneEmpty = Format::kQuoteLoneEmptyField && m_fieldsInRow == 1 && !m_rowHasText;
    const qsizetype endLength = qsizetype(std::strlen(Format::kRowEnd));
    char* out = room(endLength + 2);
    // A row of one empty field would be a blank line, which readers skip.
    if (loneEmpty) {
        *out++ = '"';
        *out++ = '"';
    }
    std::memcpy(out, Format::kRowEnd, std::size_t(endLength));
    m_end = out + endLength - m_buffer.get();
    m_fieldsInRow = 0;
    m_rowHasText = false;
    return !m_failed;
}

template <typename Format>
bool Utf8RowWriter<Format>::flush() {
    if (!m_failed && m_end > 0) m_failed = !m_sink(m_buffer.get(), m_end);
    m_end = 0;
    return !m_failed;
}

template class Utf8RowWriter<CsvRowFormat>;
template class Utf8RowWriter<EscapedTabRowFormat>;
