#include "console_line.h"

namespace host {
namespace {
// ' ', or one of '\t' '\n' '\v' '\f' '\r', which are consecutive: what C's isspace takes for space
// in the "C" locale, tested in two comparisons since every character of a line passes here.
bool isSpace(char c) {
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}
}  // namespace

ConsoleLine::ConsoleLine(std::string_view text) {
    // One pass over the text, and no copy of it: a long line of words costs time in proportion to
    // its length.
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
        const std::string_view found = text.substr(start, i - start);
        if (count_ < kInlineWords) {
            inlineWords_[count_] = found;
        } else {
            if (count_ == kInlineWords) {
                moreWords_.assign(inlineWords_.begin(), inlineWords_.end());
            }
            moreWords_.push_back(found);
        }
        ++count_;
        end = i;
    }
    text_ = text.substr(0, end);
}

std::string_view ConsoleLine::textFrom(std::size_t index) const {
    if (index >= count_) {
        return {};
    }
    // Each word is a view into text_, so where it starts in text_ is its distance from the front.
    const std::size_t start = static_cast<std::size_t>(word(index).data() - text_.data());
    return text_.substr(start);
}

}  // namespace host
