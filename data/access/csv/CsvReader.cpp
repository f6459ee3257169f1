#include "data/access/csv/CsvReader.h"

#include <QDate>
#include <QFile>
#include <QStringDecoder>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <deque>
#include <string>
#include <string_view>
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
// The delimiter is found from the first lines, as far as this.
constexpr qsizetype kDialectSampleBytes = 64 * 1024;

CsvSettings& overrides() {
    static CsvSettings settings;
    return settings;
}
CsvSettings& lastSettings() {
    static CsvSettings settings;
    return settings;
}

// Splits UTF-8 text into rows of fields (RFC 4180, leniently: text after a closing quote joins
// the field). Fields are views into the text, or into the row's own copies where doubled quotes
// were undone. Working on the bytes keeps the file in memory once, and only text cells become
// QStrings.
class Tokenizer {
public:
    enum class Status { Row, End, UnclosedQuote, TooLong };

    Tokenizer(std::string_view text, char delimiter) : m_text(text), m_delimiter(delimiter) {}

    // A row keeps at most kKeptFields fields (a wider table is refused anyway); fieldCount()
    // tells how many it had, so that one huge line costs no memory in proportion.
    static constexpr std::size_t kKeptFields = kMaxColumns + 1;

    Status nextRow(std::vector<std::string_view>& fields) {
        fields.clear();
        m_copies.clear();
        m_fieldCount = 0;
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
                    keep(fields, {});
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
    std::int64_t fieldCount() const { return m_fieldCount; }

private:
    static bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

    void keep(std::vector<std::string_view>& fields, std::string_view field) {
        ++m_fieldCount;
        if (fields.size() < kKeptFields) fields.push_back(field);
    }

    void skipLineEnd() {
        if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n') {
            ++m_pos;
        }
        ++m_pos;
        ++m_line;
    }

    // Characters, not bytes, count against the limit; only a long field is counted.
    static bool tooLong(std::string_view field) {
        if (field.size() <= static_cast<std::size_t>(kMaxFieldChars)) return false;
        qsizetype characters = 0;
        for (const char c : field) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return characters > kMaxFieldChars;
    }

    // Up to the next delimiter or line end, from m_pos.
    std::size_t endOfPlainText() const {
        std::size_t end = m_pos;
        while (end < m_text.size()) {
            const char c = m_text[end];
            if (c == m_delimiter || c == '\n' || c == '\r') break;
            ++end;
        }
        return end;
    }

    // Reads up to the delimiter or line end after the field; m_pos stops there.
    Status readField(std::vector<std::string_view>& fields) {
        if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
            const std::size_t start = m_pos;
            m_pos = endOfPlainText();
            const std::string_view field = m_text.substr(start, m_pos - start);
            if (tooLong(field)) return Status::TooLong;
            keep(fields, field);
            return Status::Row;
        }
        // Quoted: up to the closing quote, a doubled quote being one quote.
        const qint64 openedOn = m_line;
        ++m_pos;
        const std::size_t contentStart = m_pos;
        bool copied = false;
        std::string copy;
        for (;;) {
            const std::size_t quote = m_text.find('"', m_pos);
            if (quote == std::string_view::npos) {
                m_rowLine = openedOn;
                return Status::UnclosedQuote;
            }
            m_line += lineBreaksIn(m_text.substr(m_pos, quote - m_pos));
            if (quote + 1 < m_text.size() && m_text[quote + 1] == '"') {
                if (!copied)
                    copy.assign(m_text.substr(contentStart, quote + 1 - contentStart));
                else
                    copy.append(m_text.substr(m_pos, quote + 1 - m_pos));
                copied = true;
                m_pos = quote + 2;
                if (tooLong(copy)) return Status::TooLong;
                continue;
            }
            if (copied) copy.append(m_text.substr(m_pos, quote - m_pos));
            const std::size_t contentEnd = quote;
            m_pos = quote + 1;
            // Anything up to the delimiter after the closing quote joins the field.
            const std::size_t restStart = m_pos;
            m_pos = endOfPlainText();
            if (m_pos > restStart) {
                if (!copied) copy.assign(m_text.substr(contentStart, contentEnd - contentStart));
                copy.append(m_text.substr(restStart, m_pos - restStart));
                copied = true;
            }
            const std::string_view field =
                copied ? std::string_view(m_copies.emplace_back(std::move(copy)))
                       : m_text.substr(contentStart, contentEnd - contentStart);
            if (tooLong(field)) return Status::TooLong;
            keep(fields, field);
            return Status::Row;
        }
    }

    static qint64 lineBreaksIn(std::string_view part) {
        qint64 breaks = 0;
        for (std::size_t i = 0; i < part.size(); ++i) {
            if (part[i] == '\n' ||
                (part[i] == '\r' && (i + 1 >= part.size() || part[i + 1] != '\n'))) {
                ++breaks;
            }
        }
        return breaks;
    }

    std::string_view m_text;
    char m_delimiter;
    std::size_t m_pos = 0;
    qint64 m_line = 1, m_rowLine = 1;
    std::int64_t m_fieldCount = 0;
    std::deque<std::string> m_copies;  // a deque: its strings stay where the views point
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

QString textOf(std::string_view field) {
    return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

// A plain number: "-"? digits (no leading zero but "0" itself), then `separator` and digits,
// then an exponent. `hasSeparator` tells whether the separator was used.
bool isNumber(std::string_view s, char separator, bool& hasSeparator) {
    hasSeparator = false;
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-') ++i;
    const std::size_t intStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && s[intStart] == '0')) return false;
    if (i < s.size() && s[i] == separator) {
        hasSeparator = true;
        const std::size_t fracStart = ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == fracStart) return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t expStart = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == expStart) return false;
    }
    return i == s.size() && intDigits <= kMaxDigits;
}

// A text isNumber() accepted, as a double.
double toNumber(std::string_view s, bool decimalComma) {
    double value = 0;
    if (!decimalComma) {
        std::from_chars(s.data(), s.data() + s.size(), value);
        return value;
    }
    std::string dotted(s);
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    std::from_chars(dotted.data(), dotted.data() + dotted.size(), value);
    return value;
}

// The number written by `count` digits from `at`, all of which isDigit() accepted.
int digitsValue(std::string_view s, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (s[i] - '0');
    return value;
}

// A time "14:30", "14:30:00" or "14:30:00.5" (up to milliseconds), as milliseconds.
bool parseTime(std::string_view s, int& msecs) {
    const auto digitsAt = [&](std::size_t at, std::size_t count) {
        if (at + count > s.size()) return false;
        for (std::size_t i = at; i < at + count; ++i) {
            if (!isDigit(s[i])) return false;
        }
        return true;
    };
    if (!digitsAt(0, 2) || s.size() < 5 || s[2] != ':' || !digitsAt(3, 2)) return false;
    int seconds = 0, millis = 0;
    if (s.size() > 5) {
        if (s[5] != ':' || !digitsAt(6, 2)) return false;
        seconds = digitsValue(s, 6, 2);
        if (s.size() > 8) {
            const std::size_t fraction = s.size() - 9;
            if (s[8] != '.' || fraction < 1 || fraction > 3 || !digitsAt(9, fraction)) {
                return false;
            }
            millis = digitsValue(s, 9, fraction) * (fraction == 1 ? 100 : fraction == 2 ? 10 : 1);
        }
    }
    const int hours = digitsValue(s, 0, 2), minutes = digitsValue(s, 3, 2);
    if (!QTime::isValid(hours, minutes, seconds, millis)) return false;
    msecs = ((hours * 60 + minutes) * 60 + seconds) * 1000 + millis;
    return true;
}

// An ISO date, "2024-03-10", optionally with a time (parseTime()) after a blank or a "T": as
// days since dayZero(), the time as the fraction.
bool parseIsoDate(std::string_view s, double& days) {
    if (s.size() < 10 || s[4] != '-' || s[7] != '-') return false;
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isDigit(s[static_cast<std::size_t>(i)])) return false;
    }
    const int year = digitsValue(s, 0, 4), month = digitsValue(s, 5, 2), day = digitsValue(s, 8, 2);
    if (!QDate::isValid(year, month, day)) return false;
    static const qint64 dayZeroJulian = dayZero().toJulianDay();
    days = static_cast<double>(QDate(year, month, day).toJulianDay() - dayZeroJulian);
    if (s.size() == 10) return true;
    if (s[10] != ' ' && s[10] != 'T') return false;
    int msecs = 0;
    if (!parseTime(s.substr(11), msecs)) return false;
    days += msecs / 86400000.0;
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
    QByteArray text;  // UTF-8
    std::vector<QString> headings;
    std::vector<ColumnStats> columns;
    std::int32_t records = 0;
    std::int64_t widestRow = 0;  // set when a row has more fields than a table may have columns
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
    if (QStringDecoder::encodingForName(settings.encoding.constData()) == QStringConverter::Utf8) {
        bytes.remove(0, bomLength);
        if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
        parsed->text = std::move(bytes);
    } else {
        // Other encodings are turned into UTF-8 once; the rows are read from that.
        QString decoded = decoder.decode(QByteArrayView(bytes).sliced(bomLength));
        bytes = QByteArray();
        if (decoded.startsWith(QChar(0xFEFF))) decoded.remove(0, 1);
        parsed->text = decoded.toUtf8();
    }
    const std::string_view text(parsed->text.constData(),
                                static_cast<std::size_t>(parsed->text.size()));
    if (text.find('\0') != std::string_view::npos) {
        return fail(NativeError::Unreadable, QStringLiteral("Holds a NUL byte: not a text table"));
    }
    if (settings.delimiter.isNull()) {
        settings.delimiter =
            CsvDialect::detectDelimiter(QString::fromUtf8(parsed->text.left(kDialectSampleBytes)),
                                        path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive));
    }
    if (settings.delimiter.unicode() > 0x7F) {
        return fail(NativeError::Unreadable,
                    QStringLiteral("The delimiter must be an ASCII character"));
    }

    // First pass: the headings, the number of rows and what each column's cells can be.
    Tokenizer tokenizer(text, static_cast<char>(settings.delimiter.unicode()));
    std::vector<std::string_view> fields;
    std::int64_t dotDecimals = 0, commaDecimals = 0;
    bool heading = true;
    for (;;) {
        const Tokenizer::Status status = tokenizer.nextRow(fields);
        if (status == Tokenizer::Status::End) break;
        if (status == Tokenizer::Status::UnclosedQuote) {
            return fail(NativeError::Unreadable,
                        QStringLiteral("The quote opened on line %1 is never closed")
                            .arg(tokenizer.line()));
        }
        if (status == Tokenizer::Status::TooLong) {
            return fail(NativeError::Unreadable,
                        QStringLiteral("Line %1 holds a field of more than %2 characters")
                            .arg(tokenizer.line())
                            .arg(kMaxFieldChars));
        }
        if (tokenizer.fieldCount() > kMaxColumns) {
            // Too wide for a table: the rest need not be read, the checks refuse it.
            parsed->widestRow = tokenizer.fieldCount();
            heading = false;
            break;
        }
        if (heading) {
            for (const std::string_view field : fields) parsed->headings.push_back(textOf(field));
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
            const std::string_view field = fields[c];
            if (field.empty()) continue;
            ColumnStats& column = parsed->columns[c];
            column.any = true;
            bool dotUsed = false, commaUsed = false;
            if (column.dotNumbers && isNumber(field, '.', dotUsed)) {
                if (dotUsed) ++dotDecimals;
                if (!dotUsed && !fitsIntegerField(toNumber(field, false)))
                    column.wholeInt32 = false;
            } else {
                column.dotNumbers = false;
            }
            if (column.commaNumbers && isNumber(field, ',', commaUsed)) {
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
    if (parsed->widestRow > 0 || width > static_cast<std::size_t>(kMaxColumns)) {
        // Too wide for a table: the columns without cells, which the checks refuse.
        out = SheetTable();
        out.columnsInFile = parsed->widestRow;
        headings.resize(std::max<std::size_t>(width, kMaxColumns + 1));
        types.resize(headings.size(), FieldType::String);
        out.headings = std::move(headings);
        out.fieldTypes = std::move(types);
        return NativeError::None;
    }

    SheetTableBuilder builder;
    builder.declareColumns(std::move(headings));
    Tokenizer tokenizer(
        std::string_view(parsed->text.constData(), static_cast<std::size_t>(parsed->text.size())),
        static_cast<char>(m_settings.delimiter.unicode()));
    std::vector<std::string_view> fields;
    tokenizer.nextRow(fields);  // the headings
    std::int32_t row = 0;
    while (tokenizer.nextRow(fields) == Tokenizer::Status::Row) {
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const std::string_view field = fields[c];
            if (field.empty()) continue;
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
                    builder.addText(row, column, textOf(field));
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
