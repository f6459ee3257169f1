#include "data/access/xlsx/XlsxReader.h"

#include <QHash>
#include <QUrl>

#include "data/access/NativeError.h"
#include "data/access/SheetTableBuilder.h"
#include "data/access/ZipPackage.h"
#include "data/access/xlsx/XlsxParts.h"
#include "data/access/xlsx/XlsxSheetReader.h"

namespace {

// The relationship types we follow, by the end of their URI (the strict form differs only
// before it).
constexpr auto kOfficeDocument = u"/officeDocument";
constexpr auto kWorksheet = u"/worksheet";
constexpr auto kSharedStrings = u"/sharedStrings";
constexpr auto kStyles = u"/styles";

struct Relationship {
    QString type;
    QString target;  // a part name, resolved
};

// "/xl/worksheets/sheet1.xml" or, relative to the source part's folder, "worksheets/sheet1.xml".
QString resolveTarget(const QString& sourcePart, const QString& target) {
    QStringList steps;
    if (!target.startsWith(QLatin1Char('/'))) {
        steps = sourcePart.split(QLatin1Char('/'));
        steps.removeLast();
    }
    for (const QString& step : target.split(QLatin1Char('/'))) {
        if (step.isEmpty() || step == QLatin1String(".")) continue;
        if (step == QLatin1String("..")) {
            if (!steps.isEmpty()) steps.removeLast();
            continue;
        }
        steps << step;
    }
    return steps.join(QLatin1Char('/'));
}

// The relationships part of `part`: "xl/workbook.xml" has "xl/_rels/workbook.xml.rels".
QString relationshipsOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QLatin1String("_rels/") + part.mid(slash + 1) +
           QLatin1String(".rels");
}

int readRelationships(const ZipPackage& package, const QString& sourcePart, qint64& budget,
                      QHash<QString, Relationship>& out) {
    const QString name =
        sourcePart.isEmpty() ? QStringLiteral("_rels/.rels") : relationshipsOf(sourcePart);
    GObjectRef<GsfInput> part = package.part(name);
    if (!part) return NativeError::None;
    XmlPartReader xml(std::move(part), budget);
    while (xml.next()) {
        if (!xml.isStart() || xml.name() != u"Relationship") continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value(QLatin1String("TargetMode")) == u"External") continue;
        out.insert(
            attributes.value(QLatin1String("Id")).toString(),
            {attributes.value(QLatin1String("Type")).toString(),
             // Targets are URIs: a blank in a part's name is written "%20".
             resolveTarget(sourcePart, QUrl::fromPercentEncoding(
                                           attributes.value(QLatin1String("Target")).toUtf8()))});
    }
    return xml.failed() ? NativeError::Unreadable : NativeError::None;
}

struct SheetEntry {
    QString name;
    QString part;
};

class XlsxReader final : public PackageWorkbookReader {
public:
    QStringList tableNames() const override {
        QStringList names;
        for (const SheetEntry& sheet : m_sheets) names << sheet.name;
        return names;
    }

    int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) override {
        if (!m_package.isOpen()) return NativeError::NotConnected;
        const SheetEntry* sheet = nullptr;
        for (const SheetEntry& entry : m_sheets) {
            if (entry.name == name) sheet = &entry;
        }
        if (!sheet) return NativeError::TableNotFound;

        qint64 budget = m_package.inflateBudget();
        auto sharedTexts = std::make_shared<TextList>();
        std::vector<bool> dateStyles;
        int code =
            XlsxParts::readSharedStrings(m_package, m_sharedStringsPart, budget, *sharedTexts);
        if (code == NativeError::None) {
            code = XlsxParts::readDateStyles(m_package, m_stylesPart, budget, dateStyles);
        }
        if (code != NativeError::None) return code;

        std::unique_ptr<SheetTableBuilder> builder;
        const XlsxSheetContext context{dateStyles, sharedTexts->size(), m_dates1904};
        code = readXlsxSheet(m_package, sheet->part, budget, context, sharedTexts, builder);
        if (code != NativeError::None) return code;
        out = builder->finish(format);
        return NativeError::None;
    }

private:
    void forget() override {
        m_sheets.clear();
        m_sharedStringsPart.clear();
        m_stylesPart.clear();
        m_dates1904 = false;
    }

    // The workbook part, its date system, its worksheets and the parts they share.
    int readDirectory() override {
        qint64 budget = m_package.inflateBudget();
        QHash<QString, Relationship> packageRelationships;
        int code = readRelationships(m_package, QString(), budget, packageRelationships);
        if (code != NativeError::None) return fail(code);
        QString workbookPart = QStringLiteral("xl/workbook.xml");
        for (const Relationship& relationship : std::as_const(packageRelationships)) {
            if (relationship.type.endsWith(kOfficeDocument)) workbookPart = relationship.target;
        }
        QHash<QString, Relationship> relationships;
        code = readRelationships(m_package, workbookPart, budget, relationships);
        if (code != NativeError::None) return fail(code);
        m_sharedStringsPart = QStringLiteral("xl/sharedStrings.xml");
        m_stylesPart = QStringLiteral("xl/styles.xml");
        for (const Relationship& relationship : std::as_const(relationships)) {
            if (relationship.type.endsWith(kSharedStrings))
                m_sharedStringsPart = relationship.target;
            if (relationship.type.endsWith(kStyles)) m_stylesPart = relationship.target;
        }

        XmlPartReader xml(m_package.part(workbookPart), budget);
        // Extensions of later versions reuse names (x15:workbookPr): only the workbook's own
        // namespace counts.
        QString mainNamespace;
        bool sawWorkbook = false;
        while (xml.next()) {
            if (!xml.isStart()) continue;
            const QStringView element = xml.name();
            if (element == u"workbook" && !sawWorkbook) {
                sawWorkbook = true;
                mainNamespace = xml.namespaceUri().toString();
            } else if (xml.namespaceUri() != mainNamespace) {
                continue;
            } else if (element == u"workbookPr") {
                const QXmlStreamAttributes attributes = xml.attributes();
                const QStringView value = attributes.value(QLatin1String("date1904"));
                m_dates1904 = value == u"1" || value == u"true";
            } else if (element == u"sheet") {
                // Hidden sheets are listed like visible ones; chart and dialog sheets, whose
                // relationships are of other types, hold no cells and are not.
                const QXmlStreamAttributes attributes = xml.attributes();
                QString id;
                for (const QXmlStreamAttribute& attribute : attributes) {
                    if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty()) {
                        id = attribute.value().toString();
                    }
                }
                const auto relationship = relationships.constFind(id);
                if (relationship == relationships.cend() ||
                    !relationship->type.endsWith(kWorksheet)) {
                    continue;
                }
                m_sheets.push_back(
                    {attributes.value(QLatin1String("name")).toString(), relationship->target});
            }
        }
        if (xml.failed() || !sawWorkbook) return fail(NativeError::Unreadable);
        return NativeError::None;
    }

    std::vector<SheetEntry> m_sheets;
    QString m_sharedStringsPart;
    QString m_stylesPart;
    bool m_dates1904 = false;
};

}  // namespace

std::unique_ptr<WorkbookFileReader> createXlsxReader() {
    return std::make_unique<XlsxReader>();
}
