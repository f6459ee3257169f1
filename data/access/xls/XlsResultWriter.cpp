#include "data/access/xls/XlsResultWriter.h"

#include <QFile>

#include "data/access/NativeError.h"
#include "data/access/SheetNames.h"
#include "data/access/xls/CompoundFileWriter.h"

namespace {

const char kWorkbookStream[] = "Workbook";
const QString kEmptySheetName = QStringLiteral("Sheet1");

int commit(const QString& path, const BiffWorkbookWriter& workbook, ExistingTarget existing,
           const WriteDeviceFilter& filter) {
    return writeFileAtomically(
        path,
        [&](QIODevice& device) {
            return writeCompoundFile(device, kWorkbookStream, [&](const Biff::Sink& sink) {
                return workbook.writeStream(sink);
            });
        },
        existing, filter);
}

}  // namespace

XlsResultWriter::XlsResultWriter(const QString& path, const QLocale& locale,
                                 WriteDeviceFilter filter)
    : m_path(path), m_filter(std::move(filter)), m_numbers(locale) {}

int XlsResultWriter::create() {
    if (m_created) return NativeError::None;
    const int code =
        commit(m_path, BiffWorkbookWriter(kEmptySheetName), ExistingTarget::Refuse, m_filter);
    if (code == NativeError::None) m_created = true;
    return code;
}

int XlsResultWriter::defineTable(const QString& table,
                                 const std::vector<ColumnDefinition>& columns) {
    if (!m_created) return NativeError::NotConnected;
    if (!SheetNames::isUsable(table)) return NativeError::NameNotUsable;
    for (const ColumnDefinition& column : columns) {
        if (column.name.size() > BiffSharedStrings::kMaxLength) return NativeError::NameNotUsable;
    }
    auto workbook = std::make_unique<BiffWorkbookWriter>(table);
    m_numberColumn.clear();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        workbook->addText(0, static_cast<int>(c), columns[c].name);
        m_numberColumn.push_back(columns[c].type == ColumnType::Integer ||
                                 columns[c].type == ColumnType::Real);
    }
    m_workbook = std::move(workbook);
    return NativeError::None;
}

int XlsResultWriter::appendRow(const std::vector<QStringView>& values) {
    for (const QStringView value : values) {
        if (value.size() > BiffSharedStrings::kMaxLength) return NativeError::ValueDoesNotFit;
    }
    const int row = static_cast<int>(rowCount()) + 1;  // below the heading row
    for (std::size_t c = 0; c < values.size(); ++c) {
        const QStringView value = values[c];
        if (value.isEmpty()) continue;
        if (m_numberColumn[c]) {
            if (const std::optional<double> number = m_numbers.read(value)) {
                m_workbook->addNumber(row, static_cast<int>(c), *number);
                continue;
            }
        }
        m_workbook->addText(row, static_cast<int>(c), value);
    }
    return NativeError::None;
}

void XlsResultWriter::abandon() {
    if (m_created) QFile::remove(m_path);
    m_workbook.reset();
    m_created = false;
}

int XlsResultWriter::close() {
    if (!m_created || !m_workbook) return NativeError::None;
    const int code = commit(m_path, *m_workbook, ExistingTarget::Replace, m_filter);
    m_workbook.reset();
    m_created = false;
    return code;
}
