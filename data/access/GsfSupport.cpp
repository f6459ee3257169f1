#include "data/access/GsfSupport.h"

#include <gsf/gsf-utils.h>
#include <mutex>

namespace {
void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
}  // namespace

void initialiseGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const auto levels =
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils", "libgsf:zip"}) {
            g_log_set_handler(domain, levels, quietLog, nullptr);
        }
    });
}
