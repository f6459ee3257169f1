#include "data/access/FileProblems.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

QString SystemErrorText(int errnum) {
    return errnum == 0 ? QString() : qt_error_string(errnum);
}

QString SourceFileProblem(const QString& path) {
    // Opened as the reader will open it, so the cause is the one the reader would meet; a FIFO
    // must not block the open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return SystemErrorText(errno);
    struct stat status {};
    const int statted = ::fstat(fd, &status);
    const int reason = errno;
    ::close(fd);
    if (statted != 0) return SystemErrorText(reason);
    if (S_ISDIR(status.st_mode)) return SystemErrorText(EISDIR);
    if (!S_ISREG(status.st_mode)) return QStringLiteral("Not a regular file");
    if (status.st_size == 0) return QStringLiteral("The file is empty");
    return {};
}
