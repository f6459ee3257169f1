#include "data/access/StatementParser.h"

#include <algorithm>

namespace {

// A cursor that walks a text from its end towards its start.
class BackwardReader {
public:
    explicit BackwardReader(const QString& text) : m_text(text), m_pos(text.size() - 1) {}

    qsizetype pos() const { return m_pos; }
    bool atStart() const { return m_pos < 0; }
    QChar peek() const { return m_pos >= 0 ? m_text.at(m_pos) : QChar(); }

    void skipBlanks() {
        while (m_pos >= 0 && m_text.at(m_pos).isSpace()) --m_pos;
    }
    bool take(QChar c) {
        if (m_pos < 0 || m_text.at(m_pos) != c) return false;
        --m_pos;
        return true;
    }
    // The word that ends here, when it is `keyword` (any case) and stands alone.
    bool takeKeyword(QLatin1String keyword) {
        const qsizetype start = m_pos - keyword.size() + 1;
        if (start < 0) return false;
        if (QStringView(m_text).mid(start, keyword.size()).compare(keyword, Qt::CaseInsensitive))
            return false;
        if (start > 0 && m_text.at(start - 1).isLetterOrNumber()) return false;
        m_pos = start - 1;
        return true;
    }

    // "[name]" ending here; the name holds neither bracket.
    bool takeBracketedName(QString& name) {
        if (!take(QLatin1Char(']'))) return false;
        const qsizetype close = m_pos + 1;
        const qsizetype open = m_text.lastIndexOf(QLatin1Char('['), m_pos);
        if (open < 0) return false;
        const QStringView inner = QStringView(m_text).mid(open + 1, close - open - 1);
        if (inner.contains(QLatin1Char(']'))) return false;
        name = inner.toString();
        m_pos = open - 1;
        return true;
    }

    // 'value' ending here. Read backwards, a quote preceded by another quote is a doubled quote
    // inside the value; a lone quote opens it. The doubling rule reads the same either way, so
    // this finds the same values as reading forwards would.
    bool takeQuotedValue(QString& value) {
        if (!take(QLatin1Char('\''))) return false;
        const qsizetype last = m_pos;  // the last character inside the quotes
        bool doubled = false;
        while (m_pos >= 0) {
            if (m_text.at(m_pos) != QLatin1Char('\'')) {
                --m_pos;
            } else if (m_pos > 0 && m_text.at(m_pos - 1) == QLatin1Char('\'')) {
                doubled = true;
                m_pos -= 2;
            } else {
                value = m_text.mid(m_pos + 1, last - m_pos);
                if (doubled) value.replace(QLatin1String("''"), QLatin1String("'"));
                --m_pos;
                return true;
            }
        }
        return false;  // no opening quote
    }

    void moveTo(qsizetype pos) { m_pos = pos; }
    QString before() const { return m_text.left(m_pos + 1); }

private:
    const QString& m_text;
    qsizetype m_pos;
};

bool typeOfWord(QStringView word, ColumnType& type) {
    const QStringView trimmed = word.trimmed();
    if (trimmed.isEmpty()) {
        type = ColumnType::Untyped;
    } else if (!trimmed.compare(QLatin1String("TEXT"), Qt::CaseInsensitive)) {
        type = ColumnType::Text;
    } else if (!trimmed.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive)) {
        type = ColumnType::Integer;
    } else if (!trimmed.compare(QLatin1String("REAL"), Qt::CaseInsensitive)) {
        type = ColumnType::Real;
    } else if (!trimmed.compare(QLatin1String("DATE"), Qt::CaseInsensitive)) {
        type = ColumnType::Date;
    } else if (!trimmed.compare(QLatin1String("DATETIME"), Qt::CaseInsensitive)) {
        type = ColumnType::DateTime;
    } else {
        return false;
    }
    return true;
}

// "KEYWORD1 KEYWORD2 " at the start of `text`; `rest` is what follows.
bool takeLeadingKeywords(const QString& text, QLatin1String first, QLatin1String second,
                         QString& rest) {
    qsizetype pos = 0;
    for (QLatin1String keyword : {first, second}) {
        if (QStringView(text).mid(pos, keyword.size()).compare(keyword, Qt::CaseInsensitive))
            return false;
        pos += keyword.size();
        if (pos >= text.size() || !text.at(pos).isSpace()) return false;
        while (pos < text.size() && text.at(pos).isSpace()) ++pos;
    }
    rest = text.mid(pos);
    return true;
}

// CREATE TABLE name(definitions)
ParsedStatement parseCreateTable(const QString& rest) {
    ParsedStatement result;
    BackwardReader reader(rest);
    if (!reader.take(QLatin1Char(')'))) return {};
    for (;;) {
        // The type word stands between the name's "]" and the separator.
        const qsizetype wordEnd = reader.pos();
        const qsizetype close = rest.lastIndexOf(QLatin1Char(']'), std::max<qsizetype>(wordEnd, 0));
        if (wordEnd < 0 || close < 0) return {};
        ColumnDefinition definition;
        if (!typeOfWord(QStringView(rest).mid(close + 1, wordEnd - close), definition.type))
            return {};
        reader.moveTo(close);
        if (!reader.takeBracketedName(definition.name)) return {};
        result.columns.push_back(definition);
        reader.skipBlanks();
        if (reader.take(QLatin1Char(','))) {
            reader.skipBlanks();
            continue;
        }
        if (reader.take(QLatin1Char('('))) break;
        return {};
    }
    std::reverse(result.columns.begin(), result.columns.end());
    result.table = reader.before().trimmed();
    if (result.table.isEmpty()) return {};
    result.kind = ParsedStatement::Kind::CreateTable;
    return result;
}

// INSERT INTO name (names) VALUES (values)
ParsedStatement parseInsert(const QString& rest) {
    ParsedStatement result;
    BackwardReader reader(rest);
    if (!reader.take(QLatin1Char(')'))) return {};
    for (;;) {
        reader.skipBlanks();
        QString value;
        if (!reader.takeQuotedValue(value)) return {};
        result.values.prepend(value);
        reader.skipBlanks();
        if (reader.take(QLatin1Char(','))) continue;
        if (reader.take(QLatin1Char('('))) break;
        return {};
    }
    reader.skipBlanks();
    if (!reader.takeKeyword(QLatin1String("VALUES"))) return {};
    reader.skipBlanks();
    if (!reader.take(QLatin1Char(')'))) return {};
    for (;;) {
        reader.skipBlanks();
        QString name;
        if (!reader.takeBracketedName(name)) return {};
        result.insertColumns.prepend(name);
        reader.skipBlanks();
        if (reader.take(QLatin1Char(','))) continue;
        if (reader.take(QLatin1Char('('))) break;
        return {};
    }
    if (result.insertColumns.size() != result.values.size()) return {};
    result.table = reader.before().trimmed();
    if (result.table.isEmpty()) return {};
    result.kind = ParsedStatement::Kind::Insert;
    return result;
}

}  // namespace

ParsedStatement parseStatement(const QString& text) {
    const QString trimmed = text.trimmed();
    QString rest;
    if (takeLeadingKeywords(trimmed, QLatin1String("CREATE"), QLatin1String("TABLE"), rest)) {
        return parseCreateTable(rest);
    }
    if (takeLeadingKeywords(trimmed, QLatin1String("INSERT"), QLatin1String("INTO"), rest)) {
        return parseInsert(rest);
    }
    return {};
}

namespace {

// Values are mostly a few characters long: a plain loop beats a call into a search routine.
qsizetype nextQuote(QStringView text, qsizetype from) {
    const char16_t* data = text.utf16();
    for (qsizetype i = from; i < text.size(); ++i) {
        if (data[i] == u'\'') return i;
    }
    return -1;
}

}  // namespace

bool parseValueList(QStringView text, std::vector<QStringView>& values, QString& unquoted) {
    values.clear();
    unquoted.resize(0);  // keeps its buffer for the next row
    // Views into `unquoted` must stay valid while it grows: it never needs more than the text.
    unquoted.reserve(text.size());
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && text[i].isSpace()) ++i;
    };
    skipBlanks();
    if (i >= text.size() || text[i] != QLatin1Char('(')) return false;
    ++i;
    for (;;) {
        skipBlanks();
        if (i >= text.size() || text[i] != QLatin1Char('\'')) return false;
        ++i;
        qsizetype quote = nextQuote(text, i);
        if (quote < 0) return false;
        if (!(quote + 1 < text.size() && text[quote + 1] == QLatin1Char('\''))) {
            // Most values hold no quote: a view of the statement itself.
            values.push_back(text.mid(i, quote - i));
            i = quote + 1;
        } else {
            const qsizetype start = unquoted.size();
            for (;;) {
                unquoted += text.mid(i, quote - i);
                i = quote + 1;
                if (i < text.size() && text[i] == QLatin1Char('\'')) {
                    unquoted += QLatin1Char('\'');  // a doubled quote inside the value
                    ++i;
                    quote = nextQuote(text, i);
                    if (quote < 0) return false;
                    continue;
                }
                break;
            }
            values.push_back(QStringView(unquoted).mid(start));
        }
        skipBlanks();
        if (i < text.size() && text[i] == QLatin1Char(',')) {
            ++i;
            continue;
        }
        if (i < text.size() && text[i] == QLatin1Char(')')) {
            ++i;
            break;
        }
        return false;
    }
    skipBlanks();
    return i == text.size();
}
