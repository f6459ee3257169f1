#include "data/access/TextPool.h"

#include <QHash>
#include <algorithm>
#include <bit>

namespace {

constexpr std::size_t kFirstSlots = 1024;

// The index is filled up to three quarters.
std::size_t slotsFor(std::size_t texts) {
    return std::bit_ceil(texts * 4 / 3 + 1);
}

}  // namespace

std::uint32_t TextPool::hashOf(QStringView text) {
    // Seeded per run, so that no file can be made to collide on purpose.
    return static_cast<std::uint32_t>(qHash(text, QHashSeed::globalSeed()));
}

TextPool::TextPool() {
    m_texts.append({});  // id 0
}

std::uint32_t TextPool::intern(QStringView text) {
    return add(text, hashOf(text));
}

std::uint32_t TextPool::intern(const QString& text) {
    return add(text, hashOf(text));
}

std::uint32_t TextPool::intern(const QString& text, std::uint32_t hash) {
    return add(text, hash);
}

std::uint32_t TextPool::intern(QStringView text, std::uint32_t hash) {
    return add(text, hash);
}

void TextPool::prepare(std::size_t count) {
    if (!fits(m_texts.size() + count)) {
        rebuildIndex(std::max({kFirstSlots, m_slots.size() * 2, slotsFor(m_texts.size() + count)}));
    }
}

void TextPool::reserve(std::size_t count, std::size_t characters) {
    const std::size_t wanted = slotsFor(m_texts.size() + count);
    m_texts.reserve(m_texts.size() + count, m_texts.characterCount() + characters);
    if (wanted > m_slots.size()) rebuildIndex(wanted);
}

std::uint32_t TextPool::add(QStringView text, std::uint32_t hash) {
    if (text.isEmpty()) return 0;
    if (!fits(m_texts.size() + 1)) {
        rebuildIndex(std::max(kFirstSlots, m_slots.size() * 2));
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t entry = m_slots[slot];
        if (entry == 0) {
            const auto id = static_cast<std::uint32_t>(m_texts.size());
            m_texts.append(text);
            m_slots[slot] = (std::uint64_t(hash) << 32) | (id + 1);
            return id;
        }
        if (entry >> 32 == hash) {
            const std::uint32_t id = static_cast<std::uint32_t>(entry) - 1;
            if (m_texts.at(id) == text) return id;
        }
    }
}

void TextPool::rebuildIndex(std::size_t slotCount) {
    std::vector<std::uint64_t> table(slotCount, 0);
    const std::size_t mask = table.size() - 1;
    for (const std::uint64_t entry : m_slots) {
        if (entry == 0) continue;
        std::size_t slot = (entry >> 32) & mask;
        while (table[slot] != 0) slot = (slot + 1) & mask;
        table[slot] = entry;
    }
    m_slots = std::move(table);
}

PooledTexts TextPool::takeTexts() {
    PooledTexts texts(std::move(m_texts));
    *this = TextPool();
    return texts;
}
