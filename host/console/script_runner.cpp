#include "script_runner.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

#include "line_reader.h"
#include "platform/files.h"
#include "platform/process.h"
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

// Lines from a line editor, handed out as a LineReader hands out a stream's. The editor shows its
// own prompt and has no read errors to tell.
class EditorLines {
public:
    explicit EditorLines(const std::function<std::optional<std::string>()>& readLine) : readLine_(readLine) {}

    LineReader::Result next(std::string& line) {
        std::optional<std::string> read = readLine_();
        if (!read) {
            return LineReader::Result::End;
        }
        if (read->size() > kLongestConsoleLine) {
            return LineReader::Result::TooLong;
        }
        line = std::move(*read);
        return LineReader::Result::Line;
    }
    std::string error() const { return {}; }

private:
    const std::function<std::optional<std::string>()>& readLine_;
};

// Where runLines takes its lines from, and what it does after a failed one: a script stops there;
// a console reports it and goes on, showing each line's output as the line ends.
struct LineInput {
    std::string_view name;  // in messages: "<console>" or the script's file name
    const char* what;       // in read errors: "the script", "standard input"
    bool isConsole;
    const char* prompt;     // written before each line, or null
    bool editsLines;        // a line editor at a terminal: Ctrl-C while a line is typed drops the line
};

struct Outcome {
    // Stopped: a read error, output that can no longer be written, or a script's failed line.
    // Signalled: SIGINT or SIGTERM (platform/process.h), `signal`.
    enum class Ending { EndOfInput, Quit, Stopped, Signalled } ending;
    bool anyFailed;
    int signal = 0;
};

// The exit status of a run the stop signal `signal` ended, as a shell gives it.
int signalledStatus(int signal) {
    return 128 + signal;
}

// The one loop that runs lines, from a file, a stream or a line editor.
template <typename Lines>
Outcome runLines(CommandInterpreter& interpreter, Lines& lines, const LineInput& input, std::ostream& out,
                 std::ostream& errors) {
    std::string text;  // kept from line to line so that its memory is reused
    bool anyFailed = false;
    for (std::uint64_t number = 1;; ++number) {
        if (input.prompt != nullptr) {
            out << input.prompt << std::flush;
        }
        errno = 0;
        const LineLocation where{input.name, number};
        const LineReader::Result read = lines.next(text);
        if (const int signal = pendingStopSignal(); signal != 0 && read != LineReader::Result::Line) {
            // Caught while the next line was awaited: at a line editor's prompt, Ctrl-C drops what
            // was typed, as shells do; anything else stops the host, which saves as it ends.
            if (signal != SIGINT || !input.editsLines) {
                if (input.prompt != nullptr || input.editsLines) {
                    out << '\n';  // the cursor was after the prompt
                }
                return {Outcome::Ending::Signalled, anyFailed, signal};
            }
            takeStopSignal();
            out << '\n';
            --number;
            continue;
        }
        bool failed = false;
        switch (read) {
        case LineReader::Result::End:
            break;
        case LineReader::Result::ReadError:
            reportError(where, std::string("cannot read ") + input.what + ": " + lines.error(), out, errors);
            break;
        case LineReader::Result::TooLong:
            reportError(where, "the line is longer than " + std::to_string(kLongestConsoleLine) +
                                   " bytes (1 MiB), the longest line the console reads; it was skipped",
                        out, errors);
            failed = true;
            break;
        case LineReader::Result::Line:
            failed = !runLine(interpreter, text, where, out, errors);
            break;
        }
        if (input.isConsole) {
            out << std::flush;
        }
        anyFailed = anyFailed || failed;
        if (outputLost(out, errors) || read == LineReader::Result::ReadError || (failed && !input.isConsole)) {
            return {Outcome::Ending::Stopped, anyFailed};
        }
        if (read == LineReader::Result::End) {
            return {Outcome::Ending::EndOfInput, anyFailed};
        }
        if (interpreter.quitRequested()) {
            return {Outcome::Ending::Quit, anyFailed};
        }
        if (const int signal = pendingStopSignal(); signal != 0) {
            return {Outcome::Ending::Signalled, anyFailed, signal};
        }
    }
}

}  // namespace

int runScripts(CommandInterpreter& interpreter, const std::vector<std::string>& files, std::ostream& out,
               std::ostream& errors) {
    for (const std::string& file : files) {
        std::ifstream script(fromStartingDirectory(file));
        if (!script) {
            const int reason = errno;
            out << std::flush;
            errors << printable(file) << ": error: cannot read the script: " << std::strerror(reason) << '\n';
            return 1;
        }
        LineReader reader(script);
        const Outcome outcome = runLines(interpreter, reader, {file, "the script", false, nullptr, false}, out, errors);
        if (outcome.ending == Outcome::Ending::Signalled) {
            return signalledStatus(outcome.signal);
        }
        if (outcome.ending == Outcome::Ending::Stopped) {
            return 1;
        }
        if (outcome.ending == Outcome::Ending::Quit) {
            return 0;
        }
    }
    return 0;
}

int runConsole(CommandInterpreter& interpreter, std::istream& in, std::ostream& out, std::ostream& errors,
               bool interactive) {
    LineReader reader(in);
    const Outcome outcome = runLines(interpreter, reader,
                                     {"<console>", "standard input", true, interactive ? "quorvel> " : nullptr, false}, out,
                                     errors);
    if (outcome.ending == Outcome::Ending::Signalled) {
        return signalledStatus(outcome.signal);
    }
    if (outcome.ending == Outcome::Ending::Stopped) {
        return 1;
    }
    if (interactive && outcome.ending == Outcome::Ending::EndOfInput) {
        out << '\n';  // the end of input leaves the cursor after the prompt
    }
    return outcome.anyFailed && !interactive ? 1 : 0;
}

int runConsole(CommandInterpreter& interpreter, const std::function<std::optional<std::string>()>& readLine,
               std::ostream& out, std::ostream& errors) {
    EditorLines lines(readLine);
    const Outcome outcome = runLines(interpreter, lines, {"<console>", "the line editor", true, nullptr, true}, out, errors);
    if (outcome.ending == Outcome::Ending::Signalled) {
        return signalledStatus(outcome.signal);
    }
    if (outcome.ending == Outcome::Ending::Stopped) {
        return 1;
    }
    if (outcome.ending == Outcome::Ending::EndOfInput) {
        out << '\n';  // the end of input leaves the cursor after the prompt
    }
    return 0;
}

}  // namespace host
