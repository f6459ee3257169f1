#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <vector>

// Reads XML held in memory as UTF-8 bytes: names, attribute values and texts are handed out as
// spans of the bytes, with no conversion to UTF-16, which is most of the cost of reading a
// large sheet with QXmlStreamReader. It reads plain documents only and checks that they are
// well formed. A comment, CDATA, a processing instruction, a document type, another encoding,
// a named entity other than XML's own five, an entity reference in an attribute, many
// attributes, or any byte XML does not allow stop it as failed(): the caller then reads the part
// the thorough way, which tells a broken document from a merely unusual one.
// Names are read as written; localName() gives what follows the prefix.
class ByteXmlReader {
public:
    using TextBuffer = QByteArray;
    explicit ByteXmlReader(QByteArrayView xml);

    // The next start element, end element or text; false at the end of the document or when
    // reading stops (failed()).
    bool next();
    bool failed() const { return m_failed; }
    // The bytes ended inside the document, with nothing wrong before: a piece of a part.
    bool endedEarly() const { return m_failed && m_endedEarly; }

    bool isStart() const { return m_token == Token::Start; }
    bool isEnd() const { return m_token == Token::End; }
    bool isText() const { return m_token == Token::Text; }
    QByteArrayView localName() const { return m_localName; }
    // Compares short spans inline: a sheet compares a few for each of its millions of tags.
    static bool same(QByteArrayView a, QByteArrayView b) {
        if (a.size() != b.size()) return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] != b[i]) return false;
        }
        return true;
    }

    // Calls f(localName, value) for each attribute of the current start element; values are
    // raw (they hold no references).
    template <typename F>
    void forEachAttribute(F f) const {
        for (std::size_t i = 0; i < m_attributeCount; ++i) {
            f(m_attributes[i].localName, m_attributes[i].value);
        }
    }

    // Adds the current text with its references resolved and its line ends made "\n".
    void appendText(QByteArray& out) const;
    // Moves past the end of the current start element.
    bool skipElement();

private:
    enum class Token { None, Start, End, Text };
    struct Attribute {
        QByteArrayView name, localName, value;
    };
    static constexpr std::size_t kMaxAttributes = 16;

    bool readDeclaration();
    bool readStartTag();
    bool readEndTag();
    // A name at m_at, and what follows its prefix.
    bool readName(QByteArrayView& name, QByteArrayView& localName);
    bool readAttributes(char& closer);
    bool fail() {
        m_failed = true;
        return false;
    }
    bool endEarly() {
        m_endedEarly = true;
        return fail();
    }
    void skipSpace() {
        while (m_at < m_end && (*m_at == ' ' || *m_at == '\n' || *m_at == '\t' || *m_at == '\r'))
            ++m_at;
    }

    const char* m_at;
    const char* m_end;
    Token m_token = Token::None;
    QByteArrayView m_name, m_localName;
    QByteArrayView m_text;
    Attribute m_attributes[kMaxAttributes];
    std::size_t m_attributeCount = 0;
    std::vector<QByteArrayView> m_open;  // the elements we are inside, outermost first
    bool m_pendingEnd = false;           // an empty element's end comes next
    bool m_sawRoot = false;
    bool m_failed = false;
    bool m_endedEarly = false;
};
