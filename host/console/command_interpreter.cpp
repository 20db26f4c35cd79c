#include "command_interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>

#include "console_numbers.h"
#include "line_reader.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host {
namespace {

Vector readVector(const ConsoleLine& line, std::size_t first) {
    return {readFloat(line[first], "X"), readFloat(line[first + 1], "Y"), readFloat(line[first + 2], "Z")};
}

}  // namespace

CommandInterpreter::CommandInterpreter(HostSession& session) : session_(session) {
    session_.setLogObserver([this](const pluginsdk::LogLine& line) { unmatchedLog_.add(line.text); });
    // Each command runs on the thread that owns what it touches: loading on the loader thread, the
    // world (ball, touches, clocks, variables, log) on the game thread; the console's own output on
    // the console thread.
    add("help", "help", {1}, HostThread::Console, &CommandInterpreter::help);
    add("clock", "clock SECONDS", {2}, HostThread::Game, &CommandInterpreter::clock);
    add("load", "load", {1}, HostThread::Loader, &CommandInterpreter::load);
    add("unload", "unload", {1}, HostThread::Loader, &CommandInterpreter::unload);
    add("reload", "reload", {1}, HostThread::Loader, &CommandInterpreter::reload);
    add("info", "info", {1}, HostThread::Loader, &CommandInterpreter::info);
    add("cvars", "cvars", {1}, HostThread::Game, &CommandInterpreter::cvars);
    add("ball", "ball VX VY VZ", {4}, HostThread::Game, &CommandInterpreter::ball);
    add("touch", "touch TEAM [VX VY VZ]", {2, 5}, HostThread::Game, &CommandInterpreter::touch);
    add("wait", "wait SECONDS", {2}, HostThread::Game, &CommandInterpreter::wait);
    add("destroy", "destroy", {1}, HostThread::Game, &CommandInterpreter::destroy);
    add("velocity", "velocity", {1}, HostThread::Game, &CommandInterpreter::velocity);
    add("magnus", "magnus [X Y Z]", {1, 4}, HostThread::Game, &CommandInterpreter::magnus);
    add("remove", "remove NAME", {2}, HostThread::Game, &CommandInterpreter::remove);
    add("echo", "echo [TEXT]", WordCounts::atLeast(1), HostThread::Console, &CommandInterpreter::echo);
    add("trace", "trace on|off", {2}, HostThread::Game, &CommandInterpreter::trace);
    add("expect",
        "expect velocity X Y Z | expect magnus X Y Z | expect log TEXT | expect NAME VALUE", WordCounts::atLeast(3),
        HostThread::Game, &CommandInterpreter::expect);
}

CommandInterpreter::~CommandInterpreter() {
    session_.setLogObserver(nullptr);
}

WordCounts WordCounts::atLeast(std::size_t fewest) {
    WordCounts counts{fewest};
    counts.orMore_ = true;
    return counts;
}

bool WordCounts::allows(std::size_t count) const {
    for (const std::size_t allowed : counts_) {
        if (count == allowed || (orMore_ && count > allowed)) {
            return true;
        }
    }
    return false;
}

void CommandInterpreter::add(const std::string& name, const std::string& usage, WordCounts wordCounts,
                             HostThread owner, void (CommandInterpreter::*member)(const ConsoleLine&)) {
    addCommand(
        name, usage, std::move(wordCounts), [this, member](const ConsoleLine& line) { (this->*member)(line); }, owner);
}

void CommandInterpreter::addCommand(const std::string& name, const std::string& usage, WordCounts wordCounts,
                                   Handler handler, HostThread owner) {
    commands_.insert_or_assign(name, Command{usage, std::move(wordCounts), owner, std::move(handler)});
}

HostError CommandInterpreter::usageError(std::string_view name) const {
    const auto command = commands_.find(name);
    if (command == commands_.end()) {
        throw std::out_of_range("usageError: no command " + std::string(name));  // a fault of the caller
    }
    return HostError("usage: " + command->second.usage);
}

std::vector<CompletionWords::Command> CommandInterpreter::commandUsages() const {
    std::vector<CompletionWords::Command> usages;
    for (const auto& [name, command] : commands_) {
        usages.push_back({name, command.usage});
    }
    std::sort(usages.begin(), usages.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return usages;
}

void CommandInterpreter::execute(std::string_view text) {
    if (text.size() > kLongestConsoleLine) {
        throw HostError("the line is longer than " + std::to_string(kLongestConsoleLine) +
                        " bytes (1 MiB), the longest line the console reads");
    }
    const ConsoleLine line(text);
    if (line.empty()) {
        return;
    }
    const auto command = commands_.find(line[0]);
    HostThreads& threads = session_.threads();
    if (command != commands_.end()) {
        if (!command->second.wordCounts.allows(line.size())) {
            throw usageError(command->first);
        }
        threads.run(command->second.owner, [&command, &line] { command->second.handler(line); });
    } else {
        // A console variable's name: the variables are the game's.
        threads.run(HostThread::Game, [this, &line] { variable(line); });
    }
    // A plug-in callback that threw during the command fails the command.
    const std::vector<std::string> failures = session_.takeCallbackFailures();
    if (!failures.empty()) {
        throw HostError(failures.front());
    }
}

void CommandInterpreter::help(const ConsoleLine& /*line*/) {
    std::ostream& out = session_.out();
    out << "commands:\n";
    for (const CompletionWords::Command& command : commandUsages()) {
        out << "  " << command.usage << '\n';
    }
    out << "  NAME            show a console variable\n"
           "  NAME VALUE      set a console variable\n";
}

void CommandInterpreter::clock(const ConsoleLine& line) {
    session_.world().setRuntimeClock(readInteger(line[1], "SECONDS since 1970-01-01 UTC", std::numeric_limits<std::int64_t>::min(),
                                std::numeric_limits<std::int64_t>::max()));
}

void CommandInterpreter::load(const ConsoleLine& /*line*/) {
    session_.load();
}

void CommandInterpreter::unload(const ConsoleLine& /*line*/) {
    session_.plugin();  // throws if nothing is loaded
    session_.unload();
}

void CommandInterpreter::reload(const ConsoleLine& /*line*/) {
    session_.plugin();  // throws if nothing is loaded
    session_.reload();
}

void CommandInterpreter::info(const ConsoleLine& /*line*/) {
    const LoadedPlugin& plugin = session_.plugin();
    const PluginDescriptor& record = plugin.record();
    std::ostream& out = session_.out();
    out << "module: " << plugin.path() << '\n'
        << "apiLevel: " << record.apiLevel << '\n'
        << "sourcePath: " << record.sourcePath << '\n'
        << "classNameText: " << quoted(record.classNameText) << '\n'
        << "descriptionText: " << quoted(record.descriptionText) << '\n'
        << "versionText: " << quoted(record.versionText) << '\n'
        << "kindCode: " << record.kindCode << '\n'
        // The loader refuses a record whose functions are not these two exports.
        << "createFunction: getPlugin\n"
        << "releaseFunction: deleteMe\n";
}

void CommandInterpreter::cvars(const ConsoleLine& /*line*/) {
    for (const auto& variable : session_.world().variables()) {
        session_.out() << variable->name << " = " << quoted(variable->value) << " (default "
                       << quoted(variable->defaultValue) << "): " << variable->description << '\n';
    }
}

void CommandInterpreter::ball(const ConsoleLine& line) {
    const Vector velocity = readVector(line, 1);
    session_.world().ensureBall().velocity = velocity;
}

void CommandInterpreter::touch(const ConsoleLine& line) {
    const auto team = static_cast<std::uint8_t>(readInteger(line[1], "TEAM: 0 blue, 1 orange", 0, 255));
    std::optional<Vector> velocity;
    if (line.size() == 5) {
        velocity = readVector(line, 2);
    }
    requireBall();
    session_.world().touchBall(team, velocity);
}

void CommandInterpreter::wait(const ConsoleLine& line) {
    const float seconds = readFloat(line[1], "SECONDS");
    if (!std::isfinite(seconds) || seconds < 0.0f) {
        throw HostError(quoted(line[1]) + " is not a time to wait (expected SECONDS, 0 or more)");
    }
    pluginsdk::World& world = session_.world();
    if (!world.canAdvanceClock(static_cast<double>(seconds))) {
        throw HostError(quoted(line[1]) + " would take the game clock past its latest time, about 292,000 years (" +
                        "it is at " + pluginsdk::formatFloat(static_cast<float>(world.gameTime())) + " s)");
    }
    world.advanceClock(static_cast<double>(seconds));
}

void CommandInterpreter::destroy(const ConsoleLine& /*line*/) {
    requireBall();
    session_.world().destroyBall();
}

void CommandInterpreter::velocity(const ConsoleLine& /*line*/) {
    // Find the ball before printing anything, so a missing ball leaves no half line behind.
    const Vector velocity = requireBall().velocity;
    session_.out() << "velocity " << formatVector(velocity) << '\n';
}

void CommandInterpreter::magnus(const ConsoleLine& line) {
    if (line.size() == 4) {  // else 1
        // The game gives a spinning ball a Magnus coefficient; setting one shows when the plug-in
        // clears it.
        const Vector coefficient = readVector(line, 1);
        requireBall().magnusCoefficient = coefficient;
        return;
    }
    const Vector coefficient = requireBall().magnusCoefficient;
    session_.out() << "magnus " << formatVector(coefficient) << '\n';
}

void CommandInterpreter::remove(const ConsoleLine& line) {
    // Handles to a removed variable test false: this is how a script shows what the plug-in does
    // when one of its settings is missing.
    if (!session_.world().removeVariable(std::string(line[1]))) {
        throw HostError("there is no console variable " + quoted(line[1]));
    }
}

void CommandInterpreter::echo(const ConsoleLine& line) {
    session_.out() << line.textFrom(1) << '\n';
}

void CommandInterpreter::expect(const ConsoleLine& line) {
    const std::string_view what = line[1];
    if (what == "velocity" || what == "magnus") {
        if (line.size() != 5) {
            throw HostError("usage: expect " + std::string(what) + " X Y Z");
        }
        const Vector wanted = readVector(line, 2);
        const pluginsdk::detail::BallState& ball = requireBall();
        const Vector found = what == "velocity" ? ball.velocity : ball.magnusCoefficient;
        if (!sameVector(wanted, found)) {
            throw HostError("expected " + std::string(what) + " " + formatVector(wanted) + ", found " +
                            formatVector(found));
        }
        return;
    }
    if (what == "log") {
        expectLog(line.textFrom(2));
        return;
    }
    const auto variable = session_.world().findVariable(std::string(what));
    if (!variable) {
        throw HostError("there is no console variable " + quoted(what));
    }
    const std::string_view wanted = line.textFrom(2);
    // Numbers compare as numbers, so "0.5" matches "0.50"; other text compares as text.
    const std::optional<float> wantedNumber = pluginsdk::parseFloat(wanted);
    const std::optional<float> foundNumber = pluginsdk::parseFloat(variable->value);
    const bool same = wantedNumber && foundNumber ? sameFloat(*wantedNumber, *foundNumber) : wanted == variable->value;
    if (!same) {
        throw HostError("expected " + std::string(what) + " = " + quoted(wanted) + ", found " +
                        quoted(variable->value));
    }
}

void CommandInterpreter::expectLog(std::string_view text) {
    if (unmatchedLog_.match(text)) {
        return;
    }
    // The message names what was logged instead, the first few distinct lines of it: a long run of
    // touches must not make a message of megabytes.
    constexpr std::size_t kNamedRuns = 20;
    std::string logged;
    std::uint64_t unnamed = 0;
    const auto& runs = unmatchedLog_.runs();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i >= kNamedRuns) {
            unnamed += runs[i].count;
            continue;
        }
        logged += (logged.empty() ? "" : ", ") + quoted(runs[i].text);
        if (runs[i].count > 1) {
            logged += " (" + std::to_string(runs[i].count) + " times)";
        }
    }
    if (unnamed > 0) {
        logged += " and " + std::to_string(unnamed) + " more lines";
    }
    if (const std::uint64_t forgotten = unmatchedLog_.forgottenLines(); forgotten > 0) {
        logged += ", and before those " + std::to_string(forgotten) + " no longer kept";
    }
    throw HostError("expected the plug-in to log " + quoted(text) + " since the last 'expect log'; it logged " +
                    (logged.empty() ? "nothing" : logged));
}

void CommandInterpreter::variable(const ConsoleLine& line) {
    const std::string_view name = line[0];
    const auto variable = session_.world().findVariable(std::string(name));
    if (!variable) {
        throw HostError("unknown command or console variable " + quoted(name) + " (try 'help')");
    }
    if (line.size() == 1) {
        session_.out() << name << " = " << quoted(variable->value) << '\n';
        return;
    }
    if (const auto refused = pluginsdk::setVariableText(*variable, line.restFrom(1))) {
        // The refusal quotes the value as typed: escaped here, before a NUL in it can cut it short.
        throw HostError(printable(*refused));
    }
}

void CommandInterpreter::trace(const ConsoleLine& line) {
    if (line[1] == "on") {
        std::ostream& out = session_.out();
        session_.world().setTraceListener([&out](const std::string& call) { out << "[trace] " << call << '\n'; });
    } else if (line[1] == "off") {
        session_.world().setTraceListener(nullptr);
    } else {
        throw usageError(line[0]);
    }
}

pluginsdk::detail::BallState& CommandInterpreter::requireBall() {
    const auto ball = session_.world().ball();
    if (!ball) {
        throw HostError("there is no ball (create one with 'ball VX VY VZ')");
    }
    return *ball;
}

}  // namespace host
