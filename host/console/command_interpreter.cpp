#include "command_interpreter.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "../platform/runtime_clock.h"
#include "../pluginsdk/console_variable.h"
#include "../pluginsdk/number_text.h"
#include "line_reader.h"
#include "printable_text.h"

namespace host {
namespace {

// Text from the user or the plug-in in quotes, control characters escaped: it goes into messages,
// and a NUL would cut a message short.
std::string quoted(const std::string& text) {
    return '"' + printable(text) + '"';
}

void requireWords(const ConsoleLine& line, std::size_t count, const std::string& usage) {
    if (line.size() != count) {
        throw CommandError("usage: " + usage);
    }
}

// Whether `word` spells infinity itself ("inf", "-Infinity"), rather than a number too large.
bool spellsInfinity(std::string_view word) {
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
        word.remove_prefix(1);
    }
    std::string lower;
    for (const char c : word) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return lower == "inf" || lower == "infinity";
}

// Infinity and NaN may be asked for by name; a number too large for a float is refused rather
// than read as infinity. One too small reads as zero, or the nearest tiny float, as C reads it.
float readFloat(const std::string& word, const char* what) {
    const std::optional<float> value = pluginsdk::parseFloat(word);
    if (!value) {
        throw CommandError(quoted(word) + " is not a number (expected " + what + ")");
    }
    if (std::isinf(*value) && !spellsInfinity(word)) {
        throw CommandError(quoted(word) + " is too large for a float (expected " + what +
                           "; write inf for infinity)");
    }
    return *value;
}

std::int64_t readInteger(const std::string& word, const char* what, std::int64_t min, std::int64_t max) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || end != word.c_str() + word.size() || errno == ERANGE || value < min || value > max) {
        throw CommandError(quoted(word) + " is not a whole number from " + std::to_string(min) + " to " +
                           std::to_string(max) + " (expected " + what + ")");
    }
    return value;
}

Vector readVector(const ConsoleLine& line, std::size_t first) {
    return {readFloat(line[first], "X"), readFloat(line[first + 1], "Y"), readFloat(line[first + 2], "Z")};
}

// One component as "%.9g" writes it, except that a NaN is spelled here: the C runtimes disagree
// on its sign (glibc writes "-nan", MinGW-w64 drops the sign), and transcripts must be the same on
// every platform.
std::string formatComponent(float value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// Built by appending rather than by chaining operator+: at -O3, GCC 12 inlines the chain and then
// reports a -Wrestrict overlap in it that cannot happen, a known false positive of that release.
std::string formatVector(const Vector& vector) {
    std::string text = "(";
    text += formatComponent(vector.X);
    text += ", ";
    text += formatComponent(vector.Y);
    text += ", ";
    text += formatComponent(vector.Z);
    text += ')';
    return text;
}

// Exact comparison that also tells -0 from 0 (the plug-in's results are bit-exact, and a reversed
// zero shows as "-0"), except that NaN matches NaN so a script can expect one.
bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return a == b && std::signbit(a) == std::signbit(b);
}

bool sameVector(const Vector& a, const Vector& b) {
    return sameFloat(a.X, b.X) && sameFloat(a.Y, b.Y) && sameFloat(a.Z, b.Z);
}

}  // namespace

CommandInterpreter::CommandInterpreter(HostSession& session) : session_(session) {
    session_.setLogObserver([this](const pluginsdk::LogLine& line) { unmatchedLog_.add(line.text); });
    // Each command runs on the thread that owns what it touches: loading and the runtime clock the
    // module seeds from on the loader thread, the world (ball, touches, clock, variables, log) on
    // the game thread; the console's own output on the console thread.
    add("help", "help", HostThread::Console, &CommandInterpreter::help);
    add("clock", "clock SECONDS", HostThread::Loader, &CommandInterpreter::clock);
    add("load", "load", HostThread::Loader, &CommandInterpreter::load);
    add("unload", "unload", HostThread::Loader, &CommandInterpreter::unload);
    add("info", "info", HostThread::Loader, &CommandInterpreter::info);
    add("cvars", "cvars", HostThread::Game, &CommandInterpreter::cvars);
    add("ball", "ball VX VY VZ", HostThread::Game, &CommandInterpreter::ball);
    add("touch", "touch TEAM [VX VY VZ]", HostThread::Game, &CommandInterpreter::touch);
    add("wait", "wait SECONDS", HostThread::Game, &CommandInterpreter::wait);
    add("destroy", "destroy", HostThread::Game, &CommandInterpreter::destroy);
    add("velocity", "velocity", HostThread::Game, &CommandInterpreter::velocity);
    add("magnus", "magnus [X Y Z]", HostThread::Game, &CommandInterpreter::magnus);
    add("remove", "remove NAME", HostThread::Game, &CommandInterpreter::remove);
    add("echo", "echo [TEXT]", HostThread::Console, &CommandInterpreter::echo);
    add("trace", "trace on|off", HostThread::Game, &CommandInterpreter::trace);
    add("expect",
        "expect velocity X Y Z | expect magnus X Y Z | expect log TEXT | expect NAME VALUE",
        HostThread::Game, &CommandInterpreter::expect);
}

CommandInterpreter::~CommandInterpreter() {
    session_.setLogObserver(nullptr);
}

void CommandInterpreter::add(const std::string& name, const std::string& usage, HostThread owner,
                             void (CommandInterpreter::*member)(const ConsoleLine&)) {
    addCommand(name, usage, owner, [this, member](const ConsoleLine& line) { (this->*member)(line); });
}

void CommandInterpreter::addCommand(const std::string& name, const std::string& usage, HostThread owner,
                                    Handler handler) {
    commands_[name] = {usage, owner, std::move(handler)};
}

void CommandInterpreter::execute(std::string_view text) {
    if (text.size() > kLongestConsoleLine) {
        throw CommandError("the line is longer than " + std::to_string(kLongestConsoleLine) +
                           " bytes (1 MiB), the longest line the console reads");
    }
    const ConsoleLine line(text);
    if (line.empty()) {
        return;
    }
    const auto command = commands_.find(line[0]);
    HostThreads& threads = session_.threads();
    if (command != commands_.end()) {
        threads.run(command->second.owner, [&command, &line] { command->second.handler(line); });
    } else {
        // A console variable's name: the variables are the game's.
        threads.run(HostThread::Game, [this, &line] { variable(line); });
    }
    // A plug-in callback that threw during the command fails the command.
    const std::vector<std::string> failures = session_.takeCallbackFailures();
    if (!failures.empty()) {
        throw CommandError(failures.front());
    }
}

void CommandInterpreter::help(const ConsoleLine& line) {
    requireWords(line, 1, "help");
    std::ostream& out = session_.out();
    out << "commands:\n";
    for (const auto& [name, command] : commands_) {
        out << "  " << command.usage << '\n';
    }
    out << "  NAME            show a console variable\n"
           "  NAME VALUE      set a console variable\n";
}

void CommandInterpreter::clock(const ConsoleLine& line) {
    requireWords(line, 2, "clock SECONDS");
    fixRuntimeClock(readInteger(line[1], "SECONDS since 1970-01-01 UTC", std::numeric_limits<std::int64_t>::min(),
                                std::numeric_limits<std::int64_t>::max()));
}

void CommandInterpreter::load(const ConsoleLine& line) {
    requireWords(line, 1, "load");
    session_.load();
}

void CommandInterpreter::unload(const ConsoleLine& line) {
    requireWords(line, 1, "unload");
    session_.plugin();  // throws if nothing is loaded
    session_.unload();
}

void CommandInterpreter::info(const ConsoleLine& line) {
    requireWords(line, 1, "info");
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

void CommandInterpreter::cvars(const ConsoleLine& line) {
    requireWords(line, 1, "cvars");
    for (const auto& variable : session_.world().variables()) {
        session_.out() << variable->name << " = " << quoted(variable->value) << " (default "
                       << quoted(variable->defaultValue) << "): " << variable->description << '\n';
    }
}

void CommandInterpreter::ball(const ConsoleLine& line) {
    requireWords(line, 4, "ball VX VY VZ");
    const Vector velocity = readVector(line, 1);
    session_.world().ensureBall().velocity = velocity;
}

void CommandInterpreter::touch(const ConsoleLine& line) {
    if (line.size() != 2 && line.size() != 5) {
        throw CommandError("usage: touch TEAM [VX VY VZ]");
    }
    const auto team = static_cast<std::uint8_t>(readInteger(line[1], "TEAM: 0 blue, 1 orange", 0, 255));
    std::optional<Vector> velocity;
    if (line.size() == 5) {
        velocity = readVector(line, 2);
    }
    requireBall();
    session_.world().touchBall(team, velocity);
}

void CommandInterpreter::wait(const ConsoleLine& line) {
    requireWords(line, 2, "wait SECONDS");
    const float seconds = readFloat(line[1], "SECONDS");
    if (!std::isfinite(seconds) || seconds < 0.0f) {
        throw CommandError(quoted(line[1]) + " is not a time to wait (expected SECONDS, 0 or more)");
    }
    pluginsdk::World& world = session_.world();
    if (!world.canAdvanceClock(static_cast<double>(seconds))) {
        throw CommandError(quoted(line[1]) + " would take the game clock past its latest time, about 292,000 years (" +
                           "it is at " + pluginsdk::formatFloat(static_cast<float>(world.gameTime())) + " s)");
    }
    world.advanceClock(static_cast<double>(seconds));
}

void CommandInterpreter::destroy(const ConsoleLine& line) {
    requireWords(line, 1, "destroy");
    requireBall();
    session_.world().destroyBall();
}

void CommandInterpreter::velocity(const ConsoleLine& line) {
    requireWords(line, 1, "velocity");
    // Find the ball before printing anything, so a missing ball leaves no half line behind.
    const Vector velocity = requireBall().velocity;
    session_.out() << "velocity " << formatVector(velocity) << '\n';
}

void CommandInterpreter::magnus(const ConsoleLine& line) {
    if (line.size() == 4) {
        // The game gives a spinning ball a Magnus coefficient; setting one shows when the plug-in
        // clears it.
        const Vector coefficient = readVector(line, 1);
        requireBall().magnusCoefficient = coefficient;
        return;
    }
    requireWords(line, 1, "magnus [X Y Z]");
    const Vector coefficient = requireBall().magnusCoefficient;
    session_.out() << "magnus " << formatVector(coefficient) << '\n';
}

void CommandInterpreter::remove(const ConsoleLine& line) {
    requireWords(line, 2, "remove NAME");
    // Handles to a removed variable test false: this is how a script shows what the plug-in does
    // when one of its settings is missing.
    if (!session_.world().removeVariable(line[1])) {
        throw CommandError("there is no console variable " + quoted(line[1]));
    }
}

void CommandInterpreter::echo(const ConsoleLine& line) {
    session_.out() << line.restFrom(1) << '\n';
}

void CommandInterpreter::expect(const ConsoleLine& line) {
    if (line.size() < 3) {
        throw CommandError("usage: " + commands_.at("expect").usage);
    }
    const std::string& what = line[1];
    if (what == "velocity" || what == "magnus") {
        requireWords(line, 5, "expect " + what + " X Y Z");
        const Vector wanted = readVector(line, 2);
        const pluginsdk::detail::BallState& ball = requireBall();
        const Vector found = what == "velocity" ? ball.velocity : ball.magnusCoefficient;
        if (!sameVector(wanted, found)) {
            throw CommandError("expected " + what + " " + formatVector(wanted) + ", found " + formatVector(found));
        }
        return;
    }
    if (what == "log") {
        expectLog(line.restFrom(2));
        return;
    }
    const auto variable = session_.world().findVariable(what);
    if (!variable) {
        throw CommandError("there is no console variable " + quoted(what));
    }
    const std::string wanted = line.restFrom(2);
    // Numbers compare as numbers, so "0.5" matches "0.50"; other text compares as text.
    const std::optional<float> wantedNumber = pluginsdk::parseFloat(wanted);
    const std::optional<float> foundNumber = pluginsdk::parseFloat(variable->value);
    const bool same = wantedNumber && foundNumber ? sameFloat(*wantedNumber, *foundNumber) : wanted == variable->value;
    if (!same) {
        throw CommandError("expected " + what + " = " + quoted(wanted) + ", found " + quoted(variable->value));
    }
}

void CommandInterpreter::expectLog(const std::string& text) {
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
    throw CommandError("expected the plug-in to log " + quoted(text) + " since the last 'expect log'; it logged " +
                       (logged.empty() ? "nothing" : logged));
}

void CommandInterpreter::variable(const ConsoleLine& line) {
    const std::string& name = line[0];
    const auto variable = session_.world().findVariable(name);
    if (!variable) {
        throw CommandError("unknown command or console variable " + quoted(name) + " (try 'help')");
    }
    if (line.size() == 1) {
        session_.out() << name << " = " << quoted(variable->value) << '\n';
        return;
    }
    if (const auto refused = pluginsdk::setVariableText(*variable, line.restFrom(1))) {
        // The refusal quotes the value as typed: escaped here, before a NUL in it can cut it short.
        throw CommandError(printable(*refused));
    }
}

void CommandInterpreter::trace(const ConsoleLine& line) {
    requireWords(line, 2, "trace on|off");
    if (line[1] == "on") {
        std::ostream& out = session_.out();
        session_.world().setTraceListener([&out](const std::string& call) { out << "[trace] " << call << '\n'; });
    } else if (line[1] == "off") {
        session_.world().setTraceListener(nullptr);
    } else {
        throw CommandError("usage: trace on|off");
    }
}

pluginsdk::detail::BallState& CommandInterpreter::requireBall() {
    const auto ball = session_.world().ball();
    if (!ball) {
        throw CommandError("there is no ball (create one with 'ball VX VY VZ')");
    }
    return *ball;
}

}  // namespace host
