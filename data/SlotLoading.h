#pragma once

#include <QString>

#include "data/access/CellText.h"

struct clFile;
class ProgressSink;

// The steps that turn a file name and a sheet name into a slot's loaded contents. The commands
// around them (the open dialog, the sheet chooser, the messages) belong to the window; these
// are the parts that the window, quarix-cli, the benchmark and the tests share.

enum class SlotLoad { Loaded, Failed, Cancelled };

struct SlotLoadResult {
    SlotLoad status = SlotLoad::Failed;
    int nativeError = 0;  // the data access layer's code, when status is Failed
    QString cause;        // and the cause it gave (DbConnection::failureCause), if any
};

// Connects a free slot to `path` and lists its sheets into slot.Sheets. File 1 opens in read
// mode, File 2 in read-write mode (a source is never written either way). The extension picks
// the reader: ".dbf" a dBase table, anything else a workbook. A slot in use is emptied first;
// on failure the slot is left free.
SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format = CellTextFormat::system());
// The same, with the reader named by the caller: a dBase table or a workbook.
SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format, bool dbase);

// Reads `sheetName` of an open slot into its contents, a progress step a row. A cancel or a
// failure leaves the slot without contents (still open).
SlotLoadResult LoadSlotSheet(clFile& slot, const QString& sheetName, ProgressSink* progress);

// Both steps: the path's sheet `sheetName` (its first sheet when empty) into a free slot.
SlotLoadResult LoadSlotFromFile(clFile& slot, const QString& path, const QString& sheetName,
                                bool readWrite, ProgressSink* progress,
                                const CellTextFormat& format = CellTextFormat::system());
