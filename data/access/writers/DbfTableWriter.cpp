#include "data/access/writers/DbfTableWriter.h"

#include <shapefil.h>
#include <cstring>
#include <memory>
#include <string>

#include "data/access/NativeError.h"
#include "data/access/writers/DeviceStream.h"

namespace {

// shapelib reaches files only through its hooks, which carry no context of their own: while a
// table is written, this thread's hooks send the table to the caller's device and keep the code
// page file in memory.
struct TableFiles {
    FILE* table = nullptr;  // the device's stream; stays open until the table is written
    char* codePage = nullptr;
    size_t codePageSize = 0;
};
thread_local TableFiles* t_files = nullptr;

const char kBaseName[] = "table";
const char kCp1252LanguageDriver[] = "LDID/3";
const char kUtf8CodePage[] = "UTF-8";

bool endsWith(const char* name, const char* suffix) {
    const std::size_t length = std::strlen(name), suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(name + length - suffixLength, suffix) == 0;
}

SAFile openFile(const char* name, const char*) {
    if (!t_files) return nullptr;
    if (endsWith(name, ".dbf")) return reinterpret_cast<SAFile>(t_files->table);
    if (endsWith(name, ".cpg")) {
        std::free(t_files->codePage);
        t_files->codePage = nullptr;
        return reinterpret_cast<SAFile>(open_memstream(&t_files->codePage, &t_files->codePageSize));
    }
    return nullptr;
}

// shapelib closes the new table once and opens it again: the device's stream stays open and
// goes back to the start, as a reopened file would.
int closeFile(SAFile file) {
    FILE* stream = reinterpret_cast<FILE*>(file);
    if (t_files && stream == t_files->table) {
        return std::fflush(stream) == 0 && std::fseek(stream, 0, SEEK_SET) == 0 ? 0 : EOF;
    }
    return std::fclose(stream);
}

// Nothing on the disk is removed: the table is new and its code page file is the caller's.
int removeFile(const char*) {
    return 0;
}
void quietError(const char*) {}

class FilesScope {
public:
    explicit FilesScope(TableFiles& files) { t_files = &files; }
    ~FilesScope() {
        std::free(t_files->codePage);
        t_files = nullptr;
    }
};

struct DbfCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};

}  // namespace

int writeDbfTable(QIODevice& device, DbfEncoding encoding,
                  const std::vector<DbfFieldLayout>& fields, qint64 records,
                  const DbfCellSource& cell, const QDate& lastUpdate, QByteArray& codePage) {
    DeviceStream stream(device);
    if (!stream.file()) return NativeError::WriteFailed;
    TableFiles files;
    files.table = stream.file();
    FilesScope scope(files);
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = openFile;
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
    codePage = files.codePage ? QByteArray(files.codePage, qsizetype(files.codePageSize))
                              : QByteArray();
    return NativeError::None;
}
