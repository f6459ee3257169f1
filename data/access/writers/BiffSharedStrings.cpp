#include "data/access/writers/BiffSharedStrings.h"

#include <algorithm>

#include "data/access/writers/BiffRecord.h"

namespace {

// Extended strings are indexed by EXTSST in buckets; Excel keeps at most 128 of them.
constexpr std::uint32_t kMinStringsPerBucket = 8;
constexpr std::uint32_t kMaxBuckets = 128;
constexpr int kStringHeaderSize = 3;  // character count (2) and flags (1)
constexpr std::uint8_t kFlagHighByte = 0x01;

// A record written piece by piece that goes on in CONTINUE records when it is full.
class ContinuedRecord {
public:
    ContinuedRecord(QByteArray& out, std::uint16_t id) : m_out(out) { begin(id); }
    ~ContinuedRecord() { end(); }

    int room() const { return Biff::kMaxRecordData - m_size; }
    qsizetype recordStart() const { return m_header; }
    void startContinue() {
        end();
        begin(BiffCode::Continue);
    }
    void u8(std::uint8_t value) {
        Biff::appendU8(m_out, value);
        m_size += 1;
    }
    void u16(std::uint16_t value) {
        Biff::appendU16(m_out, value);
        m_size += 2;
    }
    void u32(std::uint32_t value) {
        Biff::appendU32(m_out, value);
        m_size += 4;
    }
    void characters(const char16_t* units, qsizetype count, bool wide) {
        if (wide) {
            for (qsizetype i = 0; i < count; ++i) Biff::appendU16(m_out, units[i]);
            m_size += static_cast<int>(count * 2);
        } else {
            const qsizetype at = m_out.size();
            m_out.resize(at + count);
            char* data = m_out.data() + at;
            for (qsizetype i = 0; i < count; ++i) data[i] = static_cast<char>(units[i]);
            m_size += static_cast<int>(count);
        }
    }

private:
    void begin(std::uint16_t id) {
        m_header = m_out.size();
        Biff::appendU16(m_out, id);
        Biff::appendU16(m_out, 0);
        m_size = 0;
    }
    void end() { qToLittleEndian(static_cast<std::uint16_t>(m_size), m_out.data() + m_header + 2); }

    QByteArray& m_out;
    qsizetype m_header = 0;
    int m_size = 0;
};

bool needsHighBytes(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
}

}  // namespace

std::uint32_t BiffSharedStrings::add(const QString& text) {
    ++m_references;
    const auto found = m_index.constFind(text);
    if (found != m_index.constEnd()) return found.value();
    const auto index = static_cast<std::uint32_t>(m_strings.size());
    m_strings.push_back(text);
    m_index.insert(text, index);
    return index;
}

void BiffSharedStrings::appendRecords(QByteArray& stream) const {
    const std::uint32_t unique = uniqueCount();
    const std::uint32_t perBucket =
        std::max(kMinStringsPerBucket, (unique + kMaxBuckets - 1) / kMaxBuckets);
    struct Bucket {
        std::uint32_t position;        // of the string's header in the stream
        std::uint16_t offsetInRecord;  // from the start of its record's header
    };
    std::vector<Bucket> buckets;

    {
        ContinuedRecord record(stream, BiffCode::Sst);
        record.u32(m_references);
        record.u32(unique);
        for (std::uint32_t i = 0; i < unique; ++i) {
            const QString& text = m_strings[i];
            const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
            const qsizetype count = text.size();
            const bool wide = needsHighBytes(text);
            const int unitSize = wide ? 2 : 1;
            const bool startsWithPair = wide && count > 1 && QChar::isHighSurrogate(units[0]) &&
                                        QChar::isLowSurrogate(units[1]);
            const int firstCharacter = count == 0 ? 0 : (startsWithPair ? 4 : unitSize);
            if (record.room() < kStringHeaderSize + firstCharacter) record.startContinue();

            if (i % perBucket == 0) {
                buckets.push_back(
                    {static_cast<std::uint32_t>(stream.size()),
                     static_cast<std::uint16_t>(stream.size() - record.recordStart())});
            }
            record.u16(static_cast<std::uint16_t>(count));
            record.u8(wide ? kFlagHighByte : 0);
            for (qsizetype done = 0; done < count;) {
                qsizetype take = std::min<qsizetype>(record.room() / unitSize, count - done);
                const qsizetype end = done + take;
                if (end < count && take > 0 && QChar::isHighSurrogate(units[end - 1]) &&
                    QChar::isLowSurrogate(units[end])) {
                    --take;
                }
                record.characters(units + done, take, wide);
                done += take;
                if (done < count) {
                    record.startContinue();
                    record.u8(wide ? kFlagHighByte : 0);
                }
            }
        }
    }

    QByteArray index;
    Biff::appendU16(index, static_cast<std::uint16_t>(perBucket));
    for (const Bucket& bucket : buckets) {
        Biff::appendU32(index, bucket.position);
        Biff::appendU16(index, bucket.offsetInRecord);
        Biff::appendU16(index, 0);
    }
    Biff::appendRecord(stream, BiffCode::ExtSst, index);
}
