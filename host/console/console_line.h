// One line of the console language, split into words. `#` at the start of a word begins a comment
// that runs to the end of the line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class ConsoleLine {
public:
    explicit ConsoleLine(std::string_view text);

    bool empty() const { return words_.empty(); }
    std::size_t size() const { return words_.size(); }
    const std::string& operator[](std::size_t index) const { return words_[index]; }
    // The text from word `index` to the end of the line (comment excluded), spacing kept as typed.
    // Empty if there are not that many words.
    std::string restFrom(std::size_t index) const;

private:
    std::string text_;                 // the line without its comment and trailing space
    std::vector<std::string> words_;
    std::vector<std::size_t> starts_;  // where each word starts in text_
};

}  // namespace host
