#include "data/access/writers/DbfTableWriter.h"

#include <shapefil.h>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "data/access/NativeError.h"

namespace {

// shapelib reaches files only through its hooks, which carry no context of their own: while a
// table is written, this thread's hooks work on the buffers of `t_files`.
struct MemoryFiles {
    std::map<std::string, QByteArray> files;
    qsizetype tableSizeHint = 0;
};
thread_local MemoryFiles* t_files = nullptr;

const char kBaseName[] = "table";
const std::string kTableName = "table.dbf";
const std::string kCodePageName = "table.cpg";
const char kCp1252LanguageDriver[] = "LDID/3";
const char kUtf8CodePage[] = "UTF-8";

struct OpenFile {
    QByteArray* data;
    qsizetype position = 0;
};

OpenFile* fileOf(SAFile file) {
    return reinterpret_cast<OpenFile*>(file);
}

SAFile memoryOpen(const char* name, const char* access) {
    if (!t_files) return nullptr;
    const std::string key(name);
    auto found = t_files->files.find(key);
    if (access[0] == 'w') {
        QByteArray& data = t_files->files[key];
        data.clear();
        if (key == kTableName) data.reserve(t_files->tableSizeHint);
        return reinterpret_cast<SAFile>(new OpenFile{&data});
    }
    if (found == t_files->files.end()) return nullptr;
    return reinterpret_cast<SAFile>(new OpenFile{&found->second});
}

SAOffset memoryRead(void* buffer, SAOffset size, SAOffset count, SAFile file) {
    OpenFile* open = fileOf(file);
    if (size == 0) return 0;
    const qsizetype available = std::max<qsizetype>(0, open->data->size() - open->position);
    const SAOffset items = std::min<SAOffset>(count, static_cast<SAOffset>(available) / size);
    std::memcpy(buffer, open->data->constData() + open->position, items * size);
    open->position += static_cast<qsizetype>(items * size);
    return items;
}

SAOffset memoryWrite(void* buffer, SAOffset size, SAOffset count, SAFile file) {
    OpenFile* open = fileOf(file);
    const auto bytes = static_cast<qsizetype>(size * count);
    if (open->data->size() < open->position + bytes) open->data->resize(open->position + bytes);
    std::memcpy(open->data->data() + open->position, buffer, static_cast<size_t>(bytes));
    open->position += bytes;
    return count;
}

SAOffset memorySeek(SAFile file, SAOffset offset, int whence) {
    OpenFile* open = fileOf(file);
    qsizetype base = 0;
    if (whence == SEEK_CUR) base = open->position;
    if (whence == SEEK_END) base = open->data->size();
    open->position = base + static_cast<qsizetype>(offset);
    return 0;
}

SAOffset memoryTell(SAFile file) {
    return static_cast<SAOffset>(fileOf(file)->position);
}
int memoryFlush(SAFile) {
    return 0;
}
int memoryClose(SAFile file) {
    delete fileOf(file);
    return 0;
}
int memoryRemove(const char* name) {
    if (t_files) t_files->files.erase(name);
    return 0;
}
void quietError(const char*) {}

SAHooks memoryHooks() {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = memoryOpen;
    hooks.FRead = memoryRead;
    hooks.FWrite = memoryWrite;
    hooks.FSeek = memorySeek;
    hooks.FTell = memoryTell;
    hooks.FFlush = memoryFlush;
    hooks.FClose = memoryClose;
    hooks.Remove = memoryRemove;
    hooks.Error = quietError;
    return hooks;
}

class MemoryScope {
public:
    explicit MemoryScope(MemoryFiles& files) { t_files = &files; }
    ~MemoryScope() { t_files = nullptr; }
};

struct DbfCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};

}  // namespace

int writeDbfTable(DbfEncoding encoding, const std::vector<DbfFieldLayout>& fields, qint64 records,
                  const DbfCellSource& cell, const QDate& lastUpdate, DbfFiles& out) {
    MemoryFiles files;
    qsizetype recordLength = 1;
    for (const DbfFieldLayout& field : fields) recordLength += field.width;
    files.tableSizeHint = 32 + 32 * static_cast<qsizetype>(fields.size()) + 2 +
                          recordLength * static_cast<qsizetype>(records);
    MemoryScope scope(files);
    SAHooks hooks = memoryHooks();

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
        for (qint64 record = 0; record < records; ++record) {
            const int shapelibRecord = static_cast<int>(record);
            for (int f = 0; f < static_cast<int>(fields.size()); ++f) {
                const QByteArray bytes = cell(record, f);
                const DbfFieldLayout& field = fields[static_cast<std::size_t>(f)];
                // DBFWriteAttributeDirectly cuts a value that is too wide and still reports
                // success; DBFWriteStringAttribute at least says so. Neither may happen here.
                if (bytes.size() > field.width) return NativeError::ValueDoesNotFit;
                const int written =
                    field.type == 'C'
                        ? DBFWriteStringAttribute(handle, shapelibRecord, f, bytes.constData())
                        : DBFWriteAttributeDirectly(handle, shapelibRecord, f,
                                                    const_cast<char*>(bytes.constData()));
                if (!written) return NativeError::ValueDoesNotFit;
            }
        }
        DBFUpdateHeader(handle);
    }

    const auto table = files.files.find(kTableName);
    if (table == files.files.end()) return NativeError::WriteFailed;
    out.table = std::move(table->second);
    const auto codePage = files.files.find(kCodePageName);
    out.codePage = codePage == files.files.end() ? QByteArray() : codePage->second;
    return NativeError::None;
}
