#include "data/access/NativeError.h"
#include "data/access/TableFileReader.h"

namespace {

// Placeholder until the BIFF reader lands: every workbook is unreadable.
class UnsupportedWorkbookReader final : public WorkbookFileReader {
public:
    int open(const QString&) override { return NativeError::Unreadable; }
    int openBuffer(const QByteArray&) override { return NativeError::Unreadable; }
    QStringList tableNames() const override { return {}; }
    int readTable(const QString&, SheetTable&) override { return NativeError::Unreadable; }
};

}  // namespace

std::unique_ptr<WorkbookFileReader> createWorkbookReader() {
    return std::make_unique<UnsupportedWorkbookReader>();
}
