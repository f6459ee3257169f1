#include "data/access/csv/CsvReader.h"

#include <QDate>
#include <QFile>
#include <QStringDecoder>
#include <QTime>
#include <charconv>
#include <deque>
#include <vector>

#include "data/access/FieldType.h"
#include "data/access/NativeError.h"
#include "data/access/PathNames.h"
#include "data/access/SheetTableBuilder.h"
#include "data/access/csv/CsvDialect.h"

namespace {

// A workbook's cell holds at most this many characters; a longer field is damage, not data.
constexpr qsizetype kMaxFieldChars = 32767;
constexpr std::int32_t kMaxRows = 1048576;  // the heading row included
// Digits a double holds exactly: a longer whole number (an account number) stays text. Digits
// after the separator are not counted: programs that write a double's every digit
// (5.0999999999999996447 for 5.1, 0.30000000000000004) still write a number.
constexpr int kMaxDigits = 15;

CsvSettings& overrides() {
    static CsvSettings settings;
    return settings;
}
CsvSettings& lastSettings() {
    static CsvSettings settings;
    return settings;
}

// Splits the decoded text into rows of fields (RFC 4180, leniently: text after a closing quote
// joins the field). Fields are views into the text, or into the row's own copies where doubled
// quotes were undone.
class Tokenizer {
public:
    enum class Status { Row, End, UnclosedQuote, TooLong };

    Tokenizer(QStringView text, QChar delimiter) : m_text(text), m_delimiter(delimiter) {}

    Status nextRow(std::vector<QStringView>& fields) {
        fields.clear();
        m_copies.clear();
        // Blank lines are skipped.
        while (m_pos < m_text.size() && isLineEnd(m_text[m_pos])) skipLineEnd();
        if (m_pos >= m_text.size()) return Status::End;
        m_rowLine = m_line;
        for (;;) {
            const Status status = readField(fields);
            if (status != Status::Row) return status;
            if (m_pos >= m_text.size()) return Status::Row;
            if (m_text[m_pos] == m_delimiter) {
                ++m_pos;
                if (m_pos >= m_text.size()) {  // a delimiter ends the file: one empty field more
                    fields.emplace_back();
                    return Status::Row;
                }
                continue;
            }
            skipLineEnd();
            return Status::Row;
        }
    }

    // The line (from 1) where the last row began, or where the unclosed quote opened.
    qint64 line() const { return m_rowLine; }

private:
    static bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }

    void skipLineEnd() {
        if (m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n') {
            ++m_pos;
        }
        ++m_pos;
        ++m_line;
    }

    // Reads up to the delimiter or line end after the field; m_pos stops there.
    Status readField(std::vector<QStringView>& fields) {
        const qsizetype start = m_pos;
        if (m_pos >= m_text.size() || m_text[m_pos] != u'"') {
            while (m_pos < m_text.size() && m_text[m_pos] != m_delimiter &&
                   !isLineEnd(m_text[m_pos])) {
                ++m_pos;
            }
            if (m_pos - start > kMaxFieldChars) return Status::TooLong;
            fields.push_back(m_text.mid(start, m_pos - start));
            return Status::Row;
        }
        // Quoted: up to the closing quote, a doubled quote being one quote.
        const qint64 openedOn = m_line;
        ++m_pos;
        const qsizetype contentStart = m_pos;
        bool copied = false;
        QString copy;
        for (;;) {
            const qsizetype quote = m_text.indexOf(u'"', m_pos);
            if (quote < 0) {
                m_rowLine = openedOn;
                return Status::UnclosedQuote;
            }
            m_line += lineBreaksIn(m_text.mid(m_pos, quote - m_pos));
            if (quote + 1 < m_text.size() && m_text[quote + 1] == u'"') {
                if (!copied)
                    copy = m_text.mid(contentStart, quote + 1 - contentStart).toString();
                else
                    copy += m_text.mid(m_pos, quote + 1 - m_pos);
                copied = true;
                m_pos = quote + 2;
            } else {
                if (copied) copy += m_text.mid(m_pos, quote - m_pos);
                const qsizetype contentEnd = quote;
                m_pos = quote + 1;
                // Anything up to the delimiter after the closing quote joins the field.
                const qsizetype restStart = m_pos;
                while (m_pos < m_text.size() && m_text[m_pos] != m_delimiter &&
                       !isLineEnd(m_text[m_pos])) {
                    ++m_pos;
                }
                if (m_pos > restStart) {
                    if (!copied)
                        copy = m_text.mid(contentStart, contentEnd - contentStart).toString();
                    copy += m_text.mid(restStart, m_pos - restStart);
                    copied = true;
                }
                const qsizetype length = copied ? copy.size() : contentEnd - contentStart;
                if (length > kMaxFieldChars) return Status::TooLong;
                if (copied) {
                    m_copies.push_back(std::move(copy));
                    fields.push_back(m_copies.back());
                } else {
                    fields.push_back(m_text.mid(contentStart, contentEnd - contentStart));
                }
                return Status::Row;
            }
            if (m_pos - contentStart > kMaxFieldChars) return Status::TooLong;
        }
    }

    static qint64 lineBreaksIn(QStringView part) {
        qint64 breaks = 0;
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] == u'\n' ||
                (part[i] == u'\r' && (i + 1 >= part.size() || part[i + 1] != u'\n'))) {
                ++breaks;
            }
        }
        return breaks;
    }

    QStringView m_text;
    QChar m_delimiter;
    qsizetype m_pos = 0;
    qint64 m_line = 1, m_rowLine = 1;
    std::deque<QString> m_copies;  // a deque: its strings stay where the views point
};

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A plain number: "-"? digits (no leading zero but "0" itself), then `separator` and digits,
// then an exponent. `hasSeparator` tells whether the separator was used.
bool isNumber(QStringView s, QChar separator, bool& hasSeparator) {
    hasSeparator = false;
    qsizetype i = 0;
    if (i < s.size() && s[i] == u'-') ++i;
    const qsizetype intStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && s[intStart] == u'0')) return false;
    if (i < s.size() && s[i] == separator) {
        hasSeparator = true;
        const qsizetype fracStart = ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == fracStart) return false;
    }
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
        const qsizetype expStart = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == expStart) return false;
    }
    return i == s.size() && intDigits <= kMaxDigits;
}

// A text isNumber() accepted, as a double: from_chars over its ASCII, which is many times faster
// than Qt's conversion (that also looks for "inf" and "nan").
double toNumber(QStringView s, bool decimalComma) {
    char ascii[64];
    if (s.size() >= static_cast<qsizetype>(sizeof ascii)) {
        return s.toString().replace(u',', u'.').toDouble();
    }
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char c = static_cast<char>(s[i].unicode());
        ascii[i] = decimalComma && c == ',' ? '.' : c;
    }
    double value = 0;
    std::from_chars(ascii, ascii + s.size(), value);
    return value;
}

// An ISO date, "2024-03-10", optionally with a time "14:30", "14:30:00" or "14:30:00.5" after a
// blank or a "T": as days since dayZero(), the time as the fraction.
bool parseIsoDate(QStringView s, double& days) {
    if (s.size() < 10 || s[4] != u'-' || s[7] != u'-') return false;
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isDigit(s[i])) return false;
    }
    const QDate date(s.mid(0, 4).toInt(), s.mid(5, 2).toInt(), s.mid(8, 2).toInt());
    if (!date.isValid()) return false;
    days = static_cast<double>(dayZero().daysTo(date));
    if (s.size() == 10) return true;
    if (s[10] != u' ' && s[10] != u'T') return false;
    const QStringView timeText = s.mid(11);
    QTime time;
    for (const QString& form :
         {QStringLiteral("HH:mm"), QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm:ss.z")}) {
        time = QTime::fromString(timeText.toString(), form);
        if (time.isValid()) break;
    }
    if (!time.isValid()) return false;
    days += time.msecsSinceStartOfDay() / 86400000.0;
    return true;
}

// What the cells of one column can be, learned from the whole file.
struct ColumnStats {
    bool any = false;
    bool dotNumbers = true, commaNumbers = true;
    bool dates = true, withTime = false;
    bool wholeInt32 = true;
};

}  // namespace

void setCsvOverrides(const CsvSettings& settings) {
    overrides() = settings;
}

CsvSettings lastCsvSettings() {
    return lastSettings();
}

bool isCsvPath(const QString& path) {
    for (const char* suffix : {".csv", ".tsv", ".txt"}) {
        if (path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) return true;
    }
    return false;
}

struct CsvReader::Parsed {
    QString text;
    std::vector<QString> headings;
    std::vector<ColumnStats> columns;
    std::int32_t records = 0;
};

CsvReader::CsvReader() = default;
CsvReader::~CsvReader() = default;

int CsvReader::fail(int code, const QString& cause) {
    m_path.clear();
    m_tableName.clear();
    m_parsed.reset();
    m_cause = cause;
    return code;
}

int CsvReader::open(const QString& path) {
    fail(NativeError::None, {});
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(NativeError::Unreadable, file.errorString());
    }
    QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) return fail(NativeError::Unreadable, QStringLiteral("The file is empty"));

    CsvSettings settings = overrides();
    int bomLength = 0;
    const QByteArray found = CsvDialect::detectEncoding(bytes, bomLength);
    if (settings.encoding.isEmpty()) settings.encoding = found;
    QStringDecoder decoder(settings.encoding.constData());
    if (!decoder.isValid()) {
        return fail(NativeError::Unreadable,
                    QStringLiteral("Unknown encoding ") + QString::fromLatin1(settings.encoding));
    }
    auto parsed = std::make_unique<Parsed>();
    parsed->text = decoder.decode(QByteArrayView(bytes).sliced(bomLength));
    bytes = QByteArray();  // the text is all that is read from now on
    if (parsed->text.startsWith(QChar(0xFEFF))) parsed->text.remove(0, 1);
    if (parsed->text.contains(QChar(0))) {
        return fail(NativeError::Unreadable, QStringLiteral("Holds a NUL byte: not a text table"));
    }
    if (settings.delimiter.isNull()) {
        settings.delimiter = CsvDialect::detectDelimiter(
            parsed->text, path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive));
    }

    // First pass: the headings, the number of rows and what each column's cells can be.
    Tokenizer tokenizer(parsed->text, settings.delimiter);
    std::vector<QStringView> fields;
    std::int64_t dotDecimals = 0, commaDecimals = 0;
    bool heading = true;
    for (;;) {
        const Tokenizer::Status status = tokenizer.nextRow(fields);
        if (status == Tokenizer::Status::End) break;
        const QString line = QString::number(tokenizer.line());
        if (status == Tokenizer::Status::UnclosedQuote) {
            return fail(NativeError::Unreadable, QStringLiteral("The quote opened on line ") +
                                                     line + QStringLiteral(" is never closed"));
        }
        if (status == Tokenizer::Status::TooLong) {
            return fail(NativeError::Unreadable,
                        QStringLiteral("Line ") + line +
                            QStringLiteral(" holds a field of more than ") +
                            QString::number(kMaxFieldChars) + QStringLiteral(" characters"));
        }
        if (heading) {
            for (const QStringView field : fields) parsed->headings.push_back(field.toString());
            heading = false;
            continue;
        }
        if (++parsed->records >= kMaxRows) {
            return fail(NativeError::Unreadable, QStringLiteral("The table has more than ") +
                                                     QString::number(kMaxRows) +
                                                     QStringLiteral(" rows"));
        }
        if (fields.size() > parsed->columns.size()) parsed->columns.resize(fields.size());
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const QStringView field = fields[c];
            if (field.isEmpty()) continue;
            ColumnStats& column = parsed->columns[c];
            column.any = true;
            bool dotUsed = false, commaUsed = false;
            if (column.dotNumbers && isNumber(field, u'.', dotUsed)) {
                if (dotUsed) ++dotDecimals;
                if (!dotUsed && !fitsIntegerField(toNumber(field, false)))
                    column.wholeInt32 = false;
            } else {
                column.dotNumbers = false;
            }
            if (column.commaNumbers && isNumber(field, u',', commaUsed)) {
                if (commaUsed) ++commaDecimals;
                if (!commaUsed && !fitsIntegerField(toNumber(field, false))) {
                    column.wholeInt32 = false;
                }
            } else {
                column.commaNumbers = false;
            }
            if (dotUsed || commaUsed) column.wholeInt32 = false;
            double days = 0;
            if (column.dates && parseIsoDate(field, days)) {
                if (days != static_cast<double>(static_cast<std::int64_t>(days))) {
                    column.withTime = true;
                }
            } else {
                column.dates = false;
            }
        }
    }
    if (heading) return fail(NativeError::Unreadable, QStringLiteral("The file holds no rows"));
    // The comma is the decimal separator only where it cannot be the delimiter and the file's
    // numbers use it and never the dot.
    settings.decimalComma = settings.delimiter != u',' && commaDecimals > 0 && dotDecimals == 0;
    if (parsed->columns.size() < parsed->headings.size()) {
        parsed->columns.resize(parsed->headings.size());
    }
    m_path = path;
    m_tableName = PathNames::tableName(path);
    m_settings = settings;
    lastSettings() = settings;
    m_parsed = std::move(parsed);
    return NativeError::None;
}

QStringList CsvReader::tableNames() const {
    return m_path.isEmpty() ? QStringList() : QStringList{m_tableName};
}

int CsvReader::readTable(const QString& name, const CellTextFormat& format, SheetTable& out) {
    if (m_path.isEmpty()) return NativeError::NotConnected;
    if (name != m_tableName) return NativeError::TableNotFound;
    if (!m_parsed) {
        const QString path = m_path;
        const int code = open(path);
        if (code != NativeError::None) return code;
    }
    const std::unique_ptr<Parsed> parsed = std::move(m_parsed);
    const bool comma = m_settings.decimalComma;
    const std::size_t width = parsed->columns.size();

    std::vector<QString> headings(width);
    std::vector<FieldType> types(width, FieldType::String);
    for (std::size_t c = 0; c < width; ++c) {
        const auto column = static_cast<std::int32_t>(c);
        headings[c] = c < parsed->headings.size() && !parsed->headings[c].isEmpty()
                          ? parsed->headings[c]
                          : emptyHeadingName(column);
        const ColumnStats& stats = parsed->columns[c];
        if (!stats.any) continue;
        if (comma ? stats.commaNumbers : stats.dotNumbers) {
            types[c] = stats.wholeInt32 ? FieldType::Integer : FieldType::Float;
        } else if (stats.dates) {
            types[c] = stats.withTime ? FieldType::DateTime : FieldType::Date;
        }
    }
    if (width > static_cast<std::size_t>(kMaxColumns)) {
        // Too wide for a table: the columns without cells, which the checks refuse.
        out = SheetTable();
        out.headings = std::move(headings);
        out.fieldTypes = std::move(types);
        return NativeError::None;
    }

    SheetTableBuilder builder;
    builder.declareColumns(std::move(headings));
    Tokenizer tokenizer(parsed->text, m_settings.delimiter);
    std::vector<QStringView> fields;
    tokenizer.nextRow(fields);  // the headings
    std::int32_t row = 0;
    while (tokenizer.nextRow(fields) == Tokenizer::Status::Row) {
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const QStringView field = fields[c];
            if (field.isEmpty()) continue;
            const auto column = static_cast<std::int32_t>(c);
            switch (types[c]) {
                case FieldType::Integer:
                case FieldType::Float:
                    builder.addNumber(row, column, toNumber(field, comma));
                    break;
                case FieldType::Date:
                case FieldType::DateTime: {
                    double days = 0;
                    parseIsoDate(field, days);
                    builder.addDate(row, column, days);
                    break;
                }
                default:
                    builder.addText(row, column, field.toString());
                    break;
            }
        }
        ++row;
    }
    builder.declareFieldTypes(std::move(types));
    builder.declareRowCount(row);
    out = builder.finish(format);
    return NativeError::None;
}
