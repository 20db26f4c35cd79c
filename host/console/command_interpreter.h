// The console language: one command per line, run against a host session. Scripts and the
// interactive console both speak it through this class.
//
// Output goes to the session's stream. A command that cannot be done throws HostError with a
// message for the user; the caller adds the file and line. Each command is registered with its
// usage text, a one-line description (both shown by `help`) and the word counts it accepts; a line
// with another count is refused with "usage: USAGE" before the command runs.
//
// Scripts and piped input get the language's own output and nothing more, so transcripts stay
// comparable. A person at a terminal (startAtTerminal) is also told, in one line each, what the
// commands that otherwise print nothing have done.
//
// Threads: execute is called from the thread that drives the host; it runs each command on the
// thread that owns it (declared where the command is added) and waits for it to finish.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "session/host_session.h"
#include "completion.h"
#include "console_line.h"
#include "unmatched_log.h"

namespace host {

// The numbers of words, the command's own name included, a command accepts.
class WordCounts {
public:
    // Exactly one of `counts`.
    WordCounts(std::initializer_list<std::size_t> counts) : counts_(counts) {}
    // `fewest` or more.
    static WordCounts atLeast(std::size_t fewest);

    bool allows(std::size_t count) const;

private:
    std::vector<std::size_t> counts_;
    bool orMore_ = false;
};

class CommandInterpreter {
public:
    // Runs a command. `line` and its words are views into the text given to execute: valid only
    // while the handler runs.
    using Handler = std::function<void(const ConsoleLine& line)>;

    // `session` must outlive the interpreter; the interpreter follows its log while it lives.
    explicit CommandInterpreter(HostSession& session);
    ~CommandInterpreter();
    CommandInterpreter(const CommandInterpreter&) = delete;
    CommandInterpreter& operator=(const CommandInterpreter&) = delete;

    // Runs one line. Blank lines and comments do nothing. A line longer than kLongestConsoleLine
    // (line_reader.h) is refused.
    void execute(std::string_view text);

    // For a person at a terminal: prints one line saying what is loaded and how to get help and
    // leave, and from now on confirms `load`, `unload`, `reload` and `touch` in a line each.
    void startAtTerminal();

    // Whether `quit` or `exit` has run: whoever reads the lines stops, as at the end of input.
    bool quitRequested() const { return quitRequested_; }

    // Adds a command that lives outside the core language (the program adds `panel`). `usage` is
    // shown by `help` and in the refusal of a line whose word count `wordCounts` does not allow;
    // `description`, one line that says what the command does, is shown by `help`. The handler
    // runs only for lines `wordCounts` allows, on the thread `owner`.
    void addCommand(const std::string& name, const std::string& usage, const std::string& description,
                    WordCounts wordCounts, Handler handler, HostThread owner = HostThread::Console);

    // The refusal of a malformed line of the command `name`, which must have been added: "usage: "
    // and its usage text.
    HostError usageError(std::string_view name) const;

    // Every command's name and usage, in sorted order of names (for help and completion).
    std::vector<CompletionWords::Command> commandUsages() const;

private:
    struct Command {
        std::string usage;
        std::string description;
        WordCounts wordCounts;
        HostThread owner;
        Handler handler;
    };

    void add(const std::string& name, const std::string& usage, const std::string& description, WordCounts wordCounts,
             HostThread owner, void (CommandInterpreter::*member)(const ConsoleLine&));
    void help(const ConsoleLine& line);
    void describeVariable(const pluginsdk::detail::ConsoleVariable& variable);
    void quit(const ConsoleLine& line);
    void clock(const ConsoleLine& line);
    void time(const ConsoleLine& line);
    void load(const ConsoleLine& line);
    void unload(const ConsoleLine& line);
    void reload(const ConsoleLine& line);
    void info(const ConsoleLine& line);
    void cvars(const ConsoleLine& line);
    void ball(const ConsoleLine& line);
    void touch(const ConsoleLine& line);
    void wait(const ConsoleLine& line);
    void destroy(const ConsoleLine& line);
    void velocity(const ConsoleLine& line);
    void magnus(const ConsoleLine& line);
    void position(const ConsoleLine& line);
    void spin(const ConsoleLine& line);
    void physics(const ConsoleLine& line);
    void ghost(const ConsoleLine& line);
    void remove(const ConsoleLine& line);
    void echo(const ConsoleLine& line);
    void expect(const ConsoleLine& line);
    void variable(const ConsoleLine& line);
    void trace(const ConsoleLine& line);

    void expectLog(std::string_view text);
    pluginsdk::detail::BallState& requireBall();
    pluginsdk::FlyingBall requireGhost();
    // `NAME` prints the ball's vector, `NAME X Y Z` sets it (on the ghost too).
    void printOrSet(const ConsoleLine& line, pluginsdk::detail::BallVector which);
    // The second word: true for "on", false for "off"; refuses anything else with the usage.
    bool readSwitch(const ConsoleLine& line) const;
    // The one line a person at a terminal sees after a touch: the ball's velocity now, and whether
    // the plug-in scheduled a response (`timersBefore` were pending before the touch).
    void confirmTouch(std::uint8_t team, std::size_t timersBefore);
    std::size_t pendingTimers();

    HostSession& session_;
    // Found by a line's first word, a view, for every line run: hashed, not searched through a tree.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    std::unordered_map<std::string, Command, NameHash, std::equal_to<>> commands_;
    UnmatchedLog unmatchedLog_;  // what `expect log` can still match
    int traceObserver_ = 0;      // while `trace on`: the session's observer that prints the calls
    bool atTerminal_ = false;
    bool quitRequested_ = false;
};

}  // namespace host
