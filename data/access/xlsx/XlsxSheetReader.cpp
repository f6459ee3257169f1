#include "data/access/xlsx/XlsxSheetReader.h"

#include <QThread>
#include <algorithm>
#include <deque>
#include <future>

#include "data/access/ByteXmlReader.h"
#include "data/access/DateFormats.h"
#include "data/access/NativeError.h"
#include "data/access/XmlValues.h"
#include "data/access/xlsx/XlsxParts.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::int32_t kRows = 1048576;
constexpr std::int32_t kColumns = 16384;

enum class CellType { Number, Shared, Text, Inline, Boolean, Error, Date };

// Names and values come as UTF-16 from QXmlStreamReader, as UTF-8 bytes from ByteXmlReader.
bool is(QStringView name, QLatin1StringView what) {
    return name == what;
}
bool is(QByteArrayView name, QLatin1StringView what) {
    return ByteXmlReader::same(name, QByteArrayView(what.data(), what.size()));
}
std::uint32_t unit(QStringView text, qsizetype i) {
    return text[i].unicode();
}
std::uint32_t unit(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text[i]);
}
QString toText(const QString& text) {
    return QString(text.constData(), text.size());  // the parser's buffer keeps its memory
}
QString toText(const QByteArray& utf8) {
    return QString::fromUtf8(utf8);
}

template <typename View>
CellType cellType(View t) {
    if (t.isEmpty() || is(t, "n"_L1)) return CellType::Number;
    if (is(t, "s"_L1)) return CellType::Shared;
    if (is(t, "str"_L1)) return CellType::Text;
    if (is(t, "inlineStr"_L1)) return CellType::Inline;
    if (is(t, "b"_L1)) return CellType::Boolean;
    if (is(t, "e"_L1)) return CellType::Error;
    if (is(t, "d"_L1)) return CellType::Date;
    return CellType::Number;
}

// "AB12" as 0-based column and row; the row may be left out ("AB").
template <typename View>
bool parseReference(View ref, std::int32_t& row, std::int32_t& column, bool& hasRow) {
    qsizetype i = 0;
    std::int32_t col = 0;
    for (; i < ref.size() && i < 4; ++i) {
        std::uint32_t c = unit(ref, i);
        if (c >= 'a' && c <= 'z') c = c - 'a' + 'A';
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + static_cast<std::int32_t>(c - 'A' + 1);
    }
    if (i == 0 || col > kColumns) return false;
    std::int32_t r = 0;
    const qsizetype digits = i;
    for (; i < ref.size() && i - digits < 8; ++i) {
        const std::uint32_t c = unit(ref, i);
        if (c < '0' || c > '9') return false;
        r = r * 10 + static_cast<std::int32_t>(c - '0');
    }
    if (i != ref.size()) return false;
    hasRow = i > digits;
    if (hasRow && (r < 1 || r > kRows)) return false;
    column = col - 1;
    row = r - 1;
    return true;
}

// Reads rows and cells from `Xml` (XmlPartReader or ByteXmlReader) into a sink: the table's
// builder, or a CellRecorder when a piece of the sheet is read beside others.
template <typename Xml, typename Sink>
class SheetParser {
public:
    SheetParser(Xml& xml, const XlsxSheetContext& context, Sink& builder)
        : m_xml(xml), m_context(context), m_builder(builder) {}

    // For a piece of a sheet that starts at a row boundary: rows without a number count on
    // from a row known only once the pieces before are read.
    void startUnplaced() {
        m_row = -1;
        setPlaced(false);
    }
    std::int32_t lastRow() const { return m_row; }
    bool placed() const { return m_placed; }

    int parse() {
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                const auto name = m_xml.localName();
                if (is(name, "c"_L1)) {
                    if (!cell()) return NativeError::Unreadable;
                } else if (is(name, "row"_L1)) {
                    if (!startRow()) return NativeError::Unreadable;
                }
            } else if (m_xml.isEnd() && is(m_xml.localName(), "sheetData"_L1)) {
                return NativeError::None;  // what follows holds no cells
            }
        }
        return m_xml.failed() ? NativeError::Unreadable : NativeError::None;
    }

private:
    bool startRow() {
        std::int32_t row = m_row + 1;
        bool ok = true;
        m_xml.forEachAttribute([&](auto name, auto value) {
            if (!ok || !is(name, "r"_L1)) return;
            if (!XmlValues::toIndex(value, row) || row < 1 || row > kRows) {
                ok = false;
                return;
            }
            --row;
            if (!m_placed) setPlaced(true);
        });
        if (!ok || (m_placed && row >= kRows)) return false;
        m_row = row;
        m_nextColumn = 0;
        return true;
    }

    bool cell() {
        std::int32_t row = m_row < 0 ? 0 : m_row, column = m_nextColumn;
        CellType type = CellType::Number;
        bool isDate = false;
        bool ok = true;
        m_xml.forEachAttribute([&](auto name, auto value) {
            if (!ok) return;
            if (is(name, "r"_L1)) {
                bool hasRow = false;
                std::int32_t refRow = 0;
                if (!parseReference(value, refRow, column, hasRow)) {
                    ok = false;
                } else if (hasRow) {
                    row = refRow;
                    if (!m_placed) setPlaced(true);
                }
            } else if (is(name, "t"_L1)) {
                type = cellType(value);
            } else if (is(name, "s"_L1)) {
                std::int32_t style = 0;
                if (XmlValues::toIndex(value, style) &&
                    static_cast<std::size_t>(style) < m_context.dateStyles.size()) {
                    isDate = m_context.dateStyles[static_cast<std::size_t>(style)];
                }
            }
        });
        if (!ok || column >= kColumns) return false;
        m_row = row;
        m_nextColumn = column + 1;

        bool hasValue = false, hasInline = false;
        int depth = 1;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                const auto name = m_xml.localName();
                if (is(name, "v"_L1) && depth == 1) {
                    if (!readValue()) return false;
                    hasValue = true;
                } else if (is(name, "is"_L1) && depth == 1) {
                    if (!readInline()) return false;
                    hasInline = true;
                } else if (!m_xml.skipElement()) {
                    return false;
                }
            } else if (m_xml.isEnd()) {
                if (--depth == 0) break;
            }
        }
        if (depth != 0) return false;
        if (type == CellType::Inline && hasInline) {
            QString text = toText(m_inline);
            XlsxParts::decodeEscapes(text);
            m_builder.addText(row, column, std::move(text));
            return true;
        }
        if (!hasValue) return true;  // a cell with a format only, or a formula never computed
        return addValue(row, column, type, isDate);
    }

    // The text of <v> into m_value, kept in one buffer so that no cell allocates for it.
    bool readValue() {
        m_value.truncate(0);
        while (m_xml.next()) {
            if (m_xml.isText()) {
                m_xml.appendText(m_value);
            } else if (m_xml.isEnd()) {
                return true;
            } else if (m_xml.isStart()) {
                return false;
            }
        }
        return false;
    }

    // The runs of <is> joined, phonetic guides left out.
    bool readInline() {
        m_inline.truncate(0);
        int depth = 1, phonetic = 0;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                ++depth;
                if (is(m_xml.localName(), "rPh"_L1)) ++phonetic;
            } else if (m_xml.isEnd()) {
                if (is(m_xml.localName(), "rPh"_L1) && phonetic > 0) --phonetic;
                if (--depth == 0) return true;
            } else if (m_xml.isText() && phonetic == 0 && depth >= 2) {
                m_xml.appendText(m_inline);
            }
        }
        return false;
    }

    bool addValue(std::int32_t row, std::int32_t column, CellType type, bool isDate) {
        switch (type) {
            case CellType::Number: {
                double value = 0;
                if (!XmlValues::toDouble(m_value, value)) return false;
                double days = 0;
                if (isDate && DateFormats::serialToDays(value, m_context.dates1904, days)) {
                    m_builder.addDate(row, column, days);
                } else {
                    m_builder.addNumber(row, column, value);
                }
                return true;
            }
            case CellType::Shared: {
                std::int32_t index = 0;
                if (!XmlValues::toIndex(m_value, index) ||
                    static_cast<std::size_t>(index) >= m_context.sharedTextCount) {
                    return false;
                }
                m_builder.addSharedText(row, column, static_cast<std::uint32_t>(index));
                return true;
            }
            case CellType::Text:
            case CellType::Inline: {
                QString text = toText(m_value);
                XlsxParts::decodeEscapes(text);
                m_builder.addText(row, column, std::move(text));
                return true;
            }
            case CellType::Boolean: {
                const int value = booleanValue(m_value);
                if (value < 0) return false;
                m_builder.addBoolean(row, column, value == 1);
                return true;
            }
            case CellType::Error:
                m_builder.addError(row, column, toText(m_value).trimmed());
                return true;
            case CellType::Date: {
                double days = 0;
                if (!XmlValues::isoToDays(toText(m_value), days)) return false;
                m_builder.addDate(row, column, days);
                return true;
            }
        }
        return false;
    }

    void setPlaced(bool placed) {
        m_placed = placed;
        if constexpr (requires { m_builder.relative; }) m_builder.relative = !placed;
    }

    // 1 for true, 0 for false, -1 for neither.
    static int booleanValue(const QString& text) {
        const QStringView value = QStringView(text).trimmed();
        if (value == u"1" || value == u"true") return 1;
        if (value == u"0" || value == u"false") return 0;
        return -1;
    }
    static int booleanValue(const QByteArray& utf8) {
        const QByteArrayView value = QByteArrayView(utf8).trimmed();
        if (value == "1" || value == "true") return 1;
        if (value == "0" || value == "false") return 0;
        for (const char c : value) {
            // Blanks beyond ASCII's count as well.
            if (static_cast<unsigned char>(c) >= 0x80) return booleanValue(toText(utf8));
        }
        return -1;
    }

    Xml& m_xml;
    const XlsxSheetContext& m_context;
    Sink& m_builder;
    bool m_placed = true;
    std::int32_t m_row = -1;
    std::int32_t m_nextColumn = 0;
    // The text of <v> and of <is>, kept in buffers so that no cell allocates for them.
    typename Xml::TextBuffer m_value;
    typename Xml::TextBuffer m_inline;
};

// The cells of one piece of a sheet, kept to be handed to the builder in the sheet's order.
class CellRecorder {
public:
    enum Kind : std::uint8_t { Number, Date, Boolean, Text, Error, Shared };
    struct Cell {
        double number;
        std::int32_t row, column;
        std::uint32_t text;
        Kind kind;
        bool relative;  // the row counts from the end of the pieces before
    };
    bool relative = false;
    std::vector<Cell> cells;
    std::vector<QString> texts;

    void addNumber(std::int32_t r, std::int32_t c, double v) {
        cells.push_back({v, r, c, 0, Number, relative});
    }
    void addDate(std::int32_t r, std::int32_t c, double v) {
        cells.push_back({v, r, c, 0, Date, relative});
    }
    void addBoolean(std::int32_t r, std::int32_t c, bool v) {
        cells.push_back({v ? 1.0 : 0.0, r, c, 0, Boolean, relative});
    }
    void addSharedText(std::int32_t r, std::int32_t c, std::uint32_t i) {
        cells.push_back({0, r, c, i, Shared, relative});
    }
    void addText(std::int32_t r, std::int32_t c, QString t) { addString(r, c, Text, std::move(t)); }
    void addError(std::int32_t r, std::int32_t c, const QString& t) { addString(r, c, Error, t); }

    // Hands the cells over; `base` is the row that relative rows count from. False when a row
    // falls outside the sheet.
    bool replay(std::int32_t base, SheetTableBuilder& builder) {
        for (const Cell& cell : cells) {
            const std::int64_t row = cell.relative ? std::int64_t(base) + cell.row : cell.row;
            if (row >= kRows) return false;
            const auto r = static_cast<std::int32_t>(row);
            switch (cell.kind) {
                case Number:
                    builder.addNumber(r, cell.column, cell.number);
                    break;
                case Date:
                    builder.addDate(r, cell.column, cell.number);
                    break;
                case Boolean:
                    builder.addBoolean(r, cell.column, cell.number != 0);
                    break;
                case Shared:
                    builder.addSharedText(r, cell.column, cell.text);
                    break;
                case Text:
                    builder.addText(r, cell.column, std::move(texts[cell.text]));
                    break;
                case Error:
                    builder.addError(r, cell.column, texts[cell.text]);
                    break;
            }
        }
        cells = {};
        texts = {};
        return true;
    }

private:
    void addString(std::int32_t r, std::int32_t c, Kind kind, QString text) {
        cells.push_back({0, r, c, static_cast<std::uint32_t>(texts.size()), kind, relative});
        texts.push_back(std::move(text));
    }
};

// Large sheets are read by several threads at once, each a piece of some megabytes cut where a
// row starts: the XML reader is most of a load's time. The part is still inflated as a stream,
// a few pieces at a time. Pieces holding comments, CDATA or processing instructions, where text
// may look like a row, and parts not in UTF-8 are read in one stream instead.
constexpr qint64 kParallelFrom = 8 * 1024 * 1024;
constexpr qsizetype kPieceSize = 4 * 1024 * 1024;
constexpr qsizetype kLongestRow = 32 * 1024 * 1024;
constexpr qsizetype kReadSize = 1024 * 1024;

class PieceCutter {
public:
    PieceCutter(GsfInput* part, qint64& budget) : m_part(part), m_budget(budget) {}

    // The next piece: the head of the part up to its first row, then pieces of whole rows inside
    // the sheet's own <sheetData>, the last one running to the part's end. False when the part
    // cannot be cut so.
    bool next(QByteArray& piece, bool& last) {
        // Room for a piece and the chunk read past it, so that reading never moves the bytes.
        piece = QByteArray();
        piece.reserve(kPieceSize + 2 * kReadSize + m_carry.size());
        if (!m_first) piece.append("<" + m_prefix + "sheetData>");
        const qsizetype body = piece.size();
        piece.append(m_carry);
        m_carry = QByteArray();
        for (;;) {
            if (m_rowTag.isEmpty() && !findRowTag(piece)) {
                if (piece.size() > kPieceSize) return false;
            } else if (piece.size() - body >= (m_first ? 1 : kPieceSize)) {
                const qsizetype cut = lastRowStart(piece, body);
                if (cut > 0) {
                    m_carry = piece.mid(cut);
                    piece.truncate(cut);
                    last = false;
                    break;
                }
                if (piece.size() > kLongestRow) return false;
            }
            if (m_atEnd) {
                last = true;
                break;
            }
            if (!read(piece)) return false;
        }
        // Text that could hold a row's tag other than as markup: read the part in one stream.
        const char* from = piece.constData() + (m_first ? 2 : 0);
        const QByteArrayView rest(from, piece.constData() + piece.size() - from);
        if (rest.contains("<!") || rest.contains("<?")) return false;
        m_first = false;
        return true;
    }

private:
    bool read(QByteArray& into) {
        const gsf_off_t remaining = gsf_input_remaining(m_part);
        if (remaining <= 0) {
            m_atEnd = true;
            return true;
        }
        const qint64 size = std::min<qint64>(kReadSize, remaining);
        m_budget -= size;
        if (m_budget < 0) return false;
        const qsizetype at = into.size();
        into.resize(at + static_cast<qsizetype>(size));
        return gsf_input_read(m_part, static_cast<size_t>(size),
                              reinterpret_cast<guint8*>(into.data() + at)) != nullptr;
    }

    // The row element's name as written ("row", "x:row") from the sheetData before the rows.
    bool findRowTag(const QByteArray& head) {
        if (head.startsWith("\xFE\xFF") || head.startsWith("\xFF\xFE")) return false;
        const qsizetype declarationEnd = head.startsWith("<?xml") ? head.indexOf("?>") : 0;
        if (declarationEnd < 0) return false;
        const QByteArray declaration = head.left(declarationEnd).toLower();
        const qsizetype encoding = declaration.indexOf("encoding");
        if (encoding >= 0 && !declaration.mid(encoding).contains("utf-8")) return false;
        const qsizetype name = head.indexOf("sheetData");
        if (name < 1) return false;
        const qsizetype open = head.lastIndexOf('<', name);
        if (open < 0) return false;
        m_prefix = head.mid(open + 1, name - open - 1);
        if (!m_prefix.isEmpty() && !m_prefix.endsWith(':')) return false;
        m_rowTag = "<" + m_prefix + "row";
        return true;
    }

    // The last row's start after `from`, or -1.
    qsizetype lastRowStart(const QByteArray& piece, qsizetype from) const {
        for (qsizetype at = piece.lastIndexOf(m_rowTag); at > from;
             at = piece.lastIndexOf(m_rowTag, at - 1)) {
            const qsizetype after = at + m_rowTag.size();
            if (after >= piece.size()) continue;
            const char c = piece[after];
            if (c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\n' || c == '\r') return at;
        }
        return -1;
    }

    GsfInput* m_part;
    qint64& m_budget;
    QByteArray m_carry, m_prefix, m_rowTag;
    bool m_first = true;
    bool m_atEnd = false;
};

struct PieceResult {
    CellRecorder cells;
    std::int32_t lastRow = -1;
    bool placed = true;
    bool ok = false;
    bool sheetEnded = false;
};

// Reads a piece with `Xml`; false when the byte reader stops at what it does not read.
template <typename Xml>
bool readPieceWith(Xml& reader, bool head, bool last, const XlsxSheetContext& context,
                   PieceResult& out) {
    SheetParser<Xml, CellRecorder> parser(reader, context, out.cells);
    if (!head) parser.startUnplaced();
    const int code = parser.parse();
    if constexpr (std::is_same_v<Xml, ByteXmlReader>) {
        if (reader.failed() && !reader.endedEarly()) return false;
    }
    out.lastRow = parser.lastRow();
    out.placed = parser.placed();
    // A piece ends before the rows after it; the last one ends where the sheet's rows do.
    out.sheetEnded = code == NativeError::None && !reader.failed();
    out.ok = out.sheetEnded || (!last && reader.endedEarly());
    return true;
}

void readPiece(const QByteArray& xml, bool head, bool last, const XlsxSheetContext& context,
               PieceResult& out) {
    // Some 40 bytes of XML make a cell.
    out.cells.cells.reserve(static_cast<std::size_t>(xml.size() / 32));
    ByteXmlReader bytes(xml);
    if (readPieceWith(bytes, head, last, context, out)) return;
    out = PieceResult();
    XmlPartReader reader(xml, false);
    readPieceWith(reader, head, last, context, out);
}

// The parallel read; false when the part must be read in one stream instead. Pieces are
// parsed by worker threads while this thread inflates and cuts the next ones and hands the
// cells of the finished ones, in order, to the builder.
bool readInPieces(GsfInput* part, qint64& budget, const XlsxSheetContext& context,
                  SheetTableBuilder& builder, int& code) {
    struct Piece {
        QByteArray xml;
        PieceResult result;
        std::future<void> done;
    };
    const std::size_t inFlight = std::max(2, std::min(4, QThread::idealThreadCount())) + 1;
    std::deque<std::unique_ptr<Piece>> pieces;
    // Workers read what the pieces refer to; none may outlive this function.
    const auto finish = [&pieces] {
        for (const auto& piece : pieces) piece->done.wait();
    };
    PieceCutter cutter(part, budget);
    std::int32_t lastRow = -1;
    bool head = true, last = false;
    while (!last || !pieces.empty()) {
        while (!last && pieces.size() < inFlight) {
            auto piece = std::make_unique<Piece>();
            if (!cutter.next(piece->xml, last)) {
                finish();
                return false;
            }
            piece->done = std::async(std::launch::async, readPiece, std::cref(piece->xml), head,
                                     last, std::cref(context), std::ref(piece->result));
            head = false;
            pieces.push_back(std::move(piece));
        }
        Piece& piece = *pieces.front();
        piece.done.wait();
        PieceResult& result = piece.result;
        if (!result.ok) {
            finish();
            return false;
        }
        const std::int32_t base = lastRow + 1;
        if (!result.cells.replay(base, builder)) {
            finish();
            code = NativeError::Unreadable;
            return true;
        }
        lastRow = result.placed ? result.lastRow : base + result.lastRow;
        if (result.sheetEnded) {
            finish();
            code = NativeError::None;
            return true;
        }
        pieces.pop_front();
    }
    code = NativeError::None;
    return true;
}

// The whole of a part smaller than kParallelFrom; false when it is not there or larger.
bool readWhole(GObjectRef<GsfInput> part, qint64& budget, QByteArray& out) {
    if (!part) return false;
    const gsf_off_t size = gsf_input_size(part.object);
    if (size < 0 || size >= kParallelFrom) return false;
    budget -= size;
    if (budget < 0) return false;
    out.resize(static_cast<qsizetype>(size));
    return size == 0 || gsf_input_read(part.object, static_cast<size_t>(size),
                                       reinterpret_cast<guint8*>(out.data())) != nullptr;
}

}  // namespace

int readXlsxSheet(const ZipPackage& package, const QString& partName, qint64& budget,
                  const XlsxSheetContext& context, std::shared_ptr<const TextList> sharedTexts,
                  std::unique_ptr<SheetTableBuilder>& builder) {
    builder = std::make_unique<SheetTableBuilder>(sharedTexts);
    {
        GObjectRef<GsfInput> part = package.part(partName);
        if (!part) return NativeError::Unreadable;
        qint64 pieceBudget = budget;
        int code = NativeError::None;
        if (gsf_input_size(part.object) >= kParallelFrom &&
            readInPieces(part.object, pieceBudget, context, *builder, code)) {
            budget = pieceBudget;
            return code;
        }
        builder = std::make_unique<SheetTableBuilder>(sharedTexts);
    }
    {
        // A smaller part is read whole, then as bytes.
        qint64 wholeBudget = budget;
        QByteArray bytes;
        if (readWhole(package.part(partName), wholeBudget, bytes)) {
            ByteXmlReader xml(bytes);
            SheetParser<ByteXmlReader, SheetTableBuilder> parser(xml, context, *builder);
            const int code = parser.parse();
            if (!xml.failed() || xml.endedEarly()) {
                budget = wholeBudget;
                return code == NativeError::None && xml.failed() ? NativeError::Unreadable : code;
            }
        }
        builder = std::make_unique<SheetTableBuilder>(sharedTexts);
    }
    XmlPartReader xml(package.part(partName), budget, false);
    if (xml.failed()) return NativeError::Unreadable;
    SheetParser<XmlPartReader, SheetTableBuilder> parser(xml, context, *builder);
    return parser.parse();
}
