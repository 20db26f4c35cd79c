#include "number_text.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace pluginsdk {

std::optional<float> parseFloat(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const std::string copy(text);  // strtof needs a terminated string
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) {
        return std::nullopt;
    }
    // Overflow gives infinity and underflow a tiny or zero value: both are what C reads.
    return value;
}

std::string formatFloat(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace pluginsdk
