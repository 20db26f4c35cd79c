// Lines of the console language read from a stream (a script file, standard input), with the
// reasons a line cannot be had told apart: the end, a read error, a line too long to take.
//
// Threads: one. Ownership: the reader borrows the stream, which must outlive it.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace host {

// The longest line the console reads, in bytes without the line end. Longer lines are refused
// unread, so no input can make the host hold or scan an unbounded line.
inline constexpr std::size_t kLongestConsoleLine = std::size_t{1} << 20;  // 1 MiB

class LineReader {
public:
    enum class Result {
        Line,       // `line` holds the next line, without its line end
        End,        // the stream ended; no more lines
        TooLong,    // the line was longer than kLongestConsoleLine; it was skipped to its end
        ReadError,  // reading failed; error() says why. No more lines.
    };

    explicit LineReader(std::istream& in) : in_(in) {}

    Result next(std::string& line);
    // Why the last read failed, in the system's words.
    const std::string& error() const { return error_; }

private:
    std::istream& in_;
    std::string error_;
    bool finished_ = false;
};

}  // namespace host
