#include "data/access/writers/CompoundFileWriter.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <memory>

namespace {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace

QByteArray compoundFileWithStream(const char* streamName, const QByteArray& stream) {
    GsfPtr<GsfOutput> sink(gsf_output_memory_new());
    if (!sink) return {};
    bool ok = false;
    {
        GsfPtr<GsfOutfile> container(gsf_outfile_msole_new(sink.get()));
        if (!container) return {};
        GsfPtr<GsfOutput> child(gsf_outfile_new_child(container.get(), streamName, FALSE));
        if (!child) return {};
        ok = gsf_output_write(child.get(), static_cast<size_t>(stream.size()),
                              reinterpret_cast<const guint8*>(stream.constData()));
        ok = gsf_output_close(child.get()) && ok;
        ok = gsf_output_close(GSF_OUTPUT(container.get())) && ok;
    }
    if (!ok) return {};
    const gsf_off_t size = gsf_output_size(sink.get());
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    if (!bytes || size <= 0) return {};
    return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
}
