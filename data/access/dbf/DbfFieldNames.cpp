#include "data/access/dbf/DbfFieldNames.h"

#include <QSet>

namespace {

// `text` cut to at most `maxBytes` bytes in `encoding`, between whole characters.
QString cutToBytes(const QString& text, qsizetype maxBytes, DbfEncoding encoding) {
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype step =
            QChar::isHighSurrogate(text[end].unicode()) && end + 1 < text.size() ? 2 : 1;
        const qsizetype size = DbfText::byteLength(QStringView(text).mid(end, step), encoding);
        if (bytes + size > maxBytes) break;
        bytes += size;
        end += step;
    }
    return text.left(end);
}

}  // namespace

namespace DbfFieldNames {

QString usablePart(const QString& name) {
    QString part;
    part.reserve(name.size());
    const QList<uint> codePoints = name.toUcs4();
    for (const uint c : codePoints) {
        if (QChar::isSpace(c)) {
            part += QLatin1Char('_');
        } else if (QChar::isLetterOrNumber(c) || QChar::isMark(c) || c == '_') {
            part += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        }
    }
    return part;
}

std::vector<QByteArray> assign(const QStringList& names, DbfEncoding encoding) {
    std::vector<QByteArray> fields;
    fields.reserve(static_cast<std::size_t>(names.size()));
    QSet<QString> taken;  // case-folded
    for (const QString& name : names) {
        const QString usable = usablePart(name);
        QString field = cutToBytes(usable, kMaxBytes, encoding);
        for (int suffix = 1; taken.contains(field.toCaseFolded()); ++suffix) {
            const QString tail = QLatin1Char('_') + QString::number(suffix);
            field = cutToBytes(usable, kMaxBytes - tail.size(), encoding) + tail;
        }
        taken.insert(field.toCaseFolded());
        fields.push_back(DbfText::encode(field, encoding));
    }
    return fields;
}

}  // namespace DbfFieldNames
