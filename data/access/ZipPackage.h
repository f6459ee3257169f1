#pragma once

#include <gsf/gsf-infile.h>
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include "data/access/GsfSupport.h"
#include "data/access/TableFileReader.h"

// A zip package (an .xlsx or .ods workbook) opened through libgsf: its parts by name. Part
// names are matched without regard to case, as Office does.
class ZipPackage {
public:
    ZipPackage() = default;
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Whether `head` starts like a zip file.
    static bool hasSignature(const QByteArray& head);

    // Reads the package's directory. Unreadable for anything that is not a whole zip file.
    int openFile(const QString& path);
    // The package keeps a reference to `bytes`.
    int openBytes(const QByteArray& bytes);
    void close();
    bool isOpen() const { return static_cast<bool>(m_zip); }

    bool hasPart(const QString& name) const;
    // A part's stream; null when the package has no such part.
    GObjectRef<GsfInput> part(const QString& name) const;
    // A small part whole, when it is there and not longer than `limit` bytes.
    bool readSmallPart(const QString& name, qint64 limit, QByteArray& out) const;

    // How many bytes a reading may inflate from the package's parts in all: 100 times the
    // package's size, at least 64 MiB. Workbook parts compress some 5 to 30 times; a package
    // that inflates to far more holds a zip bomb, not a workbook, and is refused before it
    // costs minutes. The floor keeps small files clear of the bound.
    qint64 inflateBudget() const;

private:
    int openInput(GsfInput* input, qint64 size);

    QByteArray m_bytes;  // the package read from memory
    GObjectRef<GsfInput> m_input;
    GObjectRef<GsfInfile> m_zip;
    qint64 m_size = 0;
};

// Reads the XML of one part as a stream: the part is inflated in chunks and handed to a
// QXmlStreamReader as it asks for more, so that memory stays small whatever the part's size.
// Reading fails on broken XML, a truncated part, a document type declaration (no office part
// has one; refusing it keeps entity expansion out), a part inflating past the budget, and a
// single token longer than any cell's text can be.
class XmlPartReader {
public:
    // Without namespaces, names are read as written (with their prefix); localName() then
    // gives what follows it. Large parts read half again as fast so.
    using TextBuffer = QString;
    XmlPartReader(GObjectRef<GsfInput> part, qint64& budget, bool namespaces = true);
    // Reads XML already in memory: a piece of a part, which may end before its document does
    // (endedEarly() then tells).
    XmlPartReader(const QByteArray& xml, bool namespaces);

    // The next token; false at the end of the document or on failure (see failed()).
    bool next();
    bool failed() const { return m_failed; }
    bool endedEarly() const {
        return m_failed && m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    }

    QXmlStreamReader::TokenType token() const { return m_xml.tokenType(); }
    bool isStart() const { return m_xml.tokenType() == QXmlStreamReader::StartElement; }
    bool isEnd() const { return m_xml.tokenType() == QXmlStreamReader::EndElement; }
    bool isText() const { return m_xml.tokenType() == QXmlStreamReader::Characters; }
    QStringView name() const { return m_xml.name(); }
    QStringView localName() const { return stripPrefix(m_xml.name()); }
    static QStringView stripPrefix(QStringView name) {
        const qsizetype colon = name.lastIndexOf(u':');
        return colon < 0 ? name : name.mid(colon + 1);
    }
    QStringView namespaceUri() const { return m_xml.namespaceUri(); }
    QStringView text() const { return m_xml.text(); }
    // The characters of the part read so far.
    qint64 characterOffset() const { return m_xml.characterOffset(); }
    QXmlStreamAttributes attributes() const { return m_xml.attributes(); }
    // Calls f(localName, value) for each attribute of the current start element.
    template <typename F>
    void forEachAttribute(F f) const {
        const QXmlStreamAttributes all = m_xml.attributes();
        for (const QXmlStreamAttribute& attribute : all) {
            f(stripPrefix(attribute.qualifiedName()), attribute.value());
        }
    }
    void appendText(QString& out) const { out.append(m_xml.text()); }

    // The text inside the current start element up to its end element, which becomes the
    // current token; elements inside add their text.
    bool readText(QString& out);
    // Moves past the end of the current start element.
    bool skipElement();

private:
    bool feed();
    bool fail() {
        m_failed = true;
        return false;
    }

    GObjectRef<GsfInput> m_part;
    qint64 m_noBudget = 0;
    qint64& m_budget;
    QXmlStreamReader m_xml;
    QByteArray m_chunk;
    qint64 m_sinceToken = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};

// The value of the attribute named `localName` in any namespace; empty when there is none.
inline QStringView attributeValue(const QXmlStreamAttributes& attributes, QStringView localName) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == localName) return attribute.value();
    }
    return {};
}

// What the readers of zip workbooks share: the package opened from a file or from memory, then
// its directory read by the reader; after any failure the reader is as if never opened. Their
// sheets hold up to 1,048,576 rows.
class PackageWorkbookReader : public WorkbookFileReader {
public:
    int open(const QString& path) override {
        forget();
        return opened(m_package.openFile(path));
    }
    int openBuffer(const QByteArray& bytes) override {
        forget();
        return opened(m_package.openBytes(bytes));
    }
    std::int32_t maxSheetRows() const override { return 1048576; }

protected:
    // Reads what tableNames() lists; a failure goes through fail().
    virtual int readDirectory() = 0;
    // Drops what readDirectory() kept.
    virtual void forget() = 0;
    int fail(int code) {
        m_package.close();
        forget();
        return code;
    }

    ZipPackage m_package;

private:
    int opened(int code) {
        if (code != 0) return fail(code);
        return readDirectory();
    }
};
