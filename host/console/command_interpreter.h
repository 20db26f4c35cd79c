// The console language: one command per line, run against a host session. Scripts and the
// interactive console both speak it through this class.
//
// Output goes to the session's stream. A command that cannot be done throws CommandError with a
// message for the user; the caller adds the file and line.
//
// Threads: execute is called from the thread that drives the host; it runs each command on the
// thread that owns it (declared where the command is added) and waits for it to finish.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "../session/host_session.h"
#include "console_line.h"
#include "unmatched_log.h"

namespace host {

class CommandInterpreter {
public:
    using Handler = std::function<void(const ConsoleLine& line)>;

    // `session` must outlive the interpreter; the interpreter follows its log while it lives.
    explicit CommandInterpreter(HostSession& session);
    ~CommandInterpreter();
    CommandInterpreter(const CommandInterpreter&) = delete;
    CommandInterpreter& operator=(const CommandInterpreter&) = delete;

    // Runs one line. Blank lines and comments do nothing. A line longer than kLongestConsoleLine
    // (line_reader.h) is refused.
    void execute(std::string_view text);

    // Adds a command that lives outside the core language (for example rendering). `usage` is shown
    // by `help`; `owner` is the thread the handler runs on.
    void addCommand(const std::string& name, const std::string& usage, HostThread owner, Handler handler);

private:
    struct Command {
        std::string usage;
        HostThread owner;
        Handler handler;
    };

    void add(const std::string& name, const std::string& usage, HostThread owner,
             void (CommandInterpreter::*member)(const ConsoleLine&));
    void help(const ConsoleLine& line);
    void clock(const ConsoleLine& line);
    void load(const ConsoleLine& line);
    void unload(const ConsoleLine& line);
    void info(const ConsoleLine& line);
    void cvars(const ConsoleLine& line);
    void ball(const ConsoleLine& line);
    void touch(const ConsoleLine& line);
    void wait(const ConsoleLine& line);
    void destroy(const ConsoleLine& line);
    void velocity(const ConsoleLine& line);
    void magnus(const ConsoleLine& line);
    void remove(const ConsoleLine& line);
    void echo(const ConsoleLine& line);
    void expect(const ConsoleLine& line);
    void variable(const ConsoleLine& line);
    void trace(const ConsoleLine& line);

    void expectLog(const std::string& text);
    pluginsdk::detail::BallState& requireBall();

    HostSession& session_;
    std::map<std::string, Command> commands_;
    UnmatchedLog unmatchedLog_;  // what `expect log` can still match
};

}  // namespace host
