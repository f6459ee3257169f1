#include "data/access/xlsx/XlsxResultWriter.h"

#include <xlsxwriter.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "data/access/NativeError.h"
#include "data/access/SheetNames.h"

namespace {

const char kEmptySheetName[] = "Sheet1";

lxw_workbook* newWorkbook(const QString& path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    // The row files go where the result goes rather than to a small /tmp.
    QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    options.tmpdir = folder.data();
    return workbook_new_opt(QFile::encodeName(path).constData(), &options);
}

}  // namespace

XlsxResultWriter::XlsxResultWriter(const QString& path, const QLocale& locale)
    : m_path(path), m_numbers(locale) {}

XlsxResultWriter::~XlsxResultWriter() {
    discardWorkbook();
}

void XlsxResultWriter::discardWorkbook() {
    if (m_workbook) lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
}

int XlsxResultWriter::create() {
    if (m_created) return NativeError::None;
    PendingFile empty;
    int code = empty.begin(m_path);
    if (code != NativeError::None) return code;
    if (QFileInfo::exists(m_path) || QFileInfo(m_path).isSymLink())
        return NativeError::TargetExists;
    lxw_workbook* workbook = newWorkbook(empty.temporaryPath());
    if (!workbook || !workbook_add_worksheet(workbook, kEmptySheetName)) {
        if (workbook) lxw_workbook_free(workbook);
        return NativeError::CannotCreateFile;
    }
    if (workbook_close(workbook) != LXW_NO_ERROR) return NativeError::WriteFailed;
    code = empty.commit(ExistingTarget::Refuse);
    if (code == NativeError::None) m_created = true;
    return code;
}

int XlsxResultWriter::defineTable(const QString& table,
                                  const std::vector<ColumnDefinition>& columns) {
    if (!m_created) return NativeError::NotConnected;
    // Excel's rules for sheet names are the same in both formats.
    if (!SheetNames::isUsable(table)) return NativeError::NameNotUsable;
    for (const ColumnDefinition& column : columns) {
        if (column.name.size() > kMaxTextLength) return NativeError::NameNotUsable;
    }
    const int code = m_file.begin(m_path);
    if (code != NativeError::None) return code;
    m_workbook = newWorkbook(m_file.temporaryPath());
    if (!m_workbook) return NativeError::CannotCreateFile;
    m_sheet = workbook_add_worksheet(m_workbook, table.toUtf8().constData());
    if (!m_sheet) {
        discardWorkbook();
        return NativeError::NameNotUsable;
    }
    m_numberColumn.clear();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int written = writeText(0, int(c), columns[c].name);
        if (written != NativeError::None) {
            discardWorkbook();
            return written;
        }
        m_numberColumn.push_back(columns[c].type == ColumnType::Integer ||
                                 columns[c].type == ColumnType::Real);
    }
    return NativeError::None;
}

// A workbook's texts carry characters that XML cannot hold as "_xHHHH_"; a text that holds such a
// sequence itself has its "_" written as "_x005F_", or readers would turn it into a character.
static QByteArray xlsxText(QStringView text) {
    static const QRegularExpression escapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x"))) return text.toUtf8();
    return text.toString().replace(escapeLike, QStringLiteral("_x005F_")).toUtf8();
}

int XlsxResultWriter::writeText(int row, int column, QStringView text) {
    const lxw_error error = worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column),
                                                   xlsxText(text).constData(), nullptr);
    if (error == LXW_NO_ERROR) return NativeError::None;
    return error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED ? NativeError::ValueDoesNotFit
                                                         : NativeError::WriteFailed;
}

int XlsxResultWriter::appendRow(const std::vector<QStringView>& values) {
    // A refused row changes nothing: every value is checked before the first is written.
    for (const QStringView value : values) {
        if (value.size() > kMaxTextLength || value.contains(QChar(0)))
            return NativeError::ValueDoesNotFit;
    }
    const int row = int(rowCount()) + 1;  // below the heading row
    for (std::size_t c = 0; c < values.size(); ++c) {
        const QStringView value = values[c];
        if (value.isEmpty()) continue;
        if (m_numberColumn[c]) {
            if (const std::optional<double> number = m_numbers.read(value)) {
                if (worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(c), *number,
                                           nullptr) != LXW_NO_ERROR) {
                    return NativeError::WriteFailed;
                }
                continue;
            }
        }
        const int code = writeText(row, int(c), value);
        if (code != NativeError::None) return code;
    }
    return NativeError::None;
}

void XlsxResultWriter::abandon() {
    discardWorkbook();
    m_file.discard();
    if (m_created) QFile::remove(m_path);
    m_created = false;
}

int XlsxResultWriter::close() {
    if (!m_created || !m_workbook) return NativeError::None;
    lxw_workbook* workbook = m_workbook;
    m_workbook = nullptr;
    m_sheet = nullptr;
    m_created = false;
    if (workbook_close(workbook) != LXW_NO_ERROR) return NativeError::WriteFailed;
    return m_file.commit(ExistingTarget::Replace);
}
