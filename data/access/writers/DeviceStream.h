#pragma once

#include <QIODevice>
#include <cstdio>

// A C stream over a QIODevice, for the libraries that write files through stdio (libgsf's
// compound files, shapelib's dBase tables): their output then goes straight into the file the
// caller opened (or into the device a test wraps around it) instead of a copy in memory.
// Reading, writing and seeking go to the device, which must be random-access. Closing the stream
// leaves the device open.
class DeviceStream {
public:
    explicit DeviceStream(QIODevice& device);
    ~DeviceStream();
    DeviceStream(const DeviceStream&) = delete;
    DeviceStream& operator=(const DeviceStream&) = delete;

    FILE* file() const { return m_file; }
    // Whether a read, write or seek through the stream has failed so far.
    bool failed() const { return m_failed || (m_file && std::ferror(m_file)); }
    // Flushes and closes the stream; false if any write or seek through it failed.
    bool close();

private:
    static ssize_t read(void* cookie, char* buffer, size_t size);
    static ssize_t write(void* cookie, const char* buffer, size_t size);
    static int seek(void* cookie, off64_t* offset, int whence);

    QIODevice& m_device;
    FILE* m_file = nullptr;
    bool m_failed = false;
};
