#include "data/access/dbf/DbfTableWriter.h"

#include <QBuffer>
#include <shapefil.h>
#include <cstring>
#include <memory>
#include <string>

#include "data/access/NativeError.h"
#include "data/access/DeviceStream.h"

namespace {

// shapelib reaches files only through its hooks, which carry no context of their own: while a
// table is written, this thread's hooks send the table to the caller's device and the code page
// file into a buffer. Both are DeviceStreams, which the hooks' file handles point at.
struct TableFiles {
    DeviceStream* table = nullptr;
    QBuffer codePage;
    std::unique_ptr<DeviceStream> codePageStream;
};
thread_local TableFiles* t_files = nullptr;

const char kBaseName[] = "table";
const char kCp1252LanguageDriver[] = "LDID/3";
const char kUtf8CodePage[] = "UTF-8";

bool endsWith(const char* name, const char* suffix) {
    const std::size_t length = std::strlen(name), suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(name + length - suffixLength, suffix) == 0;
}

DeviceStream* streamOf(SAFile file) {
    return reinterpret_cast<DeviceStream*>(file);
}

// shapelib closes the new table once and opens it again: the stream stays open and goes back
// to the start, as a reopened file would.
SAFile openFile(const char* name, const char*) {
    if (!t_files) return nullptr;
    DeviceStream* stream = nullptr;
    if (endsWith(name, ".dbf")) {
        stream = t_files->table;
    } else if (endsWith(name, ".cpg")) {
        t_files->codePageStream.reset();
        t_files->codePage.close();
        t_files->codePage.setData(QByteArray());
        if (!t_files->codePage.open(QIODevice::ReadWrite)) return nullptr;
        t_files->codePageStream = std::make_unique<DeviceStream>(t_files->codePage);
        stream = t_files->codePageStream.get();
    }
    if (stream) stream->seek(0, SEEK_SET);
    return reinterpret_cast<SAFile>(stream);
}

SAOffset readFile(void* buffer, SAOffset size, SAOffset count, SAFile file) {
    if (size == 0) return 0;
    const qint64 got = streamOf(file)->read(buffer, qint64(size * count));
    return got < 0 ? 0 : SAOffset(got) / size;
}

SAOffset writeFile(void* buffer, SAOffset size, SAOffset count, SAFile file) {
    if (size == 0) return 0;
    const qint64 written = streamOf(file)->write(buffer, qint64(size * count));
    return written < 0 ? 0 : count;
}

SAOffset seekFile(SAFile file, SAOffset offset, int whence) {
    return streamOf(file)->seek(qint64(offset), whence) ? 0 : SAOffset(-1);
}

SAOffset tellFile(SAFile file) {
    return SAOffset(streamOf(file)->tell());
}

int flushFile(SAFile) {
    return 0;
}

int closeFile(SAFile) {
    return 0;
}

// Nothing on the disk is removed: the table is new and its code page file is the caller's.
int removeFile(const char*) {
    return 0;
}
void quietError(const char*) {}

class FilesScope {
public:
    explicit FilesScope(TableFiles& files) { t_files = &files; }
    ~FilesScope() { t_files = nullptr; }
};

struct DbfCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};

}  // namespace

int writeDbfTable(QIODevice& device, DbfEncoding encoding,
                  const std::vector<DbfFieldLayout>& fields, qint64 records,
                  const DbfCellSource& cell, const QDate& lastUpdate, QByteArray& codePage) {
    DeviceStream stream(device);
    TableFiles files;
    files.table = &stream;
    FilesScope scope(files);
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = openFile;
    hooks.FRead = readFile;
    hooks.FWrite = writeFile;
    hooks.FSeek = seekFile;
    hooks.FTell = tellFile;
    hooks.FFlush = flushFile;
    hooks.FClose = closeFile;
    hooks.Remove = removeFile;
    hooks.Error = quietError;

    {
        std::unique_ptr<DBFInfo, DbfCloser> table(DBFCreateLL(
            kBaseName, encoding == DbfEncoding::Cp1252 ? kCp1252LanguageDriver : kUtf8CodePage,
            &hooks));
        if (!table) return NativeError::WriteFailed;
        DBFHandle handle = table.get();
        for (const DbfFieldLayout& field : fields) {
            if (DBFAddNativeFieldType(handle, field.name.constData(), field.type, field.width,
                                      field.decimals) < 0) {
                return NativeError::WriteFailed;
            }
        }
        if (lastUpdate.isValid()) {
            DBFSetLastModifiedDate(handle, lastUpdate.year() - 1900, lastUpdate.month(),
                                   lastUpdate.day());
        }
        std::string value;
        for (qint64 record = 0; record < records; ++record) {
            const int shapelibRecord = static_cast<int>(record);
            for (int f = 0; f < static_cast<int>(fields.size()); ++f) {
                const QByteArrayView bytes = cell(record, f);
                const DbfFieldLayout& field = fields[static_cast<std::size_t>(f)];
                // DBFWriteAttributeDirectly cuts a value that is too wide and still reports
                // success; DBFWriteStringAttribute at least says so. Neither may happen here.
                if (bytes.size() > field.width) return NativeError::ValueDoesNotFit;
                value.assign(bytes.data(), std::size_t(bytes.size()));
                const int written =
                    field.type == 'C'
                        ? DBFWriteStringAttribute(handle, shapelibRecord, f, value.c_str())
                        : DBFWriteAttributeDirectly(handle, shapelibRecord, f, value.data());
                // shapelib writes the previous record out when it starts a new one.
                if (stream.failed()) return NativeError::WriteFailed;
                if (!written) return NativeError::ValueDoesNotFit;
            }
        }
        DBFUpdateHeader(handle);
    }
    if (!stream.close()) return NativeError::WriteFailed;
    if (files.codePageStream && !files.codePageStream->close()) return NativeError::WriteFailed;
    codePage = files.codePage.data();
    return NativeError::None;
}
