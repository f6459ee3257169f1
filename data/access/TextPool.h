#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

// The distinct texts of one table, each held once and named by a 32-bit id; id 0 is the empty
// text. Equal texts get equal ids, so within one table comparing ids is comparing texts.
class TextPool {
public:
    TextPool();

    // The id of `text`, adding it when it is new.
    std::uint32_t intern(QStringView text);
    std::uint32_t intern(const QString& text);

    const QString& text(std::uint32_t id) const { return m_texts[id]; }
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_texts.size()); }

    // Forgets the look-up index; the texts stay and keep their ids. Adding a text afterwards
    // makes the index again.
    void releaseIndex();
    // Hands the texts over, in id order; the pool is empty afterwards.
    std::vector<QString> takeTexts();

private:
    template <typename Text>
    std::uint32_t add(const Text& text, QStringView view);
    void grow();

    std::vector<QString> m_texts;
    std::vector<std::uint32_t> m_hashes;  // of each text, so that growing hashes nothing again
    std::vector<std::uint32_t> m_slots;   // open addressing: id + 1, or 0 for a free slot
};
