#include "line_reader.h"

#include <exception>
#include <ios>
#include <system_error>

namespace host {

LineReader::Result LineReader::next(std::string& line) {
    line.clear();
    if (finished_) {
        return error_.empty() ? Result::End : Result::ReadError;
    }
    std::streambuf* buffer = in_.rdbuf();
    bool tooLong = false;
    bool any = false;
    try {
        for (;;) {
            const std::streambuf::int_type next = buffer->sbumpc();
            if (std::streambuf::traits_type::eq_int_type(next, std::streambuf::traits_type::eof())) {
                finished_ = true;
                in_.setstate(std::ios::eofbit);
                if (!any) {
                    return Result::End;
                }
                break;
            }
            any = true;
            const char c = std::streambuf::traits_type::to_char_type(next);
            if (c == '\n') {
                break;
            }
            if (line.size() == kLongestConsoleLine) {
                tooLong = true;  // keep reading to the line's end, but keep nothing more
            } else {
                line.push_back(c);
            }
        }
    } catch (const std::exception& failure) {
        // File buffers report a failed read (a folder opened as a file, an I/O error) by throwing
        // from the buffer; taking it for the end would run half a script as if it were whole.
        finished_ = true;
        in_.setstate(std::ios::badbit);
        const auto* systemError = dynamic_cast<const std::system_error*>(&failure);
        error_ = systemError != nullptr ? systemError->code().message() : std::string(failure.what());
        if (error_.empty()) {
            error_ = "read error";
        }
        line.clear();
        return Result::ReadError;
    }
    if (tooLong) {
        line.clear();
        return Result::TooLong;
    }
    return Result::Line;
}

}  // namespace host
