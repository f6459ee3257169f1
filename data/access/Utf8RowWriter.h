#pragma once

#include <QLatin1String>
#include <QStringView>
#include <functional>
#include <memory>

// Rows of texts written as UTF-8 as they come, for output of any size: each field is encoded
// straight from its UTF-16 text into one buffer (escapes applied on the way, nothing allocated
// per field), which is handed on whole in large writes. `Format` says how fields are separated,
// how rows end and what a field's text becomes: see CsvRowFormat and EscapedTabRowFormat.
template <typename Format>
class Utf8RowWriter {
public:
    // Takes `size` bytes; false when they could not all be written.
    using Sink = std::function<bool(const char* data, qsizetype size)>;
    static constexpr qsizetype kBufferSize = qsizetype(1) << 20;

    explicit Utf8RowWriter(Sink sink);
    Utf8RowWriter(const Utf8RowWriter&) = delete;
    Utf8RowWriter& operator=(const Utf8RowWriter&) = delete;

    void addField(QStringView text);
    // A field that needs no escapes, such as a number or a date written by the program.
    void addPlainField(QLatin1String text);
    // Ends the row; false once a write has failed.
    bool endRow();
    // Hands everything written so far on; false once a write has failed.
    bool flush();

private:
    // Room for `bytes` more at m_end, handing the buffer on first when it is full.
    char* room(qsizetype bytes);
    char* startField(qsizetype bytes);

    Sink m_sink;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = kBufferSize;
    qsizetype m_end = 0;
    int m_fieldsInRow = 0;
    bool m_rowHasText = false;
    bool m_failed = false;
};

// CSV: fields separated by commas, rows ended by CRLF. A field is put in double quotes, a quote
// inside it doubled, when it holds a comma, a quote, a CR or an LF, or starts or ends with a
// blank or a tab (which readers would otherwise trim). The only field of a row is written as ""
// when empty, so that no row becomes a blank line, which readers skip. A UTF-16 unit that is
// not part of a character (a lone surrogate) becomes "?".
struct CsvRowFormat;
// Tab-separated lines ended by LF, a field's backslash, tab, carriage return and line feed
// written as \\, \t, \r and \n, so that every row stays one line; a lone surrogate becomes
// U+FFFD.
struct EscapedTabRowFormat;

using CsvRowWriter = Utf8RowWriter<CsvRowFormat>;
using EscapedTabRowWriter = Utf8RowWriter<EscapedTabRowFormat>;
