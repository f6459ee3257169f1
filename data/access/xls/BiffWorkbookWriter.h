#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "data/access/xls/BiffSharedStrings.h"
#include "data/access/ChunkedBytes.h"

// Composes the "Workbook" stream of a BIFF8 workbook with one worksheet: the shared strings must
// precede the sheet's cells in the stream, so nothing can be written before the last cell is
// known. Cells are added row by row, left to right, and kept as their records (14 or 18 bytes a
// cell); the stream is then written piece by piece, never held whole.
//
// The records are the few that every common reader (office suites, xlrd, our own reader)
// accepts: workbook globals (BOF, CODEPAGE 1200, WINDOW1, four FONTs, 16 style XFs and one cell
// XF, STYLE, BOUNDSHEET, SST with CONTINUE, EXTSST, EOF) and the sheet (BOF, DIMENSIONS, the
// NUMBER and LABELSST cells, WINDOW2, EOF).
class BiffWorkbookWriter {
public:
    static constexpr int kMaxRows = 65536;   // rows 0 .. 65,535
    static constexpr int kMaxColumns = 256;  // columns A .. IV

    explicit BiffWorkbookWriter(const QString& sheetName);

    void addNumber(int row, int column, double value);
    // `text` holds at most BiffSharedStrings::kMaxLength UTF-16 units.
    void addText(int row, int column, QStringView text);

    // Writes the whole stream. It is at least 4,096 bytes long: a shorter stream would be stored
    // in the compound file's mini stream, which not every reader follows. The padding after the
    // last EOF record is never read.
    bool writeStream(const Biff::Sink& sink) const;
    // The same stream in memory, for small workbooks.
    QByteArray workbookStream() const;


private:
    void noteCell(int row, int column);
    char* cellRecord(std::uint16_t code, int valueSize, int row, int column);

    QString m_sheetName;
    BiffSharedStrings m_strings;
    ChunkedBytes m_cells;  // NUMBER and LABELSST records, in the order the cells were added
    int m_lastRow = -1;
    int m_lastColumn = -1;
};
