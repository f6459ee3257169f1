#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

// The memo file of a dBase table, which holds the texts of its memo fields; a record holds the
// number of the block where its text starts. dBase III and IV write NAME.dbt, FoxPro and Visual
// FoxPro NAME.fpt; each starts with a 512-byte header.
//   dBase III: 512-byte blocks; a text runs to its end mark 0x1A (written twice).
//   dBase IV: the block size is in the header (offset 20, little-endian); an entry starts
//     FF FF 08 00 and its length, header included (little-endian 32 bits).
//   FoxPro: the block size is in the header (offset 6, big-endian); an entry starts with its
//     type (1: text, 0 and 2: pictures and objects) and length, both big-endian 32 bits.
class DbfMemoFile {
public:
    // Opens the memo file beside the table and reads its header. Returns NativeError::None, or
    // NativeError::Unreadable when there is none or its header is damaged. `tableVersion` is the
    // table's first header byte.
    int open(const QString& tablePath, std::uint8_t tableVersion);
    void close();

    // The memo starting at `block` (0: the empty memo). `isText` is false for FoxPro's pictures
    // and objects, whose bytes are left out. False when the memo does not lie within the file.
    bool read(std::uint64_t block, QByteArray& bytes, bool& isText);

    // The block number a memo field holds: ASCII digits, blank for none, or in a four-byte field
    // (Visual FoxPro) a little-endian integer. False when the field holds no number.
    static bool blockNumber(const char* field, int width, std::uint64_t& block);

private:
    enum class Layout { Dbase, FoxPro };
    QFile m_file;
    qint64 m_size = 0;
    qint64 m_blockSize = 0;
    Layout m_layout = Layout::Dbase;
};

// The memo file beside a table: NAME.dbt or NAME.fpt in any letter case, the one its version
// calls for first. Empty when there is none.
QString memoFileBeside(const QString& tablePath, std::uint8_t tableVersion);
