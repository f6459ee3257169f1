#pragma once

#include <QStringView>
#include <cstdint>
#include <vector>

// Many texts in one block of characters, each named by its position: a workbook's shared texts,
// which are many and mostly short, held without an allocation each.
class TextList {
public:
    void reserve(std::size_t texts, std::size_t characters) {
        m_ends.reserve(texts);
        m_characters.reserve(characters);
    }
    void reserveTexts(std::size_t texts) { m_ends.reserve(texts); }
    std::size_t characterCount() const { return m_characters.size(); }
    void append(QStringView text) {
        m_characters.insert(m_characters.end(), text.utf16(), text.utf16() + text.size());
        m_ends.push_back(m_characters.size());
    }
    std::size_t size() const { return m_ends.size(); }
    QStringView at(std::size_t index) const {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return QStringView(m_characters.data() + begin,
                           static_cast<qsizetype>(m_ends[index] - begin));
    }

private:
    std::vector<char16_t> m_characters;
    std::vector<std::size_t> m_ends;  // where each text ends in m_characters
};
