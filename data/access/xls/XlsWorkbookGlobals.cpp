#include "data/access/xls/XlsWorkbookGlobals.h"

#include <algorithm>
#include <map>

#include "data/access/DateFormats.h"
#include "data/access/NativeError.h"
#include "data/access/xls/BiffRecordStream.h"
#include "data/access/xls/BiffText.h"

namespace {

constexpr std::uint32_t kExcel97BofSize = 16;
// BOUNDSHEET sheet types.
constexpr std::uint8_t kWorksheetKind = 0x00;
// Custom number formats start here; lower indexes are the program's own.
constexpr int kFirstCustomFormat = 164;
// An SST string takes at least its length and flags.
constexpr std::uint32_t kSmallestSharedString = 3;
constexpr std::uint32_t kMaxXfCount = 65536;

bool isBof(std::uint16_t code) {
    return code == BiffCode::Bof2 || code == BiffCode::Bof3 || code == BiffCode::Bof4 ||
           code == BiffCode::Bof;
}

int versionOf(const BiffRecord& bof, WorkbookStream::Source source) {
    switch (bof.code) {
        case BiffCode::Bof2:
            return 2;
        case BiffCode::Bof3:
            return 3;
        case BiffCode::Bof4:
            return 4;
        default:
            break;
    }
    const std::uint16_t version = readU16(bof.data);
    if (version == BiffValue::Excel97Version) return 8;
    if (version == BiffValue::Excel5Version) return 5;
    // Some writers leave the version out: the stream's name, or the record's size, tells.
    if (source == WorkbookStream::Source::Workbook) return 8;
    if (source == WorkbookStream::Source::Book) return 5;
    return bof.size >= kExcel97BofSize ? 8 : 5;
}

// A sheet name or format code as stored: Unicode from Excel 97 on, bytes before.
struct RawText {
    QString unicode;
    QByteArray bytes;
};

struct PendingSheet {
    RawText name;
    std::uint32_t offset;
    bool isWorksheet;
};

class GlobalsParser {
public:
    GlobalsParser(const WorkbookStream& stream, XlsWorkbookGlobals& out)
        : m_stream(stream), m_out(out) {}
    int parse();

private:
    bool readText(const unsigned char* data, std::uint32_t size, int lengthBytes, RawText& out);
    QString decode(const RawText& text, ByteTextDecoder& decoder) const;
    int handle(const BiffRecord& record, BiffRecordStream& records);
    bool readSharedStrings(const BiffRecord& record, BiffRecordStream& records);
    void finishFormats(ByteTextDecoder& decoder);
    int placeSheets(std::uint32_t afterGlobals);

    const WorkbookStream& m_stream;
    XlsWorkbookGlobals& m_out;
    bool m_singleSheet = false;
    bool m_seenSst = false;
    int m_sequentialFormat = 0;  // formats of Excel 2 to 4 are numbered by their order
    std::map<int, RawText> m_formats;
    std::vector<int> m_xfFormats;
    std::vector<PendingSheet> m_sheets;
};

bool GlobalsParser::readText(const unsigned char* data, std::uint32_t size, int lengthBytes,
                             RawText& out) {
    if (m_out.biffVersion >= 8) {
        ContinuedReader reader(ContinuedReader::Piece{data, size});
        return BiffText::readUnicode(reader, lengthBytes, out.unicode);
    }
    if (size < static_cast<std::uint32_t>(lengthBytes)) return false;
    const std::uint32_t length = lengthBytes == 1 ? data[0] : readU16(data);
    if (size - lengthBytes < length) return false;
    out.bytes = QByteArray(reinterpret_cast<const char*>(data + lengthBytes), length);
    return true;
}

QString GlobalsParser::decode(const RawText& text, ByteTextDecoder& decoder) const {
    if (m_out.biffVersion >= 8) return text.unicode;
    return decoder.decode(reinterpret_cast<const unsigned char*>(text.bytes.constData()),
                          static_cast<std::uint32_t>(text.bytes.size()));
}

bool GlobalsParser::readSharedStrings(const BiffRecord& record, BiffRecordStream& records) {
    ContinuedReader reader(record, records);
    if (m_seenSst) return true;  // only the first table counts
    m_seenSst = true;
    std::uint32_t total = 0, unique = 0;
    if (!reader.readU32(total) || !reader.readU32(unique)) return false;
    // The count is a claim: reserve no more than the records could hold, and stop where the
    // strings end even if fewer than claimed.
    m_out.sharedStrings->reserve(static_cast<std::size_t>(std::min<std::uint64_t>(
                                     unique, reader.totalSize() / kSmallestSharedString)),
                                 static_cast<std::size_t>(reader.totalSize()));
    QString text;  // one buffer for every text
    for (std::uint32_t i = 0; i < unique && !reader.atEnd(); ++i) {
        if (!BiffText::readUnicode(reader, 2, text)) return false;
        m_out.sharedStrings->append(text);
    }
    return true;
}

int GlobalsParser::handle(const BiffRecord& record, BiffRecordStream& records) {
    const unsigned char* data = record.data;
    const std::uint32_t size = record.size;
    const int version = m_out.biffVersion;
    switch (record.code) {
        case BiffCode::FilePass:
            return NativeError::PasswordProtected;
        case BiffCode::CodePage:
            if (size >= 2) m_out.codePage = readU16(data);
            break;
        case BiffCode::DateMode:
            if (size >= 2) m_out.dates1904 = readU16(data) == 1;
            break;
        case BiffCode::BoundSheet: {
            if (m_singleSheet || size < 7) return NativeError::Unreadable;
            PendingSheet sheet{{}, readU32(data), data[5] == kWorksheetKind};
            if (!readText(data + 6, size - 6, 1, sheet.name)) return NativeError::Unreadable;
            m_sheets.push_back(std::move(sheet));
            break;
        }
        case BiffCode::BundleSheet: {
            // Excel 4 workbooks: the sheets follow in order, so the offset is not needed.
            if (m_singleSheet || size < 7) return NativeError::Unreadable;
            PendingSheet sheet{{}, 0, data[5] == kWorksheetKind};
            if (!readText(data + 6, size - 6, 1, sheet.name)) return NativeError::Unreadable;
            m_sheets.push_back(std::move(sheet));
            break;
        }
        case BiffCode::Format2:
        case BiffCode::Format: {
            RawText code;
            int index = 0;
            bool ok = false;
            if (version >= 5 && record.code == BiffCode::Format) {
                index = size >= 2 ? readU16(data) : -1;
                ok = index >= 0 && readText(data + 2, size - 2, version >= 8 ? 2 : 1, code);
            } else {
                index = m_sequentialFormat++;
                const std::uint32_t skip = record.code == BiffCode::Format ? 2 : 0;
                ok = size >= skip && readText(data + skip, size - skip, 1, code);
            }
            // A format we cannot read shows its cells as numbers; the cells are still there.
            if (ok) m_formats[index] = std::move(code);
            break;
        }
        case BiffCode::Xf2:
            if (size >= 3) m_xfFormats.push_back(data[2] & 0x3F);
            break;
        case BiffCode::Xf3:
        case BiffCode::Xf4:
            if (size >= 2) m_xfFormats.push_back(data[1]);
            break;
        case BiffCode::Xf:
            if (size >= 4) m_xfFormats.push_back(readU16(data + 2));
            break;
        case BiffCode::Sst:
            if (version >= 8 && !readSharedStrings(record, records)) return NativeError::Unreadable;
            break;
        default:
            break;
    }
    return NativeError::None;
}

void GlobalsParser::finishFormats(ByteTextDecoder& decoder) {
    std::map<int, bool> dateByIndex;
    for (const auto& [index, code] : m_formats) {
        dateByIndex[index] = DateFormats::isDateFormatCode(decode(code, decoder));
    }
    const bool fixedBuiltIns = m_out.biffVersion >= 5;
    auto isDate = [&](int index) {
        const auto found = dateByIndex.find(index);
        // From Excel 5 on the built-in formats keep their meaning whatever code a file stores
        // for them; before, a file lists every format it uses.
        const bool builtIn = DateFormats::isBuiltInDateFormat(index);
        if (found == dateByIndex.end()) return builtIn;
        return found->second || (fixedBuiltIns && index < kFirstCustomFormat && builtIn);
    };
    m_out.dateXf.resize(std::min<std::size_t>(m_xfFormats.size(), kMaxXfCount));
    for (std::size_t xf = 0; xf < m_out.dateXf.size(); ++xf)
        m_out.dateXf[xf] = isDate(m_xfFormats[xf]);
    for (int index = 0; index < 64; ++index) m_out.dateFormat[index] = isDate(index);
}

int GlobalsParser::placeSheets(std::uint32_t afterGlobals) {
    // The sheets' own substreams, in stream order: where a BOUNDSHEET offset does not lead to a
    // BOF record, or for Excel 4 workbooks, the n-th substream is the n-th sheet.
    std::vector<std::uint32_t> substreams;
    auto collect = [&] {
        if (!substreams.empty()) return;
        const auto* data = reinterpret_cast<const unsigned char*>(m_stream.bytes.constData());
        BiffRecordStream records(data, static_cast<std::uint32_t>(m_stream.bytes.size()),
                                 afterGlobals);
        BiffRecord record;
        int depth = 0;
        while (records.next(record)) {
            if (isBof(record.code)) {
                if (depth == 0) substreams.push_back(record.offset);
                ++depth;
            } else if (record.code == BiffCode::Eof && depth > 0) {
                --depth;
            }
        }
    };
    const auto* data = reinterpret_cast<const unsigned char*>(m_stream.bytes.constData());
    const auto size = static_cast<std::uint32_t>(m_stream.bytes.size());
    const bool byOrder = m_out.biffVersion == 4;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        PendingSheet& sheet = m_sheets[i];
        const bool pointsAtBof = !byOrder && sheet.offset >= afterGlobals && sheet.offset <= size &&
                                 size - sheet.offset >= 4 && isBof(readU16(data + sheet.offset));
        if (!pointsAtBof) {
            collect();
            if (i >= substreams.size()) {
                // A sheet that is not there: only charts and macros may be missing harmlessly.
                if (sheet.isWorksheet) return NativeError::Unreadable;
                sheet.isWorksheet = false;
                continue;
            }
            sheet.offset = substreams[i];
        }
    }
    return NativeError::None;
}

int GlobalsParser::parse() {
    const auto* data = reinterpret_cast<const unsigned char*>(m_stream.bytes.constData());
    const auto size = static_cast<std::uint32_t>(m_stream.bytes.size());
    BiffRecordStream records(data, size);
    BiffRecord bof;
    if (!records.next(bof) || !isBof(bof.code) || bof.size < 4) return NativeError::Unreadable;
    m_out.biffVersion = versionOf(bof, m_stream.source);
    const std::uint16_t type = readU16(bof.data + 2);
    // A worksheet stream on its own (Excel 2 to 4, or a bare later one) is one sheet whose
    // formats and settings sit in the sheet itself.
    m_singleSheet = type == BiffValue::WorksheetSubstream;
    const bool globals =
        type == BiffValue::GlobalsSubstream || type == BiffValue::Excel4WorkbookSubstream;
    if (m_out.biffVersion >= 8) m_out.codePage = BiffValue::Utf16CodePage;

    BiffRecord record;
    bool ended = false;
    while (records.next(record)) {
        if (record.code == BiffCode::Eof) {
            ended = true;
            break;
        }
        if (isBof(record.code)) {
            if (!globals) {  // a chart inside a lone worksheet: skip to its end
                int depth = 1;
                while (depth > 0 && records.next(record)) {
                    if (isBof(record.code)) ++depth;
                    if (record.code == BiffCode::Eof) --depth;
                }
                continue;
            }
            return NativeError::Unreadable;  // the globals never ended
        }
        const int code = handle(record, records);
        if (code != NativeError::None) return code;
    }
    if (!ended) return NativeError::Unreadable;

    ByteTextDecoder decoder(m_out.codePage);
    finishFormats(decoder);
    if (m_singleSheet) {
        m_out.sheets.push_back({QStringLiteral("Sheet 1"), 0, true});
        return NativeError::None;
    }
    if (!globals) return NativeError::None;  // a lone chart or macro sheet: no tables
    const int code = placeSheets(records.position());
    if (code != NativeError::None) return code;
    for (PendingSheet& sheet : m_sheets) {
        m_out.sheets.push_back({decode(sheet.name, decoder), sheet.offset, sheet.isWorksheet});
    }
    return NativeError::None;
}

}  // namespace

int readWorkbookGlobals(const WorkbookStream& stream, XlsWorkbookGlobals& out) {
    out = XlsWorkbookGlobals();
    GlobalsParser parser(stream, out);
    const int code = parser.parse();
    if (code != NativeError::None) out = XlsWorkbookGlobals();
    return code;
}
