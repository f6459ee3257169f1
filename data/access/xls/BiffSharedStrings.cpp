#include "data/access/xls/BiffSharedStrings.h"

#include <QtEndian>
#include <algorithm>

namespace {

// Extended strings are indexed by EXTSST in buckets; Excel keeps at most 128 of them.
constexpr std::uint32_t kMinStringsPerBucket = 8;
constexpr std::uint32_t kMaxBuckets = 128;
constexpr int kStringHeaderSize = 3;  // character count (2) and flags (1)
constexpr std::uint8_t kFlagHighByte = 0x01;
constexpr qsizetype kFlushSize = 1 << 16;

// The SST and its CONTINUE records, walked twice: once to plan where records break (their sizes
// and EXTSST's buckets), then to write them, with each record's size known at its header.
class SstOutput {
public:
    // Plans into `layout` when `sink` is null; writes with the sizes planned in it otherwise.
    SstOutput(const BiffSharedStrings::Layout& layout, const Biff::Sink* sink)
        : m_layout(layout), m_sink(sink) {}

    int room() const { return Biff::kMaxRecordData - m_size; }
    qint64 position() const { return m_position; }
    qint64 recordStart() const { return m_recordStart; }
    bool planning() const { return m_sink == nullptr; }

    void begin(std::uint16_t id) {
        finishRecord();
        m_recordStart = m_position;
        m_size = 0;
        const std::uint16_t size =
            planning() ? 0 : m_layout.recordSizes[static_cast<std::size_t>(m_record)];
        char header[4];
        qToLittleEndian(id, header);
        qToLittleEndian(size, header + 2);
        put(header, 4);
        m_open = true;
    }
    void u8(std::uint8_t value) { data(reinterpret_cast<const char*>(&value), 1); }
    void u16(std::uint16_t value) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        data(bytes, 2);
    }
    void u32(std::uint32_t value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        data(bytes, 4);
    }
    void data(const char* bytes, qsizetype count) {
        put(bytes, count);
        m_size += static_cast<int>(count);
    }
    // Finishes the last record and hands on what is buffered; false when the sink failed.
    bool finish() {
        finishRecord();
        return flush();
    }

private:
    void finishRecord() {
        if (!m_open) return;
        if (planning()) m_sizes.push_back(static_cast<std::uint16_t>(m_size));
        ++m_record;
        m_open = false;
    }
    void put(const char* bytes, qsizetype count) {
        m_position += count;
        if (planning()) return;
        m_buffer.append(bytes, count);
        if (m_buffer.size() >= kFlushSize) flush();
    }
    bool flush() {
        if (planning() || m_buffer.isEmpty()) return m_ok;
        m_ok = (*m_sink)(m_buffer.constData(), m_buffer.size()) && m_ok;
        m_buffer.clear();
        return m_ok;
    }

protected:
    std::vector<std::uint16_t> m_sizes;  // planned record sizes

private:
    const BiffSharedStrings::Layout& m_layout;
    const Biff::Sink* m_sink;
    QByteArray m_buffer;
    qint64 m_position = 0;
    qint64 m_recordStart = 0;
    int m_size = 0;
    int m_record = 0;
    bool m_open = false;
    bool m_ok = true;
};

// FNV-1a over the UTF-16 units: short texts are the common case, and Qt's seeded hash costs
// more than the look-up it serves.
std::uint32_t hashOf(QStringView text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const QChar c : text) hash = (hash ^ c.unicode()) * 0x100000001b3ull;
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

bool isHigh(const char* wideChars, qsizetype i) {
    return QChar::isHighSurrogate(qFromLittleEndian<quint16>(wideChars + 2 * i));
}
bool isLow(const char* wideChars, qsizetype i) {
    return QChar::isLowSurrogate(qFromLittleEndian<quint16>(wideChars + 2 * i));
}

}  // namespace

bool BiffSharedStrings::matches(const Entry& entry, QStringView text) const {
    if ((entry.count & ~kWide) != std::uint32_t(text.size())) return false;
    const char16_t* units = text.utf16();
    if (entry.count & kWide) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (qFromLittleEndian<quint16>(entry.chars + 2 * i) != units[i]) return false;
        }
        return true;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(entry.chars);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (bytes[i] != units[i]) return false;
    }
    return true;
}

void BiffSharedStrings::growIndex() {
    const std::size_t size = std::max<std::size_t>(1024, m_slots.size() * 2);
    m_slots.assign(size, 0);
    const std::size_t mask = size - 1;
    for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
        std::size_t slot = m_entries[i].hash & mask;
        while (m_slots[slot] != 0) slot = (slot + 1) & mask;
        m_slots[slot] = slotValue(m_entries[i].hash, i);
    }
}

std::uint32_t BiffSharedStrings::add(QStringView text) {
    ++m_references;
    if ((m_entries.size() + 1) * 2 > m_slots.size()) growIndex();
    const std::uint32_t hash = hashOf(text);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = hash & mask;
    // The hash in the slot spares a look at the entry for every other text on the way.
    for (; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        if (std::uint32_t(m_slots[slot] >> 32) != hash) continue;
        const std::uint32_t index = std::uint32_t(m_slots[slot]) - 1;
        if (matches(m_entries[index], text)) return index;
    }

    const char16_t* units = text.utf16();
    const qsizetype count = text.size();
    const bool wide = std::any_of(units, units + count, [](char16_t c) { return c > 0xFF; });
    char* chars = m_chars.extend(wide ? 2 * count : count);
    if (wide) {
        qToLittleEndian<quint16>(units, count, chars);
    } else {
        for (qsizetype i = 0; i < count; ++i) chars[i] = static_cast<char>(units[i]);
    }
    const auto index = static_cast<std::uint32_t>(m_entries.size());
    m_entries.push_back({chars, std::uint32_t(count) | (wide ? kWide : 0), hash});
    m_slots[slot] = slotValue(hash, index);
    return index;
}

template <typename Output>
void BiffSharedStrings::emitRecords(Output& out, std::uint32_t perBucket) const {
    const std::uint32_t unique = uniqueCount();
    out.begin(BiffCode::Sst);
    out.u32(m_references);
    out.u32(unique);
    for (std::uint32_t i = 0; i < unique; ++i) {
        const Entry& entry = m_entries[i];
        const char* chars = entry.chars;
        const qsizetype count = entry.count & ~kWide;
        const bool wide = (entry.count & kWide) != 0;
        const int unitSize = wide ? 2 : 1;
        const bool startsWithPair = wide && count > 1 && isHigh(chars, 0) && isLow(chars, 1);
        const int firstCharacter = count == 0 ? 0 : (startsWithPair ? 4 : unitSize);
        if (out.room() < kStringHeaderSize + firstCharacter) out.begin(BiffCode::Continue);

        if (out.planning() && i % perBucket == 0) {
            out.noteBucket(out.position(),
                           static_cast<std::uint16_t>(out.position() - out.recordStart()));
        }
        out.u16(static_cast<std::uint16_t>(count));
        out.u8(wide ? kFlagHighByte : 0);
        for (qsizetype done = 0; done < count;) {
            qsizetype take = std::min<qsizetype>(out.room() / unitSize, count - done);
            const qsizetype end = done + take;
            if (end < count && take > 0 && wide && isHigh(chars, end - 1) && isLow(chars, end))
                --take;
            out.data(chars + done * unitSize, take * unitSize);
            done += take;
            if (done < count) {
                out.begin(BiffCode::Continue);
                out.u8(wide ? kFlagHighByte : 0);
            }
        }
    }
}

namespace {

// The planning walk also collects EXTSST's buckets.
class SstPlanner : public SstOutput {
public:
    explicit SstPlanner(BiffSharedStrings::Layout& layout)
        : SstOutput(layout, nullptr), m_plan(layout) {}
    void noteBucket(qint64 position, std::uint16_t offset) {
        m_plan.buckets.push_back({position, offset});
    }
    void finishPlan() {
        finish();
        m_plan.recordSizes = std::move(m_sizes);
    }

private:
    BiffSharedStrings::Layout& m_plan;
};

class SstWriter : public SstOutput {
public:
    SstWriter(const BiffSharedStrings::Layout& layout, const Biff::Sink& sink)
        : SstOutput(layout, &sink) {}
    void noteBucket(qint64, std::uint16_t) {}
};

constexpr int kRecordHeaderSize = 4;

}  // namespace

BiffSharedStrings::Layout BiffSharedStrings::layOut() const {
    Layout layout;
    layout.perBucket =
        std::max(kMinStringsPerBucket, (uniqueCount() + kMaxBuckets - 1) / kMaxBuckets);
    SstPlanner planner(layout);
    emitRecords(planner, layout.perBucket);
    planner.finishPlan();
    layout.size = planner.position() + kRecordHeaderSize + 2 + 8 * qint64(layout.buckets.size());
    return layout;
}

bool BiffSharedStrings::writeRecords(const Layout& layout, qint64 position,
                                     const Biff::Sink& sink) const {
    SstWriter writer(layout, sink);
    emitRecords(writer, layout.perBucket);
    if (!writer.finish()) return false;

    QByteArray index;
    Biff::appendU16(index, static_cast<std::uint16_t>(layout.perBucket));
    for (const Layout::Bucket& bucket : layout.buckets) {
        Biff::appendU32(index, static_cast<std::uint32_t>(position + bucket.position));
        Biff::appendU16(index, bucket.offsetInRecord);
        Biff::appendU16(index, 0);
    }
    QByteArray record;
    Biff::appendRecord(record, BiffCode::ExtSst, index);
    return sink(record.constData(), record.size());
}
