#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

#include "data/access/TextList.h"

// One text value of the data model: a cell, a sheet name, a path of a recent-file list, a cell
// of a Totals group. It is defined here, below the model, because a pool holds its texts as
// these records: a loaded sheet takes the pool's texts over as they are, without a copy.
struct clValues {
    QString Value;
};

// The distinct texts of a loaded table, by id (0: the empty text), in one block of characters:
// a text costs its characters and an offset, not an allocation of its own. Reading one makes a
// clValues of it, as the data model's records read everywhere else.
class PooledTexts {
public:
    PooledTexts() = default;
    explicit PooledTexts(TextList texts) : m_texts(std::move(texts)) {}

    std::size_t size() const { return m_texts.size(); }
    QStringView view(std::size_t id) const { return m_texts.at(id); }
    clValues operator[](std::size_t id) const { return {view(id).toString()}; }
    // A text read in place, for a look-up that keeps nothing: the string refers to the pool's
    // characters and must not outlive the pool (a copy of it refers to them too).
    QString borrowed(std::size_t id) const {
        const QStringView text = view(id);
        return QString::fromRawData(text.data(), text.size());
    }

private:
    TextList m_texts;
};

// The distinct texts of one table, each held once and named by a 32-bit id; id 0 is the empty
// text. Equal texts get equal ids, so within one table comparing ids is comparing texts.
class TextPool {
public:
    TextPool();

    // The id of `text`, adding it when it is new.
    std::uint32_t intern(QStringView text);
    std::uint32_t intern(const QString& text);

    QStringView view(std::uint32_t id) const { return m_texts.at(id); }
    QString text(std::uint32_t id) const { return view(id).toString(); }
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_texts.size()); }
    // Makes room for `count` more texts of `characters` characters in all at once. Room
    // reserved and never used costs address space, not memory: its pages are never touched.
    void reserve(std::size_t count, std::size_t characters = 0);

    // Interning many texts in a row: hash each, prefetch its slot, then intern it with its
    // hash, so that the slots' cache misses overlap instead of coming one after the other.
    // Call prepare(count) first: until `count` texts are interned no slot moves.
    static std::uint32_t hashOf(QStringView text);
    void prepare(std::size_t count);
    void prefetch(std::uint32_t hash) const {
        if (!m_slots.empty()) __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
    }
    std::uint32_t intern(const QString& text, std::uint32_t hash);
    std::uint32_t intern(QStringView text, std::uint32_t hash);

    // Hands the texts over, in id order; the pool is empty afterwards.
    PooledTexts takeTexts();

private:
    std::uint32_t add(QStringView text, std::uint32_t hash);
    void rebuildIndex(std::size_t slotCount);
    bool fits(std::size_t texts) const { return texts * 4 <= m_slots.size() * 3; }

    // Open addressing; a slot holds a text's hash (high half) and its id + 1 (low half), or 0
    // when free, so that a probe reads one slot and compares texts only when the hashes agree.
    std::vector<std::uint64_t> m_slots;
    TextList m_texts;
};
