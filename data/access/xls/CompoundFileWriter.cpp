#include "data/access/xls/CompoundFileWriter.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <memory>

#include "data/access/DeviceStream.h"

namespace {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace

bool writeCompoundFile(QIODevice& device, const char* streamName,
                       const std::function<bool(const Biff::Sink& sink)>& writeStream) {
    DeviceStream stream(device);
    if (!stream.file()) return false;
    bool ok = false;
    {
        GsfPtr<GsfOutput> sink(
            gsf_output_stdio_new_FILE("result.xls", stream.file(), /*keep_open=*/TRUE));
        if (!sink) return false;
        GsfPtr<GsfOutfile> container(gsf_outfile_msole_new(sink.get()));
        if (!container) return false;
        GsfPtr<GsfOutput> child(gsf_outfile_new_child(container.get(), streamName, FALSE));
        if (!child) return false;
        ok = writeStream([&](const char* data, qsizetype size) {
            return gsf_output_write(child.get(), static_cast<size_t>(size),
                                    reinterpret_cast<const guint8*>(data)) != FALSE;
        });
        ok = gsf_output_close(child.get()) && ok;
        // Closing the container closes its sink too.
        ok = gsf_output_close(GSF_OUTPUT(container.get())) && ok;
    }
    return stream.close() && ok;
}
