#include "data/access/writers/DeviceStream.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 18;
}

DeviceStream::DeviceStream(QIODevice& device) : m_device(device) {
    const cookie_io_functions_t functions{&DeviceStream::read, &DeviceStream::write,
                                          &DeviceStream::seek, nullptr};
    m_file = fopencookie(this, "w+", functions);
    if (m_file) std::setvbuf(m_file, nullptr, _IOFBF, kBufferSize);
}

DeviceStream::~DeviceStream() {
    close();
}

bool DeviceStream::close() {
    if (m_file) {
        const bool flushed = std::fflush(m_file) == 0 && !std::ferror(m_file);
        m_failed = m_failed || !flushed;
        std::fclose(m_file);
        m_file = nullptr;
    }
    return !m_failed;
}

ssize_t DeviceStream::read(void* cookie, char* buffer, size_t size) {
    auto* self = static_cast<DeviceStream*>(cookie);
    const qint64 got = self->m_device.read(buffer, qint64(size));
    if (got < 0) {
        self->m_failed = true;
        return -1;
    }
    return ssize_t(got);
}

ssize_t DeviceStream::write(void* cookie, const char* buffer, size_t size) {
    auto* self = static_cast<DeviceStream*>(cookie);
    const qint64 written = self->m_device.write(buffer, qint64(size));
    if (written <= 0) {
        self->m_failed = true;
        return 0;  // stdio's sign of a failed write
    }
    return ssize_t(written);
}

int DeviceStream::seek(void* cookie, off64_t* offset, int whence) {
    auto* self = static_cast<DeviceStream*>(cookie);
    qint64 base = 0;
    if (whence == SEEK_CUR) base = self->m_device.pos();
    if (whence == SEEK_END) base = self->m_device.size();
    const qint64 target = base + *offset;
    if (target < 0 || !self->m_device.seek(target)) {
        self->m_failed = true;
        return -1;
    }
    *offset = target;
    return 0;
}
