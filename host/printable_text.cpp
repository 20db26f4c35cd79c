#include "printable_text.h"

namespace host {

std::string printable(std::string_view text, Plain plain) {
    static const char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool asIs = plain == Plain::Printing ? byte >= 0x20 && byte != 0x7f
                                                   : (byte >= 0x20 && byte < 0x7f) || c == '\n' || c == '\t';
        if (!asIs) {
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
