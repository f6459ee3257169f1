#include "data/access/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

bool hasOfficeLockFile(const QString& path) {
    const QFileInfo info(path);
    const QString lockFile =
        info.path() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
    return QFileInfo::exists(lockFile);
}

// Probes without taking a lock: a POSIX record lock held for writing by another process, or an
// exclusive flock.
bool hasAdvisoryWriteLock(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    bool locked = false;
    struct flock probe = {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) locked = true;
    if (!locked) {
        if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
            locked = errno == EWOULDBLOCK;
        } else {
            ::flock(fd, LOCK_UN);
        }
    }
    ::close(fd);
    return locked;
}

}  // namespace

bool isLockedByAnotherProgram(const QString& path) {
    return hasOfficeLockFile(path) || hasAdvisoryWriteLock(path);
}
