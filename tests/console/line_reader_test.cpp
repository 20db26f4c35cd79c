// Reading console lines: the end, a failed read and an overlong line are told apart.
#include <gtest/gtest.h>

#include <ios>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>

#include "console/line_reader.h"

namespace {

using Result = host::LineReader::Result;

// A stream that gives `text` and then fails to read, as a file on a failing disk does.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::string text) : text_(std::move(text)) {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

protected:
    int_type underflow() override {
        throw std::ios_base::failure("read failed", std::make_error_code(std::errc::io_error));
    }

private:
    std::string text_;
};

TEST(LineReader, ReadsLinesWithAndWithoutAFinalLineEnd) {
    std::istringstream in("first\n\nlast");
    host::LineReader reader(in);
    std::string line;
    ASSERT_EQ(reader.next(line), Result::Line);
    EXPECT_EQ(line, "first");
    ASSERT_EQ(reader.next(line), Result::Line);
    EXPECT_EQ(line, "");
    ASSERT_EQ(reader.next(line), Result::Line);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(reader.next(line), Result::End);
    EXPECT_EQ(reader.next(line), Result::End);
}

TEST(LineReader, AReadErrorPartWayIsNotTheEnd) {
    FailingBuffer buffer("load\nwait 1\ntou");
    std::istream in(&buffer);
    host::LineReader reader(in);
    std::string line;
    ASSERT_EQ(reader.next(line), Result::Line);
    ASSERT_EQ(reader.next(line), Result::Line);
    EXPECT_EQ(line, "wait 1");
    // The half line before the failure is not run as if it were whole.
    EXPECT_EQ(reader.next(line), Result::ReadError);
    EXPECT_EQ(line, "");
    EXPECT_EQ(reader.error(), std::make_error_code(std::errc::io_error).message());
    EXPECT_EQ(reader.next(line), Result::ReadError);
}

TEST(LineReader, ALineOverTheLimitIsSkippedToItsEnd) {
    const std::string longest(host::kLongestConsoleLine, 'a');
    std::istringstream in(longest + "\n" + longest + "b\nafter\n" + longest + "bb");
    host::LineReader reader(in);
    std::string line;
    ASSERT_EQ(reader.next(line), Result::Line);
    EXPECT_EQ(line.size(), host::kLongestConsoleLine);
    EXPECT_EQ(reader.next(line), Result::TooLong);
    EXPECT_TRUE(line.empty());
    ASSERT_EQ(reader.next(line), Result::Line);
    EXPECT_EQ(line, "after");
    EXPECT_EQ(reader.next(line), Result::TooLong);
    EXPECT_EQ(reader.next(line), Result::End);
}

}  // namespace
