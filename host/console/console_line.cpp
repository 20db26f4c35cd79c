#include "console_line.h"

namespace host {
namespace {
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
}  // namespace

ConsoleLine::ConsoleLine(std::string_view text) {
    // One pass over the text; the kept text is cut once at the end, so a long line of words costs
    // time in proportion to its length.
    std::size_t end = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        if (i == text.size() || text[i] == '#') {
            break;
        }
        const std::size_t start = i;
        while (i < text.size() && !isSpace(text[i])) {
            ++i;
        }
        starts_.push_back(start);
        words_.emplace_back(text.substr(start, i - start));
        end = i;
    }
    text_ = std::string(text.substr(0, end));
}

std::string ConsoleLine::restFrom(std::size_t index) const {
    return index < starts_.size() ? text_.substr(starts_[index]) : std::string();
}

}  // namespace host
