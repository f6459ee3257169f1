#include "data/access/ZipPackage.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <QFile>
#include <algorithm>
#include <cstring>

#include "data/access/NativeError.h"

namespace {

constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kInflateFloor = 64LL * 1024 * 1024;
constexpr qint64 kInflateRatio = 100;
// A cell's text is at most 32,767 characters; no token of a workbook's XML comes near this.
constexpr qint64 kLongestToken = 16LL * 1024 * 1024;

// The child of `dir` named `name`, in any case.
GsfInput* childByName(GsfInfile* dir, const QByteArray& name) {
    const int count = gsf_infile_num_children(dir);
    for (int i = 0; i < count; ++i) {
        const char* childName = gsf_infile_name_by_index(dir, i);
        if (childName && g_ascii_strcasecmp(childName, name.constData()) == 0) {
            return gsf_infile_child_by_index(dir, i);
        }
    }
    return nullptr;
}

}  // namespace

bool ZipPackage::hasSignature(const QByteArray& head) {
    return head.startsWith(QByteArrayLiteral("PK\x03\x04"));
}

int ZipPackage::openInput(GsfInput* input, qint64 size) {
    m_input = GObjectRef<GsfInput>(input);
    if (!m_input) {
        close();
        return NativeError::Unreadable;
    }
    GError* error = nullptr;
    m_zip = GObjectRef<GsfInfile>(gsf_infile_zip_new(m_input.object, &error));
    if (error) g_error_free(error);
    if (!m_zip) {
        close();
        return NativeError::Unreadable;
    }
    m_size = size;
    return NativeError::None;
}

int ZipPackage::openFile(const QString& path) {
    close();
    initialiseGsf();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !hasSignature(file.peek(4))) {
        return NativeError::Unreadable;
    }
    const qint64 size = file.size();
    file.close();
    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(QFile::encodeName(path).constData(), &error);
    if (error) g_error_free(error);
    return openInput(input, size);
}

int ZipPackage::openBytes(const QByteArray& bytes) {
    close();
    if (!hasSignature(bytes)) return NativeError::Unreadable;
    initialiseGsf();
    m_bytes = bytes;
    // The input borrows the bytes, which the package keeps.
    return openInput(gsf_input_memory_new(reinterpret_cast<const guint8*>(m_bytes.constData()),
                                          m_bytes.size(), FALSE),
                     m_bytes.size());
}

void ZipPackage::close() {
    m_zip.reset();
    m_input.reset();
    m_bytes.clear();
    m_size = 0;
}

GObjectRef<GsfInput> ZipPackage::part(const QString& name) const {
    if (!m_zip) return GObjectRef<GsfInput>();
    const QList<QByteArray> steps = name.toUtf8().split('/');
    GObjectRef<GsfInput> current;
    GsfInfile* dir = m_zip.object;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (steps[i].isEmpty()) continue;
        if (!dir) return GObjectRef<GsfInput>();  // a file in the middle of the path
        current = GObjectRef<GsfInput>(childByName(dir, steps[i]));
        if (!current) return current;
        dir = GSF_IS_INFILE(current.object) &&
                      gsf_infile_num_children(GSF_INFILE(current.object)) >= 0
                  ? GSF_INFILE(current.object)
                  : nullptr;
    }
    // A folder is no part.
    if (current && dir) return GObjectRef<GsfInput>();
    return current;
}

bool ZipPackage::hasPart(const QString& name) const {
    return static_cast<bool>(part(name));
}

bool ZipPackage::readSmallPart(const QString& name, qint64 limit, QByteArray& out) const {
    GObjectRef<GsfInput> input = part(name);
    if (!input) return false;
    const gsf_off_t size = gsf_input_size(input.object);
    if (size < 0 || size > limit) return false;
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(input.object, static_cast<size_t>(size),
                                    reinterpret_cast<guint8*>(bytes.data()))) {
        return false;
    }
    out = std::move(bytes);
    return true;
}

qint64 ZipPackage::inflateBudget() const {
    return std::max(kInflateFloor, m_size * kInflateRatio);
}

XmlPartReader::XmlPartReader(GObjectRef<GsfInput> part, qint64& budget, bool namespaces)
    : m_part(std::move(part)), m_budget(budget) {
    if (!m_part) m_failed = true;
    m_xml.setNamespaceProcessing(namespaces);
}

XmlPartReader::XmlPartReader(const QByteArray& xml, bool namespaces) : m_budget(m_noBudget) {
    m_xml.setNamespaceProcessing(namespaces);
    m_xml.addData(xml);
    m_atEnd = true;
}

bool XmlPartReader::feed() {
    if (!m_part) {
        m_atEnd = true;
        return false;
    }
    const gsf_off_t remaining = gsf_input_remaining(m_part.object);
    if (remaining <= 0) {
        m_atEnd = true;
        return false;
    }
    const qint64 size = std::min<qint64>(kChunk, remaining);
    m_budget -= size;
    m_sinceToken += size;
    if (m_budget < 0 || m_sinceToken > kLongestToken) return false;
    m_chunk.resize(static_cast<qsizetype>(size));
    if (!gsf_input_read(m_part.object, static_cast<size_t>(size),
                        reinterpret_cast<guint8*>(m_chunk.data()))) {
        return false;
    }
    m_xml.addData(m_chunk);
    return true;
}

bool XmlPartReader::next() {
    if (m_failed) return false;
    for (;;) {
        const QXmlStreamReader::TokenType type = m_xml.readNext();
        if (type == QXmlStreamReader::Invalid) {
            if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !m_atEnd) {
                if (feed()) continue;
                if (m_atEnd) continue;  // let the reader say whether the document is whole
            }
            return fail();
        }
        m_sinceToken = 0;
        if (type == QXmlStreamReader::DTD) return fail();
        if (type == QXmlStreamReader::EndDocument) return false;
        return true;
    }
}

bool XmlPartReader::readText(QString& out) {
    out.clear();
    int depth = 1;
    while (next()) {
        if (isStart()) {
            ++depth;
        } else if (isEnd()) {
            if (--depth == 0) return true;
        } else if (isText()) {
            out += text();
        }
    }
    return fail();
}

bool XmlPartReader::skipElement() {
    int depth = 1;
    while (next()) {
        if (isStart()) ++depth;
        if (isEnd() && --depth == 0) return true;
    }
    return fail();
}
