#include "data/access/dbf/DbfMemoFile.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include "data/access/NativeError.h"

namespace {

constexpr qint64 kHeaderSize = 512;
constexpr qint64 kDbaseIIIBlockSize = 512;
constexpr std::uint8_t kDbaseIIIWithMemo = 0x83;
constexpr char kEndOfText = 0x1A;
constexpr std::uint32_t kFoxProText = 1;
constexpr std::uint32_t kDbaseIVEntryHeaderSize = 8;

bool isFoxProTable(std::uint8_t version) {
    return version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5;
}

bool isDbaseIVEntry(const uchar* head) {
    return head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00;
}

}  // namespace

QString memoFileBeside(const QString& tablePath, std::uint8_t tableVersion) {
    const QFileInfo table(tablePath);
    const QDir folder = table.dir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden, QDir::Unsorted);
    QStringList suffixes{QStringLiteral(".dbt"), QStringLiteral(".fpt")};
    if (isFoxProTable(tableVersion)) suffixes.swapItemsAt(0, 1);
    for (const QString& suffix : suffixes) {
        const QString wanted = table.completeBaseName() + suffix;
        QString found;
        for (const QString& entry : entries) {
            if (entry.compare(wanted, Qt::CaseInsensitive) != 0) continue;
            // Where several differ only in case, the one in the table's own case wins.
            if (entry == wanted || found.isEmpty()) found = entry;
        }
        if (!found.isEmpty()) return folder.filePath(found);
    }
    return {};
}

int DbfMemoFile::open(const QString& tablePath, std::uint8_t tableVersion) {
    close();
    const QString path = memoFileBeside(tablePath, tableVersion);
    if (path.isEmpty()) return NativeError::Unreadable;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) return NativeError::Unreadable;
    m_size = m_file.size();
    const QByteArray header = m_file.read(kHeaderSize);
    if (header.size() < kHeaderSize) {
        close();
        return NativeError::Unreadable;
    }
    const auto* b = reinterpret_cast<const uchar*>(header.constData());
    if (path.endsWith(QLatin1String(".fpt"), Qt::CaseInsensitive)) {
        m_layout = Layout::FoxPro;
        m_blockSize = qFromBigEndian<quint16>(b + 6);
    } else {
        m_layout = Layout::Dbase;
        const quint16 declared = qFromLittleEndian<quint16>(b + 20);
        m_blockSize =
            tableVersion == kDbaseIIIWithMemo || declared == 0 ? kDbaseIIIBlockSize : declared;
    }
    if (m_blockSize == 0) {
        close();
        return NativeError::Unreadable;
    }
    return NativeError::None;
}

void DbfMemoFile::close() {
    m_file.close();
    m_size = 0;
    m_blockSize = 0;
}

bool DbfMemoFile::read(std::uint64_t block, QByteArray& bytes, bool& isText) {
    bytes.clear();
    isText = true;
    if (block == 0) return true;
    if (!m_file.isOpen() || block > static_cast<std::uint64_t>(m_size / m_blockSize)) return false;
    const qint64 offset = static_cast<qint64>(block) * m_blockSize;
    if (offset < kHeaderSize || offset >= m_size || !m_file.seek(offset)) return false;
    const qint64 left = m_size - offset;

    uchar head[8] = {};
    const qint64 headSize = m_file.read(reinterpret_cast<char*>(head), sizeof head);
    qint64 length = -1;
    if (m_layout == Layout::FoxPro) {
        if (headSize != sizeof head) return false;
        isText = qFromBigEndian<quint32>(head) == kFoxProText;
        length = qFromBigEndian<quint32>(head + 4);
    } else if (headSize == sizeof head && isDbaseIVEntry(head)) {
        const quint32 declared = qFromLittleEndian<quint32>(head + 4);
        if (declared < kDbaseIVEntryHeaderSize) return false;
        length = declared - kDbaseIVEntryHeaderSize;
    }
    if (length >= 0) {
        if (length > left - static_cast<qint64>(sizeof head)) return false;
        if (!isText) return true;  // not shown: no need to read it
        bytes.resize(length);
        return m_file.read(bytes.data(), length) == length;
    }

    // dBase III: the text runs from the start of its block to its end mark (or the file's end).
    if (!m_file.seek(offset)) return false;
    while (!m_file.atEnd()) {
        const QByteArray chunk = m_file.read(kDbaseIIIBlockSize);
        if (chunk.isEmpty()) return false;
        const qsizetype end = chunk.indexOf(kEndOfText);
        if (end >= 0) {
            bytes.append(chunk.constData(), end);
            break;
        }
        bytes.append(chunk);
    }
    return true;
}

bool DbfMemoFile::blockNumber(const char* field, int width, std::uint64_t& block) {
    block = 0;
    if (width == 4) {
        block = qFromLittleEndian<quint32>(field);
        return true;
    }
    int first = 0, last = width;
    while (first < last && (field[first] == ' ' || field[first] == '\0')) ++first;
    while (last > first && (field[last - 1] == ' ' || field[last - 1] == '\0')) --last;
    if (last - first > 19) return false;  // more digits than 64 bits hold
    for (int i = first; i < last; ++i) {
        if (field[i] < '0' || field[i] > '9') return false;
        block = block * 10 + static_cast<std::uint64_t>(field[i] - '0');
    }
    return true;
}
