#include "support/DbfBuilder.h"

#include <QFile>

namespace {
void putLittleEndian(QByteArray& bytes, int offset, unsigned long long value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}
void putBigEndian(QByteArray& bytes, int offset, unsigned long long value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = char((value >> (8 * (size - 1 - i))) & 0xFF);
}
}  // namespace

QByteArray DbfBuilder::bytes() const {
    int recordLength = 1;
    for (const DbfBuilderField& field : fields) recordLength += field.width;
    const int headerLength = 32 + 32 * int(fields.size()) + 1;

    QByteArray out(headerLength, '\0');
    out[0] = char(version);
    out[1] = 124;  // last update: 2024-01-01
    out[2] = 1;
    out[3] = 1;
    const unsigned long long count =
        headerRecordCount < 0 ? records.size() : static_cast<unsigned long long>(headerRecordCount);
    putLittleEndian(out, 4, count, 4);
    putLittleEndian(out, 8, headerLength, 2);
    putLittleEndian(out, 10, recordLength, 2);
    out[29] = char(languageDriver);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int at = 32 + 32 * int(i);
        const DbfBuilderField& field = fields[i];
        for (int c = 0; c < field.name.size() && c < 11; ++c) out[at + c] = field.name[c];
        out[at + 11] = field.type;
        out[at + 16] = char(field.width & 0xFF);
        out[at + 17] = char(field.decimals);
        out[at + 18] = char(field.flags);
    }
    out[headerLength - 1] = 0x0D;

    for (std::size_t r = 0; r < records.size(); ++r) {
        out.append(r < deleted.size() && deleted[r] ? '*' : ' ');
        for (std::size_t i = 0; i < fields.size(); ++i) {
            QByteArray value = i < records[r].size() ? records[r][i] : QByteArray();
            value = value.left(fields[i].width);
            // Numbers are right-aligned, everything else left-aligned, as dBase writes them.
            if (fields[i].type == 'N' || fields[i].type == 'F') {
                value = QByteArray(fields[i].width - value.size(), ' ') + value;
            } else {
                value += QByteArray(fields[i].width - value.size(), ' ');
            }
            out.append(value);
        }
    }
    if (endOfFileMarker) out.append(char(0x1A));
    return out;
}

bool DbfBuilder::write(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes()) >= 0;
}

QByteArray DbfMemoBuilder::bytes(const std::vector<QByteArray>& texts,
                                 std::vector<std::uint32_t>& blocks) const {
    const int block = layout == Layout::FoxPro ? blockSize : 512;
    QByteArray out(512, '\0');
    blocks.clear();
    for (const QByteArray& text : texts) {
        if (text.isEmpty()) {
            blocks.push_back(0);
            continue;
        }
        blocks.push_back(std::uint32_t(out.size() / block));
        QByteArray entry;
        if (layout == Layout::FoxPro) {
            entry = QByteArray(8, '\0');
            putBigEndian(entry, 0, 1, 4);  // a text
            putBigEndian(entry, 4, std::uint32_t(text.size()), 4);
            entry += text;
        } else {
            entry = text + "\x1A\x1A";
        }
        entry.append(QByteArray((block - entry.size() % block) % block, '\0'));
        out += entry;
    }
    const unsigned long long nextFree = std::uint32_t(out.size() / block);
    if (layout == Layout::FoxPro) {
        putBigEndian(out, 0, nextFree, 4);
        putBigEndian(out, 6, std::uint32_t(block), 2);
    } else {
        putLittleEndian(out, 0, nextFree, 4);
    }
    return out;
}
