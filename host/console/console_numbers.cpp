#include "console_numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "host_error.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host {
namespace {

// Whether `word` spells infinity itself ("inf", "-Infinity"), rather than a number too large.
bool spellsInfinity(std::string_view word) {
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
        word.remove_prefix(1);
    }
    std::string lower;
    for (const char c : word) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return lower == "inf" || lower == "infinity";
}

}  // namespace

float readFloat(const std::string& word, const char* what) {
    const std::optional<float> value = pluginsdk::parseFloat(word);
    if (!value) {
        throw HostError(quoted(word) + " is not a number (expected " + what + ")");
    }
    if (std::isinf(*value) && !spellsInfinity(word)) {
        throw HostError(quoted(word) + " is too large for a float (expected " + what +
                        "; write inf for infinity)");
    }
    return *value;
}

std::int64_t readInteger(const std::string& word, const char* what, std::int64_t min, std::int64_t max) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || end != word.c_str() + word.size() || errno == ERANGE || value < min || value > max) {
        throw HostError(quoted(word) + " is not a whole number from " + std::to_string(min) + " to " +
                        std::to_string(max) + " (expected " + what + ")");
    }
    return value;
}

// The C runtimes disagree on a NaN's sign (glibc writes "-nan", MinGW-w64 drops the sign), and
// transcripts must be the same on every platform, so NaN is spelled here.
std::string formatComponent(float value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// Built by appending rather than by chaining operator+: at -O3, GCC 12 inlines the chain and then
// reports a -Wrestrict overlap in it that cannot happen, a known false positive of that release.
std::string formatVector(const Vector& vector) {
    std::string text = "(";
    text += formatComponent(vector.X);
    text += ", ";
    text += formatComponent(vector.Y);
    text += ", ";
    text += formatComponent(vector.Z);
    text += ')';
    return text;
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
