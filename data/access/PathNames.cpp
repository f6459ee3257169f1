#include "data/access/PathNames.h"

#include <algorithm>

namespace PathNames {

namespace {
qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}
}  // namespace

QString fileName(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}

QString folder(const QString& path) {
    const qsizetype separator = lastSeparator(path);
    return separator < 0 ? QString() : path.left(separator + 1);
}

QString tableName(const QString& path) {
    const QString name = fileName(path).trimmed();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

}  // namespace PathNames
