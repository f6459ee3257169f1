#include "data/access/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

#include "data/access/NativeError.h"

namespace {

constexpr qint64 kChunkSize = 1 << 20;
constexpr int kNameAttempts = 16;

thread_local int t_lastError = 0;
int g_newFileFailure = 0;

// Records the cause of a failure; returns `code`, the native error the caller returns.
int failed(int code, int errnum) {
    if (errnum != 0) t_lastError = errnum;
    return code;
}

// A hidden name in `folder` that no file has yet, created and opened for writing. The mode
// 0666 lets the user's umask decide the permissions, as for any new file. On failure errno
// tells why.
int createTemporaryFile(const QString& folder, QString& path) {
    if (g_newFileFailure != 0) {
        errno = g_newFileFailure;
        return -1;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path =
            folder + QStringLiteral("/.quarix-%1.tmp")
                         .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Renames without replacing what may be at the target. Where the file system cannot do that in
// one step, a hard link gives the same guarantee.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    if (::link(from.constData(), to.constData()) != 0) return -1;
    ::unlink(from.constData());
    return 0;
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(QIODevice& device, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 size = std::min(kChunkSize, bytes.size() - done);
        const qint64 written = device.write(bytes.constData() + done, size);
        if (written <= 0) return false;
        done += written;
    }
    return true;
}

// Whether a file can go to `target`: a name in an existing folder, and nothing there when
// `existing` is Refuse.
int checkTarget(const QFileInfo& info, ExistingTarget existing) {
    if (info.fileName().isEmpty() || info.isDir())
        return failed(NativeError::CannotCreateFile, EISDIR);
    if (existing == ExistingTarget::Refuse && (info.exists() || info.isSymLink()))
        return failed(NativeError::TargetExists, EEXIST);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) {
        return failed(NativeError::CannotCreateFile, folder.exists() ? ENOTDIR : ENOENT);
    }
    return NativeError::None;
}

// Renames the complete temporary file to the target; on failure it is removed.
int putInPlace(const QByteArray& temporaryName, const QFileInfo& target, ExistingTarget existing) {
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    const int renamed = existing == ExistingTarget::Replace
                            ? ::rename(temporaryName.constData(), targetName.constData())
                            : renameNoReplace(temporaryName, targetName);
    if (renamed != 0) {
        const int reason = errno;
        ::unlink(temporaryName.constData());
        if (reason == EEXIST) return failed(NativeError::TargetExists, reason);
        return failed(reason == EISDIR ? NativeError::CannotCreateFile : NativeError::WriteFailed,
                      reason);
    }
    syncFolder(target.absolutePath());
    return NativeError::None;
}

}  // namespace

int writeFileAtomically(const QString& target, const QByteArray& bytes, ExistingTarget existing,
                        const WriteDeviceFilter& filter) {
    return writeFileAtomically(
        target, [&](QIODevice& device) { return writeAll(device, bytes); }, existing, filter);
}

int writeFileAtomically(const QString& target, const FileContentWriter& write,
                        ExistingTarget existing, const WriteDeviceFilter& filter) {
    const QFileInfo info(target);
    const int code = checkTarget(info, existing);
    if (code != NativeError::None) return code;
    const QString folder = info.absolutePath();

    QString temporaryPath;
    const int fd = createTemporaryFile(folder, temporaryPath);
    if (fd < 0) return failed(NativeError::CannotCreateFile, errno);
    const QByteArray temporaryName = QFile::encodeName(temporaryPath);

    bool written = false;
    errno = 0;
    {
        QFile file;
        if (file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
            std::unique_ptr<QIODevice> wrapper = filter ? filter(file) : nullptr;
            QIODevice& device = wrapper ? *wrapper : file;
            written = write(device);
            if (wrapper) wrapper->close();
            written = written && file.flush() && ::fsync(file.handle()) == 0;
            file.close();
            written = written && file.error() == QFileDevice::NoError;
        } else {
            ::close(fd);
        }
    }
    if (!written) {
        const int reason = errno;  // a full disk's ENOSPC; 0 when the writer gave up on its own
        ::unlink(temporaryName.constData());
        return failed(NativeError::WriteFailed, reason);
    }

    return putInPlace(temporaryName, info, existing);
}

PendingFile::~PendingFile() {
    discard();
}

void PendingFile::discard() {
    if (!m_temporaryPath.isEmpty()) ::unlink(QFile::encodeName(m_temporaryPath).constData());
    m_temporaryPath.clear();
}

int PendingFile::begin(const QString& target) {
    m_target = QFileInfo(target);
    const int code = checkTarget(m_target, ExistingTarget::Replace);
    if (code != NativeError::None) return code;
    QString path;
    const int fd = createTemporaryFile(m_target.absolutePath(), path);
    if (fd < 0) return failed(NativeError::CannotCreateFile, errno);
    ::close(fd);
    m_temporaryPath = path;
    return NativeError::None;
}

int PendingFile::commit(ExistingTarget existing) {
    if (m_temporaryPath.isEmpty()) return NativeError::NotConnected;
    const QByteArray temporaryName = QFile::encodeName(m_temporaryPath);
    m_temporaryPath.clear();  // put in place or removed below, either way no longer ours
    int code = checkTarget(m_target, existing);
    const int fd = ::open(temporaryName.constData(), O_RDONLY | O_CLOEXEC);
    if (code == NativeError::None && (fd < 0 || ::fsync(fd) != 0)) {
        code = failed(NativeError::WriteFailed, errno);
    }
    if (fd >= 0) ::close(fd);
    if (code != NativeError::None) {
        ::unlink(temporaryName.constData());
        return code;
    }
    return putInPlace(temporaryName, m_target, existing);
}

int LastFileSystemError() {
    return t_lastError;
}

void ClearFileSystemError() {
    t_lastError = 0;
}

void FailNewFilesForTests(int errnum) {
    g_newFileFailure = errnum;
}

bool folderTakesNewFiles(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir()) {
        failed(NativeError::CannotCreateFile, info.exists() ? ENOTDIR : ENOENT);
        return false;
    }
    QString probe;
    const int fd = createTemporaryFile(info.absoluteFilePath(), probe);
    if (fd < 0) {
        failed(NativeError::CannotCreateFile, errno);
        return false;
    }
    ::close(fd);
    ::unlink(QFile::encodeName(probe).constData());
    return true;
}
