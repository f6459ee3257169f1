#include "data/access/xlsx/XlsxSheetReader.h"

#include "data/access/NativeError.h"
#include "data/access/XmlValues.h"
#include "data/access/xls/XlsDateFormats.h"
#include "data/access/xlsx/XlsxParts.h"

namespace {

constexpr std::int32_t kRows = 1048576;
constexpr std::int32_t kColumns = 16384;

enum class CellType { Number, Shared, Text, Inline, Boolean, Error, Date };

CellType cellType(QStringView t) {
    if (t.isEmpty() || t == u"n") return CellType::Number;
    if (t == u"s") return CellType::Shared;
    if (t == u"str") return CellType::Text;
    if (t == u"inlineStr") return CellType::Inline;
    if (t == u"b") return CellType::Boolean;
    if (t == u"e") return CellType::Error;
    if (t == u"d") return CellType::Date;
    return CellType::Number;
}

// "AB12" as 0-based column and row; the row may be left out ("AB").
bool parseReference(QStringView ref, std::int32_t& row, std::int32_t& column, bool& hasRow) {
    qsizetype i = 0;
    std::int32_t col = 0;
    for (; i < ref.size() && i < 4; ++i) {
        char16_t c = ref[i].unicode();
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c < u'A' || c > u'Z') break;
        col = col * 26 + (c - u'A' + 1);
    }
    if (i == 0 || col > kColumns) return false;
    std::int32_t r = 0;
    const qsizetype digits = i;
    for (; i < ref.size() && i - digits < 8; ++i) {
        const char16_t c = ref[i].unicode();
        if (c < u'0' || c > u'9') return false;
        r = r * 10 + (c - u'0');
    }
    if (i != ref.size()) return false;
    hasRow = i > digits;
    if (hasRow && (r < 1 || r > kRows)) return false;
    column = col - 1;
    row = r - 1;
    return true;
}

class SheetParser {
public:
    SheetParser(XmlPartReader& xml, const XlsxSheetContext& context, SheetTableBuilder& builder)
        : m_xml(xml), m_context(context), m_builder(builder) {}

    int parse() {
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                const QStringView name = m_xml.localName();
                if (name == u"c") {
                    if (!cell()) return NativeError::Unreadable;
                } else if (name == u"row") {
                    if (!startRow()) return NativeError::Unreadable;
                }
            } else if (m_xml.isEnd() && m_xml.localName() == u"sheetData") {
                return NativeError::None;  // what follows holds no cells
            }
        }
        return m_xml.failed() ? NativeError::Unreadable : NativeError::None;
    }

private:
    bool startRow() {
        std::int32_t row = m_row + 1;
        const QXmlStreamAttributes attributes = m_xml.attributes();
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (XmlPartReader::stripPrefix(attribute.qualifiedName()) == u"r") {
                if (!XmlValues::toIndex(attribute.value(), row) || row < 1 || row > kRows) {
                    return false;
                }
                --row;
            }
        }
        if (row >= kRows) return false;
        m_row = row;
        m_nextColumn = 0;
        return true;
    }

    bool cell() {
        std::int32_t row = m_row < 0 ? 0 : m_row, column = m_nextColumn;
        CellType type = CellType::Number;
        bool isDate = false;
        {
            const QXmlStreamAttributes attributes = m_xml.attributes();
            for (const QXmlStreamAttribute& attribute : attributes) {
                const QStringView name = XmlPartReader::stripPrefix(attribute.qualifiedName());
                if (name == u"r") {
                    bool hasRow = false;
                    std::int32_t refRow = 0;
                    if (!parseReference(attribute.value(), refRow, column, hasRow)) return false;
                    if (hasRow) row = refRow;
                } else if (name == u"t") {
                    type = cellType(attribute.value());
                } else if (name == u"s") {
                    std::int32_t style = 0;
                    if (XmlValues::toIndex(attribute.value(), style) &&
                        static_cast<std::size_t>(style) < m_context.dateStyles.size()) {
                        isDate = m_context.dateStyles[static_cast<std::size_t>(style)];
                    }
                }
            }
        }
        if (column >= kColumns) return false;
        m_row = row;
        m_nextColumn = column + 1;

        bool hasValue = false, hasInline = false;
        int depth = 1;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                const QStringView name = m_xml.localName();
                if (name == u"v" && depth == 1) {
                    if (!readValue()) return false;
                    hasValue = true;
                } else if (name == u"is" && depth == 1) {
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
            XlsxParts::decodeEscapes(m_inline);
            m_builder.addText(row, column, m_inline);
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
                m_value.append(m_xml.text());
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
        m_inline.clear();
        int depth = 1, phonetic = 0;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                ++depth;
                if (m_xml.localName() == u"rPh") ++phonetic;
            } else if (m_xml.isEnd()) {
                if (m_xml.localName() == u"rPh" && phonetic > 0) --phonetic;
                if (--depth == 0) return true;
            } else if (m_xml.isText() && phonetic == 0 && depth >= 2) {
                m_inline.append(m_xml.text());
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
                if (isDate && XlsDateFormats::serialToDays(value, m_context.dates1904, days)) {
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
                QString text(m_value.constData(), m_value.size());  // m_value keeps its buffer
                XlsxParts::decodeEscapes(text);
                m_builder.addText(row, column, std::move(text));
                return true;
            }
            case CellType::Boolean: {
                const QStringView value = QStringView(m_value).trimmed();
                if (value == u"1" || value == u"true") {
                    m_builder.addBoolean(row, column, true);
                } else if (value == u"0" || value == u"false") {
                    m_builder.addBoolean(row, column, false);
                } else {
                    return false;
                }
                return true;
            }
            case CellType::Error:
                m_builder.addError(row, column, QStringView(m_value).trimmed().toString());
                return true;
            case CellType::Date: {
                double days = 0;
                if (!XmlValues::isoToDays(m_value, days)) return false;
                m_builder.addDate(row, column, days);
                return true;
            }
        }
        return false;
    }

    XmlPartReader& m_xml;
    const XlsxSheetContext& m_context;
    SheetTableBuilder& m_builder;
    std::int32_t m_row = -1;
    std::int32_t m_nextColumn = 0;
    QString m_value;
    QString m_inline;
};

}  // namespace

int readXlsxSheet(const ZipPackage& package, const QString& partName, qint64& budget,
                  const XlsxSheetContext& context, SheetTableBuilder& builder) {
    XmlPartReader xml(package.part(partName), budget, false);
    if (xml.failed()) return NativeError::Unreadable;
    SheetParser parser(xml, context, builder);
    return parser.parse();
}
