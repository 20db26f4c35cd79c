#include "console_numbers.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>

#include "host_error.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host {
namespace {

// A whole number in base 10 as strtoll reads one, without its leading space (a word has none): an
// optional sign, '+' included, then digits. Nothing if the text is not that or does not fit.
std::optional<long long> parseInteger(std::string_view word) {
    if (!word.empty() && word.front() == '+') {
        word.remove_prefix(1);
        if (!word.empty() && word.front() == '-') {
            return std::nullopt;  // "+-1": one sign only
        }
    }
    long long value = 0;
    const char* const end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value, 10);
    if (word.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A plain decimal word ("1000", "-0.5", "2.5e-3") read by from_chars, which rounds correctly as
// glibc's strtof does, at a fraction of its cost: scripts are mostly such numbers. Anything else
// (a '+', hexadecimal, infinity and NaN with their payloads, a number out of range) is left to
// parseFloat, which defines how the console reads numbers.
std::optional<float> readPlainDecimal(std::string_view word) {
    const std::size_t first = !word.empty() && word.front() == '-' ? 1 : 0;
    if (first >= word.size() || !((word[first] >= '0' && word[first] <= '9') || word[first] == '.')) {
        return std::nullopt;
    }
    float value = 0.0f;
    const char* const end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value, std::chars_format::general);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

float readFloat(std::string_view word, const char* what) {
    std::optional<float> value = readPlainDecimal(word);
    if (!value) {
        value = pluginsdk::parseFloat(word);
    }
    if (!value) {
        throw HostError(quoted(word) + " is not a number (expected " + what + ")");
    }
    if (std::isinf(*value) && !pluginsdk::spellsInfinity(word)) {
        throw HostError(quoted(word) + " is too large for a float (expected " + what +
                        "; write inf for infinity)");
    }
    return *value;
}

std::int64_t readInteger(std::string_view word, const char* what, std::int64_t min, std::int64_t max) {
    const std::optional<long long> value = parseInteger(word);
    if (!value || *value < min || *value > max) {
        throw HostError(quoted(word) + " is not a whole number from " + std::to_string(min) + " to " +
                        std::to_string(max) + " (expected " + what + ")");
    }
    return *value;
}

bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return a == b && std::signbit(a) == std::signbit(b);
}

bool sameVector(const Vector& a, const Vector& b) {
    return sameFloat(a.X, b.X) && sameFloat(a.Y, b.Y) && sameFloat(a.Z, b.Z);
}

}  // namespace host
