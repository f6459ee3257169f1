#include "data/access/DeviceStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kStdioBufferSize = 1 << 16;
constexpr qsizetype kPendingLimit = 1 << 20;

ssize_t cookieRead(void* cookie, char* buffer, size_t size) {
    const qint64 got = static_cast<DeviceStream*>(cookie)->read(buffer, qint64(size));
    return got < 0 ? -1 : ssize_t(got);
}

ssize_t cookieWrite(void* cookie, const char* buffer, size_t size) {
    const qint64 written = static_cast<DeviceStream*>(cookie)->write(buffer, qint64(size));
    return written < 0 ? 0 : ssize_t(written);  // 0 is stdio's sign of a failed write
}

int cookieSeek(void* cookie, off64_t* offset, int whence) {
    auto* stream = static_cast<DeviceStream*>(cookie);
    if (!stream->seek(*offset, whence)) return -1;
    *offset = stream->tell();
    return 0;
}

}  // namespace

DeviceStream::DeviceStream(QIODevice& device) : m_device(device), m_deviceEnd(device.size()) {}

DeviceStream::~DeviceStream() {
    close();
}

FILE* DeviceStream::file() {
    if (!m_file) {
        const cookie_io_functions_t functions{cookieRead, cookieWrite, cookieSeek, nullptr};
        m_file = fopencookie(this, "w+", functions);
        if (m_file) std::setvbuf(m_file, nullptr, _IOFBF, kStdioBufferSize);
    }
    return m_file;
}

bool DeviceStream::close() {
    if (m_file) {
        const bool flushed = std::fflush(m_file) == 0 && !std::ferror(m_file);
        m_failed = m_failed || !flushed;
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_failed = !writePending() || m_failed;
    return !m_failed;
}

bool DeviceStream::writePending() {
    if (m_pending.isEmpty()) return true;
    bool ok = m_device.seek(m_pendingStart);
    for (qint64 done = 0; ok && done < m_pending.size();) {
        const qint64 written = m_device.write(m_pending.constData() + done, m_pending.size() - done);
        ok = written > 0;
        done += written;
    }
    m_deviceEnd = std::max(m_deviceEnd, m_pendingStart + m_pending.size());
    m_pending.truncate(0);
    if (!ok) m_failed = true;
    return ok;
}

qint64 DeviceStream::read(void* buffer, qint64 size) {
    // Past the end there is nothing to read (stdio reads ahead after a seek).
    if (m_position >= end()) return 0;
    if (!writePending() || !m_device.seek(m_position)) return -1;
    const qint64 got = m_device.read(static_cast<char*>(buffer), size);
    if (got < 0) {
        m_failed = true;
        return -1;
    }
    m_position += got;
    return got;
}

qint64 DeviceStream::write(const void* buffer, qint64 size) {
    // Within or right after what is gathered, the write goes into it; shapelib writes an end
    // mark after each record and the next record over it.
    const qint64 offset = m_position - m_pendingStart;
    if (offset < 0 || offset > m_pending.size()) {
        if (!writePending()) return -1;
        m_pendingStart = m_position;
    }
    const qsizetype at = qsizetype(m_position - m_pendingStart);
    if (at + size > m_pending.size()) m_pending.resize(at + qsizetype(size));
    std::memcpy(m_pending.data() + at, buffer, size_t(size));
    m_position += size;
    if (m_pending.size() >= kPendingLimit) {
        if (!writePending()) return -1;
        m_pendingStart = m_position;
    }
    return size;
}

bool DeviceStream::seek(qint64 offset, int whence) {
    qint64 base = 0;
    if (whence == SEEK_CUR) base = m_position;
    if (whence == SEEK_END) base = end();
    if (base + offset < 0) return false;
    m_position = base + offset;
    return true;
}
