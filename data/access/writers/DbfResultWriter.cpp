#include "data/access/writers/DbfResultWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "data/access/NativeError.h"
#include "data/access/writers/DbfFieldNames.h"

namespace {

struct FieldPlan {
    DbfFieldLayout layout;
    std::vector<QByteArray> numbers;  // numeric fields: each value's digits, empty for no value
};

// A declared number column as a numeric field, when every value is a number that fits.
bool planNumericField(const std::vector<QStringView>& values, const ResultNumberReader& reader,
                      FieldPlan& plan) {
    int integerDigits = 1;
    int decimals = 0;
    plan.numbers.reserve(values.size());
    for (const QStringView value : values) {
        if (value.isEmpty()) {
            plan.numbers.emplace_back();
            continue;
        }
        const std::optional<double> number = reader.read(value);
        if (!number) return false;
        QByteArray digits = dbaseNumberText(*number);
        const qsizetype point = digits.indexOf('.');
        integerDigits = std::max<int>(integerDigits, point < 0 ? digits.size() : point);
        decimals = std::max<int>(decimals, point < 0 ? 0 : digits.size() - point - 1);
        plan.numbers.push_back(std::move(digits));
    }
    const int width = integerDigits + (decimals > 0 ? decimals + 1 : 0);
    if (width > DbfResultWriter::kMaxFieldWidth) return false;
    plan.layout.type = 'N';
    plan.layout.width = width;
    plan.layout.decimals = decimals;
    // Every number with the field's decimals, right-aligned: "  1.50", " 12.00", "-3.25".
    for (QByteArray& digits : plan.numbers) {
        if (digits.isEmpty()) {
            digits = QByteArray(width, ' ');
            continue;
        }
        if (decimals > 0) {
            qsizetype point = digits.indexOf('.');
            if (point < 0) {
                point = digits.size();
                digits += '.';
            }
            digits += QByteArray(decimals - (digits.size() - point - 1), '0');
        }
        digits.prepend(QByteArray(width - digits.size(), ' '));
    }
    return true;
}

void planCharacterField(const std::vector<QStringView>& values, DbfEncoding encoding,
                        FieldPlan& plan) {
    qsizetype width = 1;
    for (const QStringView value : values)
        width = std::max(width, DbfText::byteLength(value, encoding));
    plan.layout.type = 'C';
    plan.layout.width = static_cast<int>(width);
    plan.layout.decimals = 0;
}

bool removeIfPresent(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return QFile::remove(path);
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
    return NativeError::None;
}

int DbfResultWriter::appendRow(const QStringList& values) {
    // A value must fit a field in the code page the table will have. The first value that does
    // not fit cp1252 turns the whole table to UTF-8, where earlier values may take more bytes:
    // such a value is refused rather than leave an earlier one too long.
    bool rowNeedsUtf8 = false;
    qsizetype rowLongestUtf8 = 0;
    for (const QString& value : values) {
        if (value.contains(QChar(0))) return NativeError::ValueDoesNotFit;
        const bool fits = DbfText::fitsCp1252(value);
        const qsizetype utf8 = DbfText::byteLength(value, DbfEncoding::Utf8);
        const qsizetype bytes = (m_needsUtf8 || !fits) ? utf8 : value.size();
        if (bytes > kMaxFieldWidth) return NativeError::ValueDoesNotFit;
        rowNeedsUtf8 = rowNeedsUtf8 || !fits;
        rowLongestUtf8 = std::max(rowLongestUtf8, utf8);
    }
    if (rowNeedsUtf8 && !m_needsUtf8 && m_longestUtf8 > kMaxFieldWidth)
        return NativeError::ValueDoesNotFit;

    m_needsUtf8 = m_needsUtf8 || rowNeedsUtf8;
    m_longestUtf8 = std::max(m_longestUtf8, rowLongestUtf8);
    for (const QString& value : values) {
        m_values += value;
        m_ends.push_back(m_values.size());
    }
    return NativeError::None;
}

QStringView DbfResultWriter::valueAt(qint64 row, int column) const {
    const auto index =
        static_cast<std::size_t>(row) * columns().size() + static_cast<std::size_t>(column);
    const qsizetype begin = index == 0 ? 0 : m_ends[index - 1];
    return QStringView(m_values).mid(begin, m_ends[index] - begin);
}

int DbfResultWriter::close() {
    if (!hasTable()) return NativeError::None;
    const DbfEncoding encoding = m_needsUtf8 ? DbfEncoding::Utf8 : DbfEncoding::Cp1252;
    const qint64 rows = rowCount();
    const int fieldCount = static_cast<int>(columns().size());

    QStringList names;
    for (const ColumnDefinition& column : columns()) names << column.name;
    const std::vector<QByteArray> fieldNames = DbfFieldNames::assign(names, encoding);

    std::vector<FieldPlan> plans(static_cast<std::size_t>(fieldCount));
    for (int c = 0; c < fieldCount; ++c) {
        FieldPlan& plan = plans[static_cast<std::size_t>(c)];
        plan.layout.name = fieldNames[static_cast<std::size_t>(c)];
        std::vector<QStringView> values;
        values.reserve(static_cast<std::size_t>(rows));
        for (qint64 r = 0; r < rows; ++r) values.push_back(valueAt(r, c));
        const ColumnType type = columns()[static_cast<std::size_t>(c)].type;
        const bool numeric = (type == ColumnType::Integer || type == ColumnType::Real) &&
                             planNumericField(values, m_numbers, plan);
        if (!numeric) {
            plan.numbers.clear();
            planCharacterField(values, encoding, plan);
        }
    }

    std::vector<DbfFieldLayout> layouts;
    for (const FieldPlan& plan : plans) layouts.push_back(plan.layout);
    DbfFiles files;
    const int code = writeDbfTable(
        encoding, layouts, rows,
        [&](qint64 record, int field) {
            const FieldPlan& plan = plans[static_cast<std::size_t>(field)];
            if (plan.layout.type == 'N') return plan.numbers[static_cast<std::size_t>(record)];
            return DbfText::encode(valueAt(record, field), encoding);
        },
        QDate::currentDate(), files);
    if (code != NativeError::None) return code;
    return commit(files);
}

int DbfResultWriter::commit(const DbfFiles& files) const {
    const int code =
        writeFileAtomically(m_tablePath, files.table, ExistingTarget::Refuse, m_filter);
    if (code != NativeError::None) return code;

    const QFileInfo table(m_tablePath);
    const QString base = table.absolutePath() + QLatin1Char('/') + table.completeBaseName();
    bool companionsDone = true;
    if (!files.codePage.isEmpty()) {
        companionsDone =
            removeIfPresent(base + QStringLiteral(".CPG")) &&
            writeFileAtomically(base + QStringLiteral(".cpg"), files.codePage,
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
