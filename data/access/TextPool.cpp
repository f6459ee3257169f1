#include "data/access/TextPool.h"

#include <QHash>

namespace {
constexpr std::size_t kFirstSlots = 1024;
}

TextPool::TextPool() : m_texts{QString()}, m_hashes{0} {}

std::uint32_t TextPool::intern(QStringView text) { return add(text, text); }

std::uint32_t TextPool::intern(const QString& text) { return add(text, text); }

template <typename Text>
std::uint32_t TextPool::add(const Text& text, QStringView view) {
    if (view.isEmpty()) return 0;
    if (m_hashes.size() != m_texts.size()) {  // the index was released: make it again
        m_hashes.resize(m_texts.size());
        for (std::size_t id = 1; id < m_texts.size(); ++id) {
            m_hashes[id] = static_cast<std::uint32_t>(qHash(QStringView(m_texts[id])));
        }
        m_slots = {};
    }
    if (m_slots.empty() || (m_texts.size() + 1) * 2 > m_slots.size()) grow();
    const auto hash = static_cast<std::uint32_t>(qHash(view));
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t entry = m_slots[slot];
        if (entry == 0) {
            const auto id = static_cast<std::uint32_t>(m_texts.size());
            if constexpr (std::is_same_v<Text, QString>) {
                m_texts.push_back(text);  // shares the characters
            } else {
                m_texts.push_back(view.toString());
            }
            m_hashes.push_back(hash);
            m_slots[slot] = id + 1;
            return id;
        }
        if (m_hashes[entry - 1] == hash && QStringView(m_texts[entry - 1]) == view) {
            return entry - 1;
        }
    }
}

void TextPool::grow() {
    std::vector<std::uint32_t> table(std::max(kFirstSlots, m_slots.size() * 2), 0);
    const std::size_t mask = table.size() - 1;
    for (std::uint32_t id = 1; id < m_texts.size(); ++id) {
        std::size_t slot = m_hashes[id] & mask;
        while (table[slot] != 0) slot = (slot + 1) & mask;
        table[slot] = id + 1;
    }
    m_slots = std::move(table);
}

void TextPool::releaseIndex() {
    m_slots = {};
    m_hashes = {};
}


std::vector<QString> TextPool::takeTexts() {
    std::vector<QString> texts = std::move(m_texts);
    *this = TextPool();
    return texts;
}
