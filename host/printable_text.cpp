#include "printable_text.h"

namespace host {

std::string printable(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            result += "\\x";
            result += digits[byte >> 4];
            result += digits[byte & 0xf];
        } else {
            result += c;
        }
    }
    return result;
}

std::string quoted(std::string_view text) {
    return '"' + printable(text) + '"';
}

}  // namespace host
