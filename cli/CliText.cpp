#include "cli/CliText.h"

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            default:
                out += c;
        }
    }
    return out;
}
