#include "data/access/xlsx/XlsxParts.h"

#include <QHash>

#include "data/access/DateFormats.h"
#include "data/access/NativeError.h"
#include "data/access/XmlValues.h"

namespace {

// Formats the program builds in without storing their codes that show dates or times.
bool isBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

}  // namespace

namespace XlsxParts {

void decodeEscapes(QString& text) {
    if (!text.contains(QLatin1String("_x"))) return;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == u'_' && i + 6 < n && text[i + 1] == u'x' && text[i + 6] == u'_') {
            int value = 0;
            bool hex = true;
            for (int k = 2; k < 6 && hex; ++k) {
                const int digit = hexDigit(text[i + k]);
                hex = digit >= 0;
                value = value * 16 + digit;
            }
            if (hex) {
                out += QChar(static_cast<char16_t>(value));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    text = std::move(out);
}

int readSharedStrings(const ZipPackage& package, const QString& partName, qint64& budget,
                      TextList& out) {
    GObjectRef<GsfInput> part = package.part(partName);
    if (!part) return NativeError::None;
    XmlPartReader xml(std::move(part), budget);
    QString text;
    bool inItem = false;
    int phonetic = 0;  // depth inside <rPh>
    while (xml.next()) {
        if (xml.isStart()) {
            const QStringView name = xml.name();
            if (name == u"si") {
                inItem = true;
                text.clear();
            } else if (name == u"rPh") {
                ++phonetic;
            } else if (name == u"t" && inItem && phonetic == 0) {
                QString run;
                if (!xml.readText(run)) break;
                text += run;
            }
        } else if (xml.isEnd()) {
            const QStringView name = xml.name();
            if (name == u"si" && inItem) {
                decodeEscapes(text);
                out.append(text);
                inItem = false;
            } else if (name == u"rPh" && phonetic > 0) {
                --phonetic;
            }
        }
    }
    return xml.failed() ? NativeError::Unreadable : NativeError::None;
}

int readDateStyles(const ZipPackage& package, const QString& partName, qint64& budget,
                   std::vector<bool>& out) {
    out.clear();
    GObjectRef<GsfInput> part = package.part(partName);
    if (!part) return NativeError::None;
    XmlPartReader xml(std::move(part), budget);
    QHash<int, bool> customDates;  // numFmtId -> shows dates
    std::vector<int> formats;      // numFmtId of each cellXfs entry
    bool inCellXfs = false;
    while (xml.next()) {
        if (xml.isStart()) {
            const QStringView name = xml.name();
            if (name == u"numFmt") {
                const QXmlStreamAttributes attributes = xml.attributes();
                std::int32_t id = 0;
                if (XmlValues::toIndex(attributes.value(QLatin1String("numFmtId")), id)) {
                    customDates.insert(
                        id, DateFormats::isDateFormatCode(
                                attributes.value(QLatin1String("formatCode")).toString()));
                }
            } else if (name == u"cellXfs") {
                inCellXfs = true;
            } else if (name == u"xf" && inCellXfs) {
                std::int32_t id = 0;
                const QXmlStreamAttributes attributes = xml.attributes();
                if (!XmlValues::toIndex(attributes.value(QLatin1String("numFmtId")), id)) {
                    id = 0;
                }
                formats.push_back(id);
            }
        } else if (xml.isEnd() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (xml.failed()) return NativeError::Unreadable;
    out.reserve(formats.size());
    for (const int id : formats) {
        const auto custom = customDates.constFind(id);
        out.push_back(custom != customDates.cend() ? *custom : isBuiltInDateFormat(id));
    }
    return NativeError::None;
}

}  // namespace XlsxParts
