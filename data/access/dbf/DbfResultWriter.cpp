#include "data/access/dbf/DbfResultWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "data/access/NativeError.h"
#include "data/access/dbf/DbfFieldNames.h"

namespace {

constexpr std::uint16_t kHasNumber = 0x8000;

bool removeIfPresent(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return QFile::remove(path);
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

}  // namespace

DbfResultWriter::DbfResultWriter(const QString& folder, const QLocale& locale,
                                 WriteDeviceFilter filter)
    : m_folder(folder), m_filter(std::move(filter)), m_numbers(locale) {}

int DbfResultWriter::create() {
    return folderTakesNewFiles(m_folder) ? NativeError::None : NativeError::CannotCreateFile;
}

int DbfResultWriter::defineTable(const QString& table,
                                 const std::vector<ColumnDefinition>& columns) {
    if (table.contains(QLatin1Char('/')) || table.contains(QChar(0)))
        return NativeError::NameNotUsable;
    const QString path = QDir(m_folder).absoluteFilePath(table + QStringLiteral(".dbf"));
    const QFileInfo info(path);
    if (info.isDir()) return NativeError::CannotCreateFile;
    if (info.exists() || info.isSymLink()) return NativeError::TargetExists;

    bool needsUtf8 = false;
    for (const ColumnDefinition& column : columns) {
        const QString usable = DbfFieldNames::usablePart(column.name);
        if (usable.isEmpty()) return NativeError::NameNotUsable;
        needsUtf8 = needsUtf8 || !DbfText::fitsCp1252(usable);
    }
    m_tablePath = path;
    m_needsUtf8 = needsUtf8;
    m_plans.assign(columns.size(), ColumnPlan());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        m_plans[c].numeric =
            columns[c].type == ColumnType::Integer || columns[c].type == ColumnType::Real;
    }
    return NativeError::None;
}

int DbfResultWriter::appendRow(const std::vector<QStringView>& values) {
    // A value must fit a field in the code page the table will have. The first value that does
    // not fit cp1252 turns the whole table to UTF-8, where earlier values may take more bytes:
    // such a value is refused rather than leave an earlier one too long.
    bool rowNeedsUtf8 = false;
    qsizetype rowLongestUtf8 = 0;
    m_rowUtf8.resize(values.size());
    for (std::size_t c = 0; c < values.size(); ++c) {
        const QStringView value = values[c];
        if (value.contains(QChar(0))) return NativeError::ValueDoesNotFit;
        const bool fits = DbfText::fitsCp1252(value);
        const qsizetype utf8 = DbfText::byteLength(value, DbfEncoding::Utf8);
        m_rowUtf8[c] = utf8;
        const qsizetype bytes = (m_needsUtf8 || !fits) ? utf8 : value.size();
        if (bytes > kMaxFieldWidth) return NativeError::ValueDoesNotFit;
        rowNeedsUtf8 = rowNeedsUtf8 || !fits;
        rowLongestUtf8 = std::max(rowLongestUtf8, utf8);
    }
    if (rowNeedsUtf8 && !m_needsUtf8 && m_longestUtf8 > kMaxFieldWidth)
        return NativeError::ValueDoesNotFit;

    m_needsUtf8 = m_needsUtf8 || rowNeedsUtf8;
    m_longestUtf8 = std::max(m_longestUtf8, rowLongestUtf8);
    for (std::size_t c = 0; c < values.size(); ++c) {
        const QStringView value = values[c];
        ColumnPlan& plan = m_plans[c];
        const qsizetype utf8 = m_rowUtf8[c];
        plan.widestCp1252 = std::max(plan.widestCp1252, value.size());
        plan.widestUtf8 = std::max(plan.widestUtf8, utf8);
        // A numeric field cannot hold text: the first value of a number column that is no
        // number (or needs too many digits) makes the column a character field.
        std::optional<double> number;
        if (plan.numeric && !value.isEmpty()) {
            number = m_numbers.read(value);
            char digits[kMaxDbaseNumberText];
            const int length = number ? dbaseNumberText(*number, digits) : 0;
            if (length > 0) {
                const char* dot = static_cast<const char*>(std::memchr(digits, '.', size_t(length)));
                const int point = dot ? int(dot - digits) : -1;
                plan.integerDigits = std::max<int>(plan.integerDigits, point < 0 ? length : point);
                plan.decimals = std::max<int>(plan.decimals, point < 0 ? 0 : length - point - 1);
            }
            const int width = plan.integerDigits + (plan.decimals > 0 ? plan.decimals + 1 : 0);
            if (length == 0 || width > kMaxFieldWidth) {
                plan.numeric = false;
                number.reset();
            }
        }
        char* at = m_values.extend(2 + utf8 + (number ? 8 : 0));
        qToLittleEndian(std::uint16_t(utf8 | (number ? kHasNumber : 0)), at);
        DbfText::writeUtf8(value, at + 2);
        if (number) std::memcpy(at + 2 + utf8, &*number, 8);
    }
    return NativeError::None;
}

int DbfResultWriter::writeTable(QIODevice& device, QByteArray& codePage) const {
    const DbfEncoding encoding = m_needsUtf8 ? DbfEncoding::Utf8 : DbfEncoding::Cp1252;
    QStringList names;
    for (const ColumnDefinition& column : columns()) names << column.name;
    const std::vector<QByteArray> fieldNames = DbfFieldNames::assign(names, encoding);

    std::vector<DbfFieldLayout> layouts;
    for (std::size_t c = 0; c < m_plans.size(); ++c) {
        const ColumnPlan& plan = m_plans[c];
        DbfFieldLayout layout;
        layout.name = fieldNames[c];
        if (plan.numeric) {
            layout.type = 'N';
            layout.decimals = plan.decimals;
            layout.width = plan.integerDigits + (plan.decimals > 0 ? plan.decimals + 1 : 0);
        } else {
            layout.type = 'C';
            layout.width = int(encoding == DbfEncoding::Utf8 ? plan.widestUtf8 : plan.widestCp1252);
        }
        layouts.push_back(layout);
    }

    ChunkedBytes::Reader reader(m_values);
    QByteArray field;
    QByteArray cell;
    return writeDbfTable(
        device, encoding, layouts, rowCount(),
        [&](qint64, int column) -> QByteArrayView {
            const DbfFieldLayout& layout = layouts[std::size_t(column)];
            const std::uint16_t header = qFromLittleEndian<std::uint16_t>(reader.take(2));
            const qsizetype length = header & ~kHasNumber;
            const QByteArrayView utf8(reader.take(length), length);
            double number = 0;
            if (header & kHasNumber) std::memcpy(&number, reader.take(8), 8);
            if (layout.type == 'N') {
                // Right-aligned with the field's decimals: "  1.50", " 12.00", "-3.25".
                field.fill(' ', layout.width);
                if (!(header & kHasNumber)) return field;
                char digits[kMaxDbaseNumberText];
                const int size = dbaseNumberText(number, digits);
                const bool hasPoint = std::memchr(digits, '.', size_t(size)) != nullptr;
                const int decimalsHeld =
                    hasPoint ? size - int(static_cast<const char*>(std::memchr(digits, '.', size_t(size))) - digits) - 1 : 0;
                cell.truncate(0);
                cell.append(digits, size);
                if (layout.decimals > 0 && !hasPoint) cell += '.';
                cell.append(layout.decimals - decimalsHeld, '0');
                std::memcpy(field.data() + layout.width - cell.size(), cell.constData(),
                            size_t(cell.size()));
                return field;
            }
            if (encoding == DbfEncoding::Utf8 || isAscii(utf8)) return utf8;
            field = DbfText::encode(QString::fromUtf8(utf8), encoding);
            return field;
        },
        QDate::currentDate(), codePage);
}

int DbfResultWriter::close() {
    if (!hasTable()) return NativeError::None;
    QByteArray codePage;
    int tableCode = NativeError::None;
    const int code = writeFileAtomically(
        m_tablePath,
        [&](QIODevice& device) {
            tableCode = writeTable(device, codePage);
            return tableCode == NativeError::None;
        },
        ExistingTarget::Refuse, m_filter);
    if (tableCode != NativeError::None) return tableCode;
    if (code != NativeError::None) return code;
    return commitCodePage(codePage);
}

int DbfResultWriter::commitCodePage(const QByteArray& codePage) const {
    const QFileInfo table(m_tablePath);
    const QString base = table.absolutePath() + QLatin1Char('/') + table.completeBaseName();
    bool companionsDone = true;
    if (!codePage.isEmpty()) {
        companionsDone =
            removeIfPresent(base + QStringLiteral(".CPG")) &&
            writeFileAtomically(base + QStringLiteral(".cpg"), codePage,
                                ExistingTarget::Replace, m_filter) == NativeError::None;
    } else {
        companionsDone = removeIfPresent(base + QStringLiteral(".cpg")) &&
                         removeIfPresent(base + QStringLiteral(".CPG"));
    }
    if (!companionsDone) {
        QFile::remove(m_tablePath);
        return NativeError::WriteFailed;
    }
    return NativeError::None;
}
