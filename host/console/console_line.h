// One line of the console language, split into words. `#` at the start of a word begins a comment
// that runs to the end of the line.
//
// Ownership: the line borrows its text. Its words are views into that text, so the text must
// outlive the line and stay unchanged while it lives; convert a word to std::string where it must
// outlive the line (a name kept in the world, a file name handed on). A line of up to kInlineWords
// words is split without touching the heap, so running a script costs no memory per line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class ConsoleLine {
public:
    explicit ConsoleLine(std::string_view text);

    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    std::string_view operator[](std::size_t index) const { return word(index); }
    // The text from word `index` to the end of the line (comment excluded), spacing kept as typed.
    // Empty if there are not that many words.
    std::string_view textFrom(std::size_t index) const;
    // textFrom as a string of its own, for text that must outlive the line.
    std::string restFrom(std::size_t index) const { return std::string(textFrom(index)); }

private:
    // Enough for every command of the language; longer lines (`echo` of many words) keep their
    // words on the heap.
    static constexpr std::size_t kInlineWords = 8;

    std::string_view word(std::size_t index) const {
        return count_ <= kInlineWords ? inlineWords_[index] : moreWords_[index];
    }

    std::string_view text_;  // the line without its comment and trailing space
    std::size_t count_ = 0;
    std::array<std::string_view, kInlineWords> inlineWords_;
    std::vector<std::string_view> moreWords_;  // every word, once there are more than kInlineWords
};

}  // namespace host
