#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// Bytes kept in blocks of a megabyte that never move: a writer that holds a whole table until
// its file can be written grows without copying what it holds, and without the spare half that
// a doubling array may carry, so its memory stays close to the bytes it keeps.
class ChunkedBytes {
public:
    static constexpr qsizetype kBlockSize = qsizetype(1) << 20;

    // Room for `size` contiguous bytes at the end, valid as long as this object lives.
    char* extend(qsizetype size) {
        if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().used < size) {
            const qsizetype capacity = std::max(kBlockSize, size);
            m_blocks.push_back({std::make_unique<char[]>(std::size_t(capacity)), 0, capacity});
        }
        Block& block = m_blocks.back();
        char* at = block.data.get() + block.used;
        block.used += size;
        m_size += size;
        return at;
    }
    void append(const void* data, qsizetype size) { std::memcpy(extend(size), data, size_t(size)); }

    qint64 size() const { return m_size; }

    // Calls `use(data, size)` for each block in order; stops at the first call that returns false.
    template <typename Use>
    bool forEachBlock(Use use) const {
        for (const Block& block : m_blocks) {
            if (block.used > 0 && !use(block.data.get(), block.used)) return false;
        }
        return true;
    }

    // Reads the bytes back in the order they were appended, as contiguous pieces of the sizes
    // they were extended by.
    class Reader {
    public:
        explicit Reader(const ChunkedBytes& bytes) : m_bytes(bytes) {}
        const char* take(qsizetype size) {
            while (m_block < m_bytes.m_blocks.size() &&
                   m_offset + size > m_bytes.m_blocks[m_block].used) {
                ++m_block;
                m_offset = 0;
            }
            if (m_block >= m_bytes.m_blocks.size()) return nullptr;
            const char* at = m_bytes.m_blocks[m_block].data.get() + m_offset;
            m_offset += size;
            return at;
        }

    private:
        const ChunkedBytes& m_bytes;
        std::size_t m_block = 0;
        qsizetype m_offset = 0;
    };

private:
    struct Block {
        std::unique_ptr<char[]> data;
        qsizetype used = 0;
        qsizetype capacity = 0;
    };
    std::vector<Block> m_blocks;
    qint64 m_size = 0;
};
