// An output stream that takes everything and keeps nothing, and never fails: the fuzzers' sessions
// write to it, so the host formats every line as usual without the run filling a terminal or disk.
#pragma once

#include <ostream>
#include <streambuf>

namespace fuzzing {

class DiscardingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type character) override { return traits_type::not_eof(character); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// The buffer is a base, not a member, so it exists before the stream that points at it.
class NullOutput : private DiscardingBuffer, public std::ostream {
public:
    NullOutput() : std::ostream(static_cast<DiscardingBuffer*>(this)) {}
};

}  // namespace fuzzing
