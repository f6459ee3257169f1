#include "app/ShellSeam.h"

#include <QDir>
#include <QFileInfo>

namespace {

ShellOpener* g_opener = nullptr;

}  // namespace

ShellOpener* setShellOpener(ShellOpener* opener) {
    ShellOpener* previous = g_opener;
    g_opener = opener;
    return previous;
}

ShellOpener* shellOpener() {
    return g_opener;
}

bool ShellOpen(const QUrl& url) {
    return g_opener && g_opener->openUrl(url);
}

QString ManualIndexPath(const QString& programFolder) {
    const QDir folder(programFolder);
    for (const QString& relative : {QStringLiteral("manual/index.html"),
                                    QStringLiteral("../share/doc/quarix/manual/index.html")}) {
        const QFileInfo candidate(folder.filePath(relative));
        if (candidate.isFile()) return QDir::cleanPath(candidate.absoluteFilePath());
    }
    return {};
}
