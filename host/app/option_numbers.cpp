#include "option_numbers.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <system_error>

#include "printable_text.h"

namespace host {
namespace {

std::string shown(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

}  // namespace

CLI::Validator wholeNumberFrom(std::uint64_t min, std::uint64_t max) {
    return CLI::Validator(
        [min, max](const std::string& text) -> std::string {
            std::uint64_t value = 0;
            const char* const end = text.data() + text.size();
            // from_chars takes no sign at all for an unsigned number: "-1" is refused, not wrapped.
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error != std::errc() || stop != end || value < min || value > max) {
                return host::quoted(text) + " is not a whole number from " + std::to_string(min) + " to " +
                       std::to_string(max);
            }
            return "";
        },
        "", "whole number");
}

CLI::Validator numberAbove(double min, bool orEqual) {
    return CLI::Validator(
        [min, orEqual](const std::string& text) -> std::string {
            double value = 0.0;
            const char* const end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
            const std::string range = (orEqual ? shown(min) + " or more" : "more than " + shown(min));
            if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
                return host::quoted(text) + " is not a number (expected " + range + ")";
            }
            if (value < min || (value == min && !orEqual)) {
                return host::quoted(text) + " is out of range (expected " + range + ")";
            }
            return "";
        },
        "", "number");
}

}  // namespace host
