#include "data/access/ods/OdsReader.h"

#include <algorithm>
#include <vector>

#include "data/access/DateFormats.h"
#include "data/access/NativeError.h"
#include "data/access/SheetTableBuilder.h"
#include "data/access/XmlValues.h"
#include "data/access/ZipPackage.h"

namespace {

constexpr std::int32_t kRows = 1048576;
constexpr std::int32_t kColumns = 16384;
// Cells that repeats may place: 16 million, and 64 for each character of the XML read so far.
constexpr std::int64_t kRepeatedCellBase = 16 * 1024 * 1024;
constexpr std::int64_t kRepeatedCellsPerCharacter = 64;
const QString kContent = QStringLiteral("content.xml");
const QString kManifest = QStringLiteral("META-INF/manifest.xml");
constexpr qint64 kLargestManifest = 4 * 1024 * 1024;
constexpr qsizetype kLongestText = 32767;

// A cell's value once read; a run of `count` equal cells from `column` on.
struct CellRun {
    std::int32_t column = 0;
    std::int32_t count = 1;
    enum class Kind { Number, Date, Boolean, Text, Error } kind = Kind::Text;
    double number = 0;
    QString text;
};

std::int32_t repeatOf(const QXmlStreamAttributes& attributes, QStringView name) {
    std::int32_t count = 1;
    if (!XmlValues::toIndex(attributeValue(attributes, name), count) || count < 1) return 1;
    return count;
}

// Whether the manifest says some parts are encrypted.
bool isEncrypted(const ZipPackage& package) {
    QByteArray manifest;
    if (!package.readSmallPart(kManifest, kLargestManifest, manifest)) return false;
    QXmlStreamReader xml(manifest);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"encryption-data") {
            return true;
        }
    }
    return false;
}

class TableParser {
public:
    TableParser(XmlPartReader& xml, SheetTableBuilder& builder) : m_xml(xml), m_builder(builder) {}

    // Reads the rows of the table whose start element is the current token.
    int parse() {
        int depth = 1;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                const QStringView name = m_xml.name();
                if (name == u"table-row") {
                    if (!row()) return NativeError::Unreadable;
                } else if (name == u"table-rows" || name == u"table-row-group" ||
                           name == u"table-header-rows") {
                    ++depth;  // rows grouped: read on inside
                } else if (!m_xml.skipElement()) {
                    return NativeError::Unreadable;
                }
            } else if (m_xml.isEnd() && --depth == 0) {
                return NativeError::None;
            }
        }
        return NativeError::Unreadable;
    }

private:
    bool row() {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const std::int32_t repeat = repeatOf(attributes, u"number-rows-repeated");
        m_runs.clear();
        m_column = 0;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                const QStringView name = m_xml.name();
                if (name == u"table-cell") {
                    if (!cell(false)) return false;
                } else if (name == u"covered-table-cell") {
                    if (!cell(true)) return false;
                } else if (!m_xml.skipElement()) {
                    return false;
                }
            } else if (m_xml.isEnd()) {
                return emitRows(repeat);
            }
        }
        return false;
    }

    bool cell(bool covered) {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const std::int32_t repeat = repeatOf(attributes, u"number-columns-repeated");
        CellRun run;
        run.column = m_column;
        run.count = repeat;
        m_column = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t(m_column) + repeat, kColumns + 1));

        QStringView valueType, calcType;
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (attribute.name() != u"value-type") continue;
            if (attribute.namespaceUri().contains(u"calcext")) {
                calcType = attribute.value();
            } else {
                valueType = attribute.value();
            }
        }
        // Merged cells: what the cells under the first one hold is not shown.
        if (covered) return m_xml.skipElement();

        QString text;
        if (!readText(text)) return false;
        bool known = false;
        if (calcType == u"error") {
            run.kind = CellRun::Kind::Error;
            known = true;
        } else if (valueType == u"float" || valueType == u"percentage" ||
                   valueType == u"currency") {
            run.kind = CellRun::Kind::Number;
            known = XmlValues::toDouble(attributeValue(attributes, u"value"), run.number);
        } else if (valueType == u"date") {
            run.kind = CellRun::Kind::Date;
            known = XmlValues::isoToDays(attributeValue(attributes, u"date-value"), run.number);
        } else if (valueType == u"time") {
            // A duration, shown as a workbook shows its day count: a time of day below one day.
            double serial = 0;
            run.kind = CellRun::Kind::Date;
            known = XmlValues::durationToDays(attributeValue(attributes, u"time-value"), serial) &&
                    DateFormats::serialToDays(serial, false, run.number);
        } else if (valueType == u"boolean") {
            const QStringView value = attributeValue(attributes, u"boolean-value");
            run.kind = CellRun::Kind::Boolean;
            known = value == u"true" || value == u"false" || value == u"1" || value == u"0";
            run.number = value == u"true" || value == u"1";
        } else if (valueType == u"string") {
            run.kind = CellRun::Kind::Text;
            if (!attributeValue(attributes, u"string-value").isNull()) {
                text = attributeValue(attributes, u"string-value").toString();
            }
            known = true;
        }
        if (!known) {
            // No value, or one its type cannot hold: the cell shows its text, if any.
            if (text.isEmpty()) return true;
            run.kind = CellRun::Kind::Text;
        }
        run.text = std::move(text);
        m_runs.push_back(std::move(run));
        return true;
    }

    // The paragraphs of a cell joined with line feeds. In the XML a run of spaces, tabs and
    // line ends is one space and leading ones go, as office programs read them; text:s,
    // text:tab and text:line-break give the characters themselves. Notes are no part of it.
    bool readText(QString& out) {
        int depth = 1;
        int paragraphDepth = 0;  // depth of the paragraph we are in; 0 outside
        bool lastWasSpace = true;
        bool firstParagraph = true;
        while (m_xml.next()) {
            if (m_xml.isStart()) {
                ++depth;
                const QStringView name = m_xml.name();
                if (name == u"annotation" || name == u"frame" || name == u"custom-shape") {
                    if (!m_xml.skipElement()) return false;
                    --depth;
                } else if (paragraphDepth == 0 && (name == u"p" || name == u"h")) {
                    if (!firstParagraph) out += QLatin1Char('\n');
                    firstParagraph = false;
                    paragraphDepth = depth;
                    lastWasSpace = true;
                } else if (paragraphDepth != 0 && name == u"s") {
                    std::int32_t count = 1;
                    const QXmlStreamAttributes attributes = m_xml.attributes();
                    if (!XmlValues::toIndex(attributeValue(attributes, u"c"), count) || count < 1) {
                        count = 1;
                    }
                    // Spaces written as a count stop at a cell's 32,767 characters, so that a
                    // few bytes cannot claim gigabytes.
                    const qsizetype room = std::max<qsizetype>(0, kLongestText - out.size());
                    out += QString(std::min<qsizetype>(count, room), QLatin1Char(' '));
                    lastWasSpace = false;
                } else if (paragraphDepth != 0 && name == u"tab") {
                    out += QLatin1Char('\t');
                    lastWasSpace = false;
                } else if (paragraphDepth != 0 && name == u"line-break") {
                    out += QLatin1Char('\n');
                    lastWasSpace = false;
                }
            } else if (m_xml.isEnd()) {
                if (depth == paragraphDepth) paragraphDepth = 0;
                if (--depth == 0) return true;
            } else if (m_xml.isText() && paragraphDepth != 0) {
                for (const QChar c : m_xml.text()) {
                    const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                    if (space) {
                        if (!lastWasSpace) out += QLatin1Char(' ');
                        lastWasSpace = true;
                    } else {
                        out += c;
                        lastWasSpace = false;
                    }
                }
            }
        }
        return false;
    }

    // Places the row's cells in each of its `repeat` rows. Empty repeats cost nothing; cells
    // past the sheet's last row or column make the file unreadable.
    bool emitRows(std::int32_t repeat) {
        const std::int32_t first = m_row;
        m_row = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t(m_row) + repeat, kRows + 1));
        if (m_runs.empty()) return true;
        if (std::int64_t(first) + repeat > kRows) return false;
        // A table wider than the program loads keeps no cells, only its width: then only the
        // corners of each run and of the repeat need placing.
        std::int32_t left = m_left, right = m_right;
        for (const CellRun& run : m_runs) {
            if (std::int64_t(run.column) + run.count > kColumns) return false;
            left = std::min(left, run.column);
            right = std::max(right, run.column + run.count - 1);
        }
        m_left = left;
        m_right = right;
        const bool tooWide = std::int64_t(right) - left >= kMaxColumns;
        // Repeats can name far more cells than the file holds: a row of 255 values repeated a
        // million times is a few hundred bytes. Past a generous share of what the XML read so
        // far could hold, the file is not believed.
        if (!tooWide) {
            std::int64_t cells = 0;
            for (const CellRun& run : m_runs) cells += run.count;
            m_repeatedCells += cells * repeat;
            if (m_repeatedCells >
                kRepeatedCellBase + kRepeatedCellsPerCharacter * m_xml.characterOffset())
                return false;
        }
        const std::int32_t last = first + repeat - 1;
        for (std::int32_t row = first; row <= last; ++row) {
            if (tooWide && row != first && row != last) row = last;
            for (const CellRun& run : m_runs) {
                const std::int32_t end = run.column + run.count - 1;
                for (std::int32_t column = run.column; column <= end; ++column) {
                    if (tooWide && column != run.column && column != end) column = end;
                    add(row, column, run);
                }
            }
        }
        return true;
    }

    void add(std::int32_t row, std::int32_t column, const CellRun& run) {
        switch (run.kind) {
            case CellRun::Kind::Number:
                m_builder.addNumber(row, column, run.number);
                break;
            case CellRun::Kind::Date:
                m_builder.addDate(row, column, run.number);
                break;
            case CellRun::Kind::Boolean:
                m_builder.addBoolean(row, column, run.number != 0);
                break;
            case CellRun::Kind::Text:
                m_builder.addText(row, column, run.text);
                break;
            case CellRun::Kind::Error:
                m_builder.addError(row, column, run.text);
                break;
        }
    }

    XmlPartReader& m_xml;
    SheetTableBuilder& m_builder;
    std::vector<CellRun> m_runs;  // the non-empty cells of the row being read
    std::int32_t m_row = 0, m_column = 0;
    std::int32_t m_left = kColumns, m_right = -1;  // columns holding a cell so far
    std::int64_t m_repeatedCells = 0;              // cells placed from rows, counting each repeat
};

class OdsReader final : public PackageWorkbookReader {
public:
    QStringList tableNames() const override { return m_names; }

    int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) override {
        if (!m_package.isOpen()) return NativeError::NotConnected;
        if (!m_names.contains(name)) return NativeError::TableNotFound;
        qint64 budget = m_package.inflateBudget();
        XmlPartReader xml(m_package.part(kContent), budget);
        while (xml.next()) {
            if (!xml.isStart() || xml.name() != u"table") continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributeValue(attributes, u"name") != name) {
                if (!xml.skipElement()) break;
                continue;
            }
            SheetTableBuilder builder;
            TableParser parser(xml, builder);
            const int code = parser.parse();
            if (code != NativeError::None) return code;
            out = builder.finish(format);
            return NativeError::None;
        }
        return xml.failed() ? NativeError::Unreadable : NativeError::TableNotFound;
    }

private:
    void forget() override { m_names.clear(); }

    // Every table in order; hidden ones are listed too, as in .xls workbooks.
    int readDirectory() override {
        if (isEncrypted(m_package)) return fail(NativeError::PasswordProtected);
        qint64 budget = m_package.inflateBudget();
        XmlPartReader xml(m_package.part(kContent), budget);
        bool sawDocument = false;
        while (xml.next()) {
            if (!xml.isStart()) continue;
            if (xml.name() == u"document-content" || xml.name() == u"document") {
                sawDocument = true;
            } else if (xml.name() == u"table") {
                const QXmlStreamAttributes attributes = xml.attributes();
                m_names << attributeValue(attributes, u"name").toString();
                if (!xml.skipElement()) break;
            }
        }
        if (xml.failed() || !sawDocument) return fail(NativeError::Unreadable);
        return NativeError::None;
    }

    QStringList m_names;
};

}  // namespace

std::unique_ptr<WorkbookFileReader> createOdsReader() {
    return std::make_unique<OdsReader>();
}
