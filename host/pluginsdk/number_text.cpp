#include "number_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#if !defined(_WIN32)
#include <locale.h>
#endif

#include "host_environment.h"

namespace pluginsdk {
namespace {

std::string formatComponent(float value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    const HostNumberEnvironment hostNumbers;
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

}  // namespace

std::optional<float> parseFloat(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const std::string copy(text);  // strtof needs a terminated string
    char* end = nullptr;
    errno = 0;
    // In the host's rounding, whoever called (a plug-in's registerCvar, say), and in the "C"
    // locale's format whatever locale the thread is in.
    const HostNumberEnvironment hostNumbers;
#if defined(_WIN32)
    const float value = std::strtof(copy.c_str(), &end);
#else
    const float value = ::strtof_l(copy.c_str(), &end, static_cast<locale_t>(detail::cLocale()));
#endif
    if (end != copy.c_str() + copy.size()) {
        return std::nullopt;
    }
    // Overflow gives infinity and underflow a tiny or zero value: both are what C reads.
    return value;
}

bool spellsInfinity(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    const auto spells = [text](std::string_view lower) {
        if (text.size() != lower.size()) {
            return false;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower[i]) {
                return false;
            }
        }
        return true;
    };
    return spells("inf") || spells("infinity");
}

std::string formatFloat(float value) {
    const HostNumberEnvironment hostNumbers;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
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

}  // namespace pluginsdk
