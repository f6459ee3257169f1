#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "data/access/xls/BiffRecord.h"
#include "data/access/ChunkedBytes.h"

// The shared string table of a BIFF8 workbook: every text cell refers to its text by index, so a
// text of any length (up to the format's 65,535 UTF-16 units) is stored once, however many cells
// show it.
//
// A result may hold hundreds of thousands of distinct texts, so each is kept once, as the bytes
// the table will hold (one byte a character when every character is Latin-1, otherwise UTF-16),
// with a 16-byte entry and an open-addressing index of 64-bit slots: no object per text.
class BiffSharedStrings {
public:
    static constexpr qsizetype kMaxLength = 65535;

    // The index of `text`, added on its first use. Each call counts one more cell.
    std::uint32_t add(QStringView text);
    std::uint32_t uniqueCount() const { return static_cast<std::uint32_t>(m_entries.size()); }

    // Where the records break and where EXTSST's buckets point, worked out before anything is
    // written: the workbook needs the table's size before it writes the records.
    struct Layout {
        std::vector<std::uint16_t> recordSizes;  // SST, then each CONTINUE
        struct Bucket {
            qint64 position;               // of the string's header, from the SST record's start
            std::uint16_t offsetInRecord;  // from the start of its record's header
        };
        std::vector<Bucket> buckets;
        std::uint32_t perBucket = 0;
        qint64 size = 0;  // every record, EXTSST included
    };
    Layout layOut() const;

    // Writes the SST record, its CONTINUE records and the EXTSST record; `position` is the
    // absolute stream position of the SST record, which EXTSST refers to.
    //
    // A record holds at most 8,224 data bytes. A string's header (its length and flag byte) is
    // never split from its first character; where its characters go on in a CONTINUE record,
    // that record starts with a fresh flag byte, and the split falls between whole characters,
    // never inside a surrogate pair, because readers decode each record's part on its own.
    bool writeRecords(const Layout& layout, qint64 position, const Biff::Sink& sink) const;

private:
    struct Entry {
        const char* chars;    // Latin-1 bytes, or UTF-16 little-endian
        std::uint32_t count;  // UTF-16 units; the top bit marks UTF-16
        std::uint32_t hash;
    };
    static constexpr std::uint32_t kWide = 0x80000000u;

    template <typename Output>
    void emitRecords(Output& out, std::uint32_t perBucket) const;
    bool matches(const Entry& entry, QStringView text) const;
    void growIndex();

    ChunkedBytes m_chars;
    std::vector<Entry> m_entries;
    // A slot holds a text's hash (high half) and its entry index + 1 (low half); 0 is free.
    static std::uint64_t slotValue(std::uint32_t hash, std::uint32_t index) {
        return (std::uint64_t(hash) << 32) | (index + 1);
    }
    std::vector<std::uint64_t> m_slots;
    std::uint32_t m_references = 0;
};
