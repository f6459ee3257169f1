#include "data/access/PathNames.h"

#include <algorithm>

namespace PathNames {

QString fileName(const QString& path) {
    const qsizetype separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(separator + 1);
}

QString tableName(const QString& path) {
    const QString name = fileName(path).trimmed();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

}  // namespace PathNames
