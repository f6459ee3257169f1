#include "data/access/csv/CsvResultWriter.h"

#include <cerrno>
#include <cstdio>

#include "data/access/NativeError.h"

namespace {

constexpr qint64 kSecondsPerDay = 86400;

// Two digits at least, as ISO 8601 writes months, days and times.
void appendNumber(QString& out, qint64 value, int width) {
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%0*lld", width, (long long)value);
    out += QLatin1String(digits, length);
}

}  // namespace

QString isoDateText(const CellTextFormat& format, const QString& cellText, bool withTime) {
    qint64 seconds = 0;
    if (!format.readDateTime(cellText, seconds)) return {};
    qint64 day = seconds / kSecondsPerDay;
    qint64 secondOfDay = seconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --day;
    }
    int year = 0, month = 0, dayOfMonth = 0;
    QDate::fromJulianDay(day).getDate(&year, &month, &dayOfMonth);
    if (year < 1 || year > 9999) return {};
    QString text;
    text.reserve(19);
    appendNumber(text, year, 4);
    text += QLatin1Char('-');
    appendNumber(text, month, 2);
    text += QLatin1Char('-');
    appendNumber(text, dayOfMonth, 2);
    if (withTime || secondOfDay != 0) {
        text += QLatin1Char(' ');
        appendNumber(text, secondOfDay / 3600, 2);
        text += QLatin1Char(':');
        appendNumber(text, secondOfDay / 60 % 60, 2);
        text += QLatin1Char(':');
        appendNumber(text, secondOfDay % 60, 2);
    }
    return text;
}

CsvResultWriter::CsvResultWriter(const QString& path, const QLocale& locale,
                                 WriteDeviceFilter filter)
    : m_path(path), m_filter(std::move(filter)), m_numbers(locale), m_dates(locale) {}

CsvResultWriter::~CsvResultWriter() {
    closeFile();
}

int CsvResultWriter::create() {
    if (m_created) return NativeError::None;
    const int code = writeFileAtomically(m_path, QByteArray(), ExistingTarget::Refuse, m_filter);
    if (code == NativeError::None) m_created = true;
    return code;
}

int CsvResultWriter::defineTable(const QString&, const std::vector<ColumnDefinition>& columns) {
    if (!m_created) return NativeError::NotConnected;
    for (const ColumnDefinition& column : columns) {
        if (column.name.contains(QChar(0))) return NativeError::NameNotUsable;
    }
    int code = m_file.begin(m_path);
    if (code != NativeError::None) return code;
    m_device.setFileName(m_file.temporaryPath());
    if (!m_device.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_file.discard();
        return NativeError::CannotCreateFile;
    }
    if (m_filter) m_wrapper = m_filter(m_device);
    QIODevice& device = m_wrapper ? *m_wrapper : m_device;
    m_rows = std::make_unique<CsvRowWriter>(
        [&device](const char* data, qsizetype size) { return device.write(data, size) == size; });
    m_kinds.clear();
    for (const ColumnDefinition& column : columns) {
        m_rows->addField(column.name);
        switch (column.type) {
            case ColumnType::Integer:
            case ColumnType::Real:
                m_kinds.push_back(ValueKind::Number);
                break;
            case ColumnType::Date:
                m_kinds.push_back(ValueKind::Date);
                break;
            case ColumnType::DateTime:
                m_kinds.push_back(ValueKind::DateTime);
                break;
            default:
                m_kinds.push_back(ValueKind::Text);
        }
    }
    if (m_rows->endRow()) return NativeError::None;
    closeFile();
    m_file.discard();
    return NativeError::WriteFailed;
}

int CsvResultWriter::appendRow(const std::vector<QStringView>& values) {
    if (!m_rows) return NativeError::NotConnected;
    // A NUL byte would make the file unreadable as text: refused before anything is written.
    for (const QStringView value : values) {
        if (value.contains(QChar(0))) return NativeError::ValueDoesNotFit;
    }
    char digits[kMaxDbaseNumberText];
    for (std::size_t c = 0; c < values.size(); ++c) {
        const QStringView value = values[c];
        const ValueKind kind = m_kinds[c];
        if (value.isEmpty() || kind == ValueKind::Text) {
            m_rows->addField(value);
        } else if (kind == ValueKind::Number) {
            if (const std::optional<double> number = m_numbers.read(value)) {
                m_rows->addPlainField(QLatin1String(digits, dbaseNumberText(*number, digits)));
            } else {
                m_rows->addField(value);
            }
        } else {
            const QString iso = isoDateText(m_dates, value.toString(), kind == ValueKind::DateTime);
            if (iso.isEmpty()) {
                m_rows->addField(value);
            } else {
                m_rows->addField(iso);
            }
        }
    }
    return m_rows->endRow() ? NativeError::None : NativeError::WriteFailed;
}

bool CsvResultWriter::closeFile() {
    if (!m_rows) return false;
    bool written = m_rows->flush();
    m_rows.reset();
    if (m_wrapper) m_wrapper->close();
    m_wrapper.reset();
    written = m_device.flush() && written;
    m_device.close();
    return written && m_device.error() == QFileDevice::NoError;
}

void CsvResultWriter::abandon() {
    closeFile();
    m_file.discard();
    if (m_created) QFile::remove(m_path);
    m_created = false;
}

int CsvResultWriter::close() {
    if (!m_created || !m_rows) return NativeError::None;
    m_created = false;
    if (!closeFile()) {
        m_file.discard();
        return NativeError::WriteFailed;
    }
    return m_file.commit(ExistingTarget::Replace);
}
