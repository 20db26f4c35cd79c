// The numbers the command line's options take, read as the user wrote them: a value that is not a
// number, or is outside the option's range, is refused in words that name the value and the range
// (never a range of 309 digits, never a negative seed taken as a huge one).
//
// Who calls it: the command line (command_line.cpp), as it declares its options; CLI11 runs the
// checks on the options' text before it converts it.
#pragma once

#include <cstdint>
#include <limits>

#include <CLI/CLI.hpp>

namespace host {

// Digits only, from `min` to `max`.
CLI::Validator wholeNumberFrom(std::uint64_t min, std::uint64_t max = std::numeric_limits<std::uint64_t>::max());

// A finite decimal number, more than `min` (`orEqual`: or equal to it).
CLI::Validator numberAbove(double min, bool orEqual);

}  // namespace host
