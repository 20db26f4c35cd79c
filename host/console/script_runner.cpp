#include "script_runner.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string_view>

#include "line_reader.h"
#include "printable_text.h"

namespace host {
namespace {

// Where a line came from: its input ("<console>" or a file name) and its number. Messages are rare,
// so the "FILE:LINE" text is written only when one is reported, not for every line run.
// Counted in 64 bits: a script of billions of empty lines must not wrap it.
struct LineLocation {
    std::string_view input;
    std::uint64_t number;
};

void reportError(const LineLocation& where, std::string_view message, std::ostream& out, std::ostream& errors) {
    out << std::flush;
    // The number is written by to_chars, not by the stream, whose locale could group its digits.
    char number[24];
    const std::string_view digits(number, std::to_chars(number, number + sizeof number, where.number).ptr - number);
    errors << printable(where.input) << ':' << digits << ": error: " << printable(message) << '\n';
}

// Runs one line; on failure prints the error at `where` and returns false.
bool runLine(CommandInterpreter& interpreter, std::string_view text, const LineLocation& where, std::ostream& out,
             std::ostream& errors) {
    try {
        interpreter.execute(text);
        return true;
    } catch (const HostError& error) {
        reportError(where, error.what(), out, errors);
    }
    return false;
}

// What became of the next line: it ran, it failed (reported), the input ended, or the input
// cannot be read any further (reported).
enum class Step { Ran, Failed, End, Stop };

// `text` is the caller's, kept from line to line so that its memory is reused.
Step runNextLine(CommandInterpreter& interpreter, LineReader& reader, std::string& text, const LineLocation& where,
                 const char* inputName, std::ostream& out, std::ostream& errors) {
    switch (reader.next(text)) {
    case LineReader::Result::End:
        return Step::End;
    case LineReader::Result::ReadError:
        reportError(where, std::string("cannot read ") + inputName + ": " + reader.error(), out, errors);
        return Step::Stop;
    case LineReader::Result::TooLong:
        reportError(where, "the line is longer than " + std::to_string(kLongestConsoleLine) +
                               " bytes (1 MiB), the longest line the console reads; it was skipped",
                    out, errors);
        return Step::Failed;
    case LineReader::Result::Line:
        break;
    }
    return runLine(interpreter, text, where, out, errors) ? Step::Ran : Step::Failed;
}

// Output that can no longer be written: what follows would be lost without a word. errno is
// cleared before each line, so a reason found here comes from the failed write.
bool outputLost(std::ostream& out, std::ostream& errors) {
    if (out) {
        return false;
    }
    const int reason = errno;
    errors << "quorvel-host: error: cannot write the output"
           << (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()) << '\n';
    return true;
}

}  // namespace

int runScripts(CommandInterpreter& interpreter, const std::vector<std::string>& files, std::ostream& out,
               std::ostream& errors) {
    for (const std::string& file : files) {
        std::ifstream script(file);
        if (!script) {
            const int reason = errno;
            out << std::flush;
            errors << printable(file) << ": error: cannot read the script: " << std::strerror(reason) << '\n';
            return 1;
        }
        LineReader reader(script);
        std::string text;
        for (std::uint64_t number = 1;; ++number) {
            errno = 0;
            const Step step = runNextLine(interpreter, reader, text, {file, number}, "the script", out, errors);
            if (outputLost(out, errors)) {
                return 1;
            }
            if (step == Step::End) {
                break;
            }
            if (step != Step::Ran) {
                return 1;
            }
            if (interpreter.quitRequested()) {
                return 0;
            }
        }
    }
    return 0;
}

int runConsole(CommandInterpreter& interpreter, std::istream& in, std::ostream& out, std::ostream& errors,
               bool interactive) {
    LineReader reader(in);
    std::string text;
    bool anyFailed = false;
    for (std::uint64_t number = 1;; ++number) {
        if (interactive) {
            out << "quorvel> " << std::flush;
        }
        errno = 0;
        const Step step =
            runNextLine(interpreter, reader, text, {"<console>", number}, "standard input", out, errors);
        out << std::flush;
        if (outputLost(out, errors) || step == Step::Stop) {
            return 1;
        }
        if (step == Step::End) {
            if (interactive) {
                out << '\n';  // the end of input leaves the cursor after the prompt
            }
            break;
        }
        anyFailed = anyFailed || step == Step::Failed;
        if (interpreter.quitRequested()) {
            break;
        }
    }
    return anyFailed && !interactive ? 1 : 0;
}

int runConsole(CommandInterpreter& interpreter, const std::function<std::optional<std::string>()>& readLine,
               std::ostream& out, std::ostream& errors) {
    for (std::uint64_t number = 1;; ++number) {
        errno = 0;
        const std::optional<std::string> text = readLine();
        if (!text) {
            out << '\n';  // the end of input leaves the cursor after the prompt
            break;
        }
        const LineLocation where{"<console>", number};
        if (text->size() > kLongestConsoleLine) {
            reportError(where, "the line is longer than " + std::to_string(kLongestConsoleLine) +
                                   " bytes (1 MiB), the longest line the console reads; it was skipped",
                        out, errors);
        } else {
            runLine(interpreter, *text, where, out, errors);
        }
        out << std::flush;
        if (outputLost(out, errors)) {
            return 1;
        }
        if (interpreter.quitRequested()) {
            break;
        }
    }
    return 0;
}

}  // namespace host
