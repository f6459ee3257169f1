#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

// The shared string table of a BIFF8 workbook: every text cell refers to its text by index, so a
// text of any length (up to the format's 65,535 UTF-16 units) is stored once, however many cells
// show it.
class BiffSharedStrings {
public:
    static constexpr qsizetype kMaxLength = 65535;

    // The index of `text`, added on its first use. Each call counts one more cell.
    std::uint32_t add(const QString& text);
    std::uint32_t uniqueCount() const { return static_cast<std::uint32_t>(m_strings.size()); }

    // Appends the SST record, its CONTINUE records and the EXTSST record to `stream`. The stream's
    // size is taken as the absolute position of the SST record, which EXTSST refers to.
    //
    // A record holds at most 8,224 data bytes. A string's header (its length and flag byte) is
    // never split from its first character; where its characters go on in a CONTINUE record,
    // that record starts with a fresh flag byte, and the split falls between whole characters,
    // never inside a surrogate pair, because readers decode each record's part on its own.
    void appendRecords(QByteArray& stream) const;

private:
    std::vector<QString> m_strings;
    QHash<QString, std::uint32_t> m_index;
    std::uint32_t m_references = 0;
};
