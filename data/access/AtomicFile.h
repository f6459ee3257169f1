#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>

// Writes go through the temporary file itself, or through a device this filter wraps around it.
// The program never sets one; tests do, to make a write fail as on a full disk.
using WriteDeviceFilter = std::function<std::unique_ptr<QIODevice>(QIODevice& file)>;

enum class ExistingTarget {
    Refuse,   // a file already at the target is left alone and the write fails
    Replace,  // a file already at the target is replaced, once the new one is complete
};

// Puts `bytes` at `target` completely or not at all. They are written to a hidden temporary file
// in the target's folder, flushed to the disk and then renamed to the target, so that at every
// moment the target is either as it was before or complete. On failure the temporary file is
// removed and nothing else is touched. Returns a native error code:
//   CannotCreateFile  the folder is missing or cannot take a new file, or the target is a folder
//   TargetExists      `existing` is Refuse and something is at the target
//   WriteFailed       a write or the flush failed (a full disk)
int writeFileAtomically(const QString& target, const QByteArray& bytes, ExistingTarget existing,
                        const WriteDeviceFilter& filter = {});

// The same for content written by `write` into the temporary file, which it may also seek in and
// read back; it returns false when the content could not be written (WriteFailed then).
using FileContentWriter = std::function<bool(QIODevice& device)>;
int writeFileAtomically(const QString& target, const FileContentWriter& write,
                        ExistingTarget existing, const WriteDeviceFilter& filter = {});

// A file that a library writes by its name, which appears at its target only once complete: the
// library writes a hidden temporary file beside the target, which commit() flushes to the disk
// and renames to the target. A file never committed is removed when this object goes.
class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Makes the empty temporary file; CannotCreateFile when the folder cannot take it.
    int begin(const QString& target);
    const QString& temporaryPath() const { return m_temporaryPath; }
    // Puts the written file in place, with writeFileAtomically's error codes.
    int commit(ExistingTarget existing);
    // Removes the temporary file: nothing is put in place.
    void discard();

private:
    QFileInfo m_target;
    QString m_temporaryPath;
};

// The errno of the last failure of the functions above on this thread (a folder that refuses a
// new file, a full disk), or 0 when none was recorded since ClearFileSystemError.
int LastFileSystemError();
void ClearFileSystemError();

// Tests only: every new file these functions make fails with `errnum` as a folder without write
// permission would (0 ends this). Tests run as root, whom no folder's permissions stop.
void FailNewFilesForTests(int errnum);

// Whether a new file can be created in `folder`: it is a folder and a file can be made in it
// (checked by making and removing a hidden temporary file, since permissions alone do not tell,
// for instance for root or on a read-only mount).
bool folderTakesNewFiles(const QString& folder);
