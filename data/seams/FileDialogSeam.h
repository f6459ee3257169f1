#pragma once

#include <QString>
#include <QStringList>

// The open and save dialogs. The forms layer installs the platform's file dialogs; tests install
// a script that hands out paths. Without a handler every dialog counts as cancelled.
//
// Filters are Qt name filters, one per file type, e.g. "Excel Files  (*.xls)". A dialog opens
// showing `folder`.

struct FileDialogChoice {
    QString path;         // empty when the user cancelled
    int filterIndex = 0;  // which of the offered filters was selected, counted from 0
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // An existing file to open.
    virtual FileDialogChoice openFile(const QString& title, const QStringList& filters,
                                      const QString& folder) = 0;
    // A file to write; the dialog has asked before an existing file is overwritten.
    virtual FileDialogChoice saveFile(const QString& title, const QStringList& filters,
                                      const QString& folder) = 0;
};

// Installs the dialogs (not owned; nullptr removes them) and returns the ones it replaces.
FileDialogs* setFileDialogs(FileDialogs* dialogs);
FileDialogs* fileDialogs();

FileDialogChoice ChooseFileToOpen(const QString& title, const QStringList& filters,
                                  const QString& folder);
FileDialogChoice ChooseFileToSave(const QString& title, const QStringList& filters,
                                  const QString& folder);
