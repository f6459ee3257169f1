#include "data/access/xls/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <QFile>

#include "data/access/GsfSupport.h"
#include "data/access/NativeError.h"
#include "data/access/xls/BiffRecordStream.h"

namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr int kSignatureSize = 8;
// Four bytes of header and at least the version and type words of the BOF body.
constexpr int kSmallestBof = 8;

bool isBofCode(std::uint16_t code) {
    return code == BiffCode::Bof2 || code == BiffCode::Bof3 || code == BiffCode::Bof4 ||
           code == BiffCode::Bof;
}

bool startsWithBof(const QByteArray& bytes) {
    if (bytes.size() < kSmallestBof) return false;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::uint16_t code = readU16(data);
    const std::uint16_t size = readU16(data + 2);
    return isBofCode(code) && size >= 4 && size <= bytes.size() - 4;
}

// Picks the workbook stream of an opened compound file and reads it whole.
int readWorkbookChild(GsfInput* container, gsf_off_t fileSize, WorkbookStream& out) {
    GError* error = nullptr;
    GObjectRef<GsfInfile> infile(gsf_infile_msole_new(container, &error));
    if (error) g_error_free(error);
    if (!infile) return NativeError::Unreadable;

    int workbook = -1, book = -1;
    bool encryptedPackage = false;
    const int children = gsf_infile_num_children(infile.object);
    for (int i = 0; i < children; ++i) {
        const char* name = gsf_infile_name_by_index(infile.object, i);
        if (!name) continue;
        if (g_ascii_strcasecmp(name, "Workbook") == 0 && workbook < 0) workbook = i;
        if (g_ascii_strcasecmp(name, "Book") == 0 && book < 0) book = i;
        // A password-protected workbook of the newer format travels in a compound file too.
        if (g_ascii_strcasecmp(name, "EncryptedPackage") == 0 ||
            g_ascii_strcasecmp(name, "EncryptionInfo") == 0) {
            encryptedPackage = true;
        }
    }
    const int chosen = workbook >= 0 ? workbook : book;
    if (chosen < 0)
        return encryptedPackage ? NativeError::PasswordProtected : NativeError::Unreadable;

    GObjectRef<GsfInput> child(gsf_infile_child_by_index(infile.object, chosen));
    if (!child) return NativeError::Unreadable;
    const gsf_off_t size = gsf_input_size(child.object);
    // A damaged directory may claim any size: the stream cannot be larger than the file.
    if (size <= 0 || size > fileSize) return NativeError::Unreadable;
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (!gsf_input_read(child.object, static_cast<size_t>(size),
                        reinterpret_cast<guint8*>(bytes.data()))) {
        return NativeError::Unreadable;
    }
    out.bytes = std::move(bytes);
    out.source = workbook >= 0 ? WorkbookStream::Source::Workbook : WorkbookStream::Source::Book;
    return NativeError::None;
}

int readPlain(const QByteArray& bytes, WorkbookStream& out) {
    if (!startsWithBof(bytes)) return NativeError::Unreadable;
    out.bytes = bytes;
    out.source = WorkbookStream::Source::PlainFile;
    return NativeError::None;
}

}  // namespace

namespace CompoundFile {

bool hasSignature(const QByteArray& head) {
    return head.size() >= kSignatureSize &&
           std::memcmp(head.constData(), kSignature, kSignatureSize) == 0;
}

int readFromBytes(const QByteArray& bytes, WorkbookStream& out) {
    if (!hasSignature(bytes)) return readPlain(bytes, out);
    initialiseGsf();
    // The input borrows the bytes, which outlive it.
    GObjectRef<GsfInput> input(gsf_input_memory_new(
        reinterpret_cast<const guint8*>(bytes.constData()), bytes.size(), FALSE));
    if (!input) return NativeError::Unreadable;
    return readWorkbookChild(input.object, bytes.size(), out);
}

int readFromFile(const QString& path, WorkbookStream& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return NativeError::Unreadable;
    const QByteArray head = file.peek(kSignatureSize);
    if (!hasSignature(head)) {
        // Read the whole file only when it starts like a workbook stream.
        if (head.size() < kSmallestBof ||
            !isBofCode(readU16(reinterpret_cast<const unsigned char*>(head.constData())))) {
            return NativeError::Unreadable;
        }
        return readPlain(file.readAll(), out);
    }
    const qint64 fileSize = file.size();
    file.close();

    // Read through libgsf from the file rather than from a copy in memory: a large workbook
    // is then held once, as its stream, not twice.
    initialiseGsf();
    GError* error = nullptr;
    GObjectRef<GsfInput> input(gsf_input_stdio_new(QFile::encodeName(path).constData(), &error));
    if (error) g_error_free(error);
    if (!input) return NativeError::Unreadable;
    return readWorkbookChild(input.object, fileSize, out);
}

}  // namespace CompoundFile
