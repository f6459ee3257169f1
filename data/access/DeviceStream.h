#pragma once

#include <QByteArray>
#include <QIODevice>
#include <cstdio>

// A byte stream over a random-access QIODevice, for the libraries that write files through their
// own file calls (libgsf's compound files through stdio, shapelib's dBase tables through its
// hooks): their output then goes straight into the file the caller opened (or into the device a
// test wraps around it) instead of a copy in memory.
//
// Writes are gathered here, and a seek costs nothing until the stream reads or writes elsewhere:
// shapelib seeks before every record it writes, and passing each seek on would cost two system
// calls a record. Closing the stream leaves the device open.
class DeviceStream {
public:
    explicit DeviceStream(QIODevice& device);
    ~DeviceStream();
    DeviceStream(const DeviceStream&) = delete;
    DeviceStream& operator=(const DeviceStream&) = delete;

    // As fread, fwrite, fseek and ftell do, in bytes.
    qint64 read(void* buffer, qint64 size);
    qint64 write(const void* buffer, qint64 size);
    bool seek(qint64 offset, int whence);
    qint64 tell() const { return m_position; }

    // The same stream as a C stream, made on first use.
    FILE* file();
    // Whether a read, write or seek has failed so far.
    bool failed() const { return m_failed || (m_file && std::ferror(m_file)); }
    // Hands everything on to the device; false if anything failed.
    bool close();

private:
    bool writePending();
    qint64 end() const { return std::max(m_deviceEnd, m_pendingStart + m_pending.size()); }

    QIODevice& m_device;
    FILE* m_file = nullptr;
    QByteArray m_pending;       // written but not yet handed to the device
    qint64 m_pendingStart = 0;  // where m_pending goes in the device
    qint64 m_deviceEnd = 0;     // the size of what the device holds
    qint64 m_position = 0;      // where the stream stands
    bool m_failed = false;
};
