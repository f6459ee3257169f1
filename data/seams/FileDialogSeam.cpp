#include "data/seams/FileDialogSeam.h"

namespace {

FileDialogs* g_dialogs = nullptr;

}  // namespace

FileDialogs* setFileDialogs(FileDialogs* dialogs) {
    FileDialogs* previous = g_dialogs;
    g_dialogs = dialogs;
    return previous;
}

FileDialogs* fileDialogs() {
    return g_dialogs;
}

FileDialogChoice ChooseFileToOpen(const QString& title, const QStringList& filters,
                                  const QString& folder) {
    return g_dialogs ? g_dialogs->openFile(title, filters, folder) : FileDialogChoice{};
}

FileDialogChoice ChooseFileToSave(const QString& title, const QStringList& filters,
                                  const QString& folder) {
    return g_dialogs ? g_dialogs->saveFile(title, filters, folder) : FileDialogChoice{};
}
