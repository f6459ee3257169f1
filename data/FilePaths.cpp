#include "data/FilePaths.h"

#include <QDir>
#include <QFileInfo>

#include "data/access/PathNames.h"

QString FileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? path : path.mid(dot + 1)).toLower();
}

QString FileNameOnly(const QString& path) {
    return PathNames::fileName(path);
}

QString FolderOf(const QString& path) {
    return PathNames::folder(path);
}

QString TableNameOf(const QString& path) {
    return PathNames::tableName(path);
}

QString FolderOrHome(const QString& path) {
    if (!path.isEmpty()) {
        const QString folder = QFileInfo(path).absolutePath();
        if (QFileInfo(folder).isDir()) return folder;
    }
    return QDir::homePath();
}
