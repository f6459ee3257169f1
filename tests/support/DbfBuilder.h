#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// Writes dBase tables byte by byte, so tests can make the damaged and unusual tables that no
// well-behaved writer would produce.
struct DbfBuilderField {
    QByteArray name;  // at most 11 bytes
    char type = 'C';
    int width = 10;
    int decimals = 0;
    std::uint8_t flags = 0;  // Visual FoxPro: 0x01 system field, 0x02 can be null
};

struct DbfBuilder {
    std::uint8_t version = 0x03;
    std::uint8_t languageDriver = 0x00;
    std::vector<DbfBuilderField> fields;
    std::vector<std::vector<QByteArray>> records;  // raw field texts, padded to the width
    std::vector<bool> deleted;                     // per record; missing entries are active
    long long headerRecordCount = -1;              // -1: the real count
    bool endOfFileMarker = true;

    QByteArray bytes() const;
    bool write(const QString& path) const;
};

// Writes the memo file of a table: each text gets an entry of its own, and its block number is
// what the record's memo field holds; an empty text gets none (block 0).
struct DbfMemoBuilder {
    enum class Layout { DbaseIII, FoxPro };
    Layout layout = Layout::DbaseIII;
    int blockSize = 512;  // FoxPro's own; dBase III's is always 512

    // The file's bytes; `blocks` gets the block number of each text.
    QByteArray bytes(const std::vector<QByteArray>& texts,
                     std::vector<std::uint32_t>& blocks) const;
};
