#include "command_interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include "console_numbers.h"
#include "line_reader.h"
#include "platform/process.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/handle_state_lock.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host {
namespace {

using pluginsdk::detail::BallVector;

// The longest `wait` while physics is on: each tick of it flies the ball, which takes time.
constexpr float kLongestFlyingWait = 86'400.0f;

Vector readVector(const ConsoleLine& line, std::size_t first) {
    return {readFloat(line[first], "X"), readFloat(line[first + 1], "Y"), readFloat(line[first + 2], "Z")};
}

// `Quorvel 1.0.0.37 from "/path/Quorvel.so"`: the plug-in's own name and version, as its record
// gives them, and the file.
std::string describe(const LoadedPlugin& plugin) {
    return printable(plugin.name()) + " " + printable(plugin.record().versionText) + " from " + quoted(plugin.path());
}

}  // namespace

CommandInterpreter::CommandInterpreter(HostSession& session) : session_(session) {
    session_.setLogObserver([this](const pluginsdk::LogLine& line) { unmatchedLog_.add(line.text); });
    // Each command runs on the thread that owns what it touches: loading on the loader thread, the
    // world (ball, touches, clocks, variables, log) on the game thread; the console's own output on
    // the console thread.
    add("help", "help [COMMAND]", "list the commands, or show COMMAND's usage and what it does", {1, 2},
        HostThread::Console, &CommandInterpreter::help);
    add("quit", "quit", "leave the console, as the end of input does", {1}, HostThread::Console,
        &CommandInterpreter::quit);
    add("exit", "exit", "leave the console, the same as quit", {1}, HostThread::Console, &CommandInterpreter::quit);
    add("clock", "clock [SECONDS]",
        "from now on the C runtime clock the plug-in reads returns SECONDS since 1970 (this fixes its random seed); "
        "alone, say what it returns",
        {1, 2}, HostThread::Game, &CommandInterpreter::clock);
    add("time", "time", "print the game time: the seconds the game clock has moved since the session began", {1},
        HostThread::Game, &CommandInterpreter::time);
    add("load", "load", "load the plug-in module the way the game's host does", {1}, HostThread::Loader,
        &CommandInterpreter::load);
    add("unload", "unload", "unload the plug-in module (saving the settings, if a file is kept)", {1},
        HostThread::Loader, &CommandInterpreter::unload);
    add("reload", "reload", "unload the module, then load the same file again; the variables keep their values", {1},
        HostThread::Loader, &CommandInterpreter::reload);
    add("info", "info", "print the loaded module's record", {1}, HostThread::Loader, &CommandInterpreter::info);
    add("cvars", "cvars", "print every console variable: name, value, default and description", {1},
        HostThread::Game, &CommandInterpreter::cvars);
    add("ball", "ball VX VY VZ", "create the ball if there is none and set its velocity", {4}, HostThread::Game,
        &CommandInterpreter::ball);
    add("touch", "touch TEAM [VX VY VZ]",
        "a car of TEAM (0 blue, 1 orange) touches the ball, giving it the velocity VX VY VZ if given", {2, 5},
        HostThread::Game, &CommandInterpreter::touch);
    add("wait", "wait SECONDS", "advance the game clock, firing the timers that fall due", {2}, HostThread::Game,
        &CommandInterpreter::wait);
    add("destroy", "destroy", "destroy the ball", {1}, HostThread::Game, &CommandInterpreter::destroy);
    add("velocity", "velocity", "print the ball's velocity", {1}, HostThread::Game, &CommandInterpreter::velocity);
    add("magnus", "magnus [X Y Z]", "print the ball's Magnus coefficient, or set it", {1, 4}, HostThread::Game,
        &CommandInterpreter::magnus);
    add("position", "position [X Y Z]", "print the ball's position, or set it (the ball flies while physics is on)",
        {1, 4}, HostThread::Game, &CommandInterpreter::position);
    add("spin", "spin [X Y Z]", "print the ball's spin in radians per second, or set it", {1, 4}, HostThread::Game,
        &CommandInterpreter::spin);
    add("physics", "physics on|off",
        "fly the ball at each game tick, with the physics_* variables' gravity, drag, arena and bounce, or stop", {2},
        HostThread::Game, &CommandInterpreter::physics);
    add("ghost", "ghost [on|off]",
        "keep a second ball that gets the host's touches but never the plug-in's changes, or drop it; alone, print it",
        {1, 2}, HostThread::Game, &CommandInterpreter::ghost);
    add("remove", "remove NAME", "remove a console variable (to see what the plug-in does without it)", {2},
        HostThread::Game, &CommandInterpreter::remove);
    add("echo", "echo [TEXT]", "print TEXT", WordCounts::atLeast(1), HostThread::Console, &CommandInterpreter::echo);
    add("trace", "trace on|off", "print every SDK call the plug-in makes, with the values it sets, or stop", {2},
        HostThread::Game, &CommandInterpreter::trace);
    add("expect",
        "expect velocity|magnus|position|spin|ghost X Y Z | expect log TEXT | expect NAME VALUE",
        "fail unless the ball's vector (the ghost's position) or a variable is exactly that, or the plug-in logged "
        "TEXT since the last match",
        WordCounts::atLeast(3), HostThread::Game, &CommandInterpreter::expect);
}

CommandInterpreter::~CommandInterpreter() {
    session_.setLogObserver(nullptr);
    if (traceObserver_ != 0) {
        session_.removeSdkCallObserver(traceObserver_);
    }
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

void CommandInterpreter::add(const std::string& name, const std::string& usage, const std::string& description,
                             WordCounts wordCounts, HostThread owner,
                             void (CommandInterpreter::*member)(const ConsoleLine&)) {
    addCommand(
        name, usage, description, std::move(wordCounts),
        [this, member](const ConsoleLine& line) { (this->*member)(line); }, owner);
}

void CommandInterpreter::addCommand(const std::string& name, const std::string& usage, const std::string& description,
                                   WordCounts wordCounts, Handler handler, HostThread owner) {
    commands_.insert_or_assign(name, Command{usage, description, std::move(wordCounts), owner, std::move(handler)});
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
    if (command != commands_.end() && !command->second.wordCounts.allows(line.size())) {
        throw usageError(command->first);
    }
    try {
        if (command != commands_.end()) {
            threads.run(command->second.owner, [&command, &line] { command->second.handler(line); });
        } else {
            // A console variable's name: the variables are the game's.
            threads.run(HostThread::Game, [this, &line] { variable(line); });
        }
    } catch (const HostError&) {
        session_.unloadIfReleased();
        throw;
    }
    // A plug-in that released itself during the command is gone from here on.
    session_.unloadIfReleased();
    // A plug-in callback that threw during the command fails the command.
    const std::vector<std::string> failures = session_.takeCallbackFailures();
    if (!failures.empty()) {
        throw HostError(failures.front());
    }
}

void CommandInterpreter::help(const ConsoleLine& line) {
    std::ostream& out = session_.out();
    if (line.size() == 2) {
        const auto command = commands_.find(line[1]);
        if (command != commands_.end()) {
            out << "usage: " << command->second.usage << '\n' << command->second.description << '\n';
            return;
        }
        if (const auto variable = session_.world().findVariable(std::string(line[1]))) {
            describeVariable(*variable);
            return;
        }
        throw HostError("there is no command or console variable " + quoted(line[1]) +
                        " ('help' lists the commands, 'cvars' the variables)");
    }
    const std::vector<CompletionWords::Command> commands = commandUsages();
    std::size_t width = 4;  // "NAME"
    for (const CompletionWords::Command& command : commands) {
        width = std::max(width, command.name.size());
    }
    const auto row = [&out, width](std::string_view name, std::string_view description) {
        out << "  " << name << std::string(width + 2 - name.size(), ' ') << description << '\n';
    };
    out << "commands ('help COMMAND' shows one's usage):\n";
    for (const CompletionWords::Command& command : commands) {
        row(command.name, commands_.find(command.name)->second.description);
    }
    row("NAME", "print the console variable NAME; 'NAME VALUE' sets it");
}

// `help NAME` for a console variable: how to set it, what it is for, and what it holds.
void CommandInterpreter::describeVariable(const pluginsdk::detail::ConsoleVariable& shared) {
    pluginsdk::detail::ConsoleVariable variable;
    {
        const auto state = pluginsdk::detail::lockHandleState();  // another thread may be setting it
        variable = shared;
    }
    std::ostream& out = session_.out();
    out << "usage: " << printable(variable.name) << " [VALUE]\n"
        << "console variable: " << printable(variable.description) << '\n'
        << "value " << quoted(variable.value) << ", default " << quoted(variable.defaultValue);
    if (variable.numeric) {
        out << "; a finite number";
        if (variable.hasMin) {
            out << ", at least " << pluginsdk::formatFloat(variable.min);
        }
        if (variable.hasMax) {
            out << ", at most " << pluginsdk::formatFloat(variable.max);
        }
    }
    out << '\n';
}

void CommandInterpreter::quit(const ConsoleLine& /*line*/) {
    quitRequested_ = true;
}

void CommandInterpreter::startAtTerminal() {
    atTerminal_ = true;
    std::ostream& out = session_.out();
    out << "quorvel-host console: ";
    if (session_.loaded()) {
        out << describe(session_.plugin()) << " is loaded";
    } else {
        out << "no plug-in is loaded ('load' loads " << quoted(session_.modulePath()) << ")";
    }
    out << ". 'help' lists the commands; 'quit' or " << kEndOfInputKeys << " leaves.\n" << std::flush;
}

void CommandInterpreter::clock(const ConsoleLine& line) {
    pluginsdk::World& world = session_.world();
    if (line.size() == 1) {
        if (const std::optional<std::int64_t> fixed = world.runtimeClock()) {
            session_.out() << "clock " << *fixed << ": the C runtime clock the plug-in reads returns " << *fixed
                           << " s since 1970-01-01 UTC\n";
        } else {
            session_.out() << "clock not fixed: the C runtime clock the plug-in reads returns the real time ('clock "
                              "SECONDS' fixes it)\n";
        }
        return;
    }
    world.setRuntimeClock(readInteger(line[1], "SECONDS since 1970-01-01 UTC", std::numeric_limits<std::int64_t>::min(),
                                      std::numeric_limits<std::int64_t>::max()));
}

void CommandInterpreter::time(const ConsoleLine& /*line*/) {
    // Exactly, from the clock's whole microseconds: no float rounds it.
    const std::int64_t ticks = session_.world().gameTicks();
    const std::int64_t perSecond = pluginsdk::World::kTicksPerSecond;
    std::string fraction = std::to_string(perSecond + ticks % perSecond).substr(1);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    session_.out() << "game time " << ticks / perSecond << (fraction.empty() ? "" : "." + fraction) << " s\n";
}

void CommandInterpreter::load(const ConsoleLine& /*line*/) {
    session_.load();
    if (atTerminal_) {
        session_.out() << "loaded " << describe(session_.plugin()) << '\n';
    }
}

void CommandInterpreter::unload(const ConsoleLine& /*line*/) {
    const std::string unloaded = describe(session_.plugin());  // throws if nothing is loaded
    session_.unload();
    if (atTerminal_) {
        session_.out() << "unloaded " << unloaded << '\n';
    }
}

void CommandInterpreter::reload(const ConsoleLine& /*line*/) {
    session_.plugin();  // throws if nothing is loaded
    session_.reload();
    if (atTerminal_) {
        session_.out() << "reloaded " << describe(session_.plugin()) << "; the variables kept their values\n";
    }
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
    const auto variables = session_.world().variables();
    if (variables.empty() && atTerminal_ && !session_.loaded()) {
        session_.out() << "no console variables: no plug-in is loaded ('load' loads it)\n";
    }
    for (const auto& variable : variables) {
        session_.out() << variable->name << " = " << quoted(variable->value) << " (default "
                       << quoted(variable->defaultValue) << "): " << variable->description << '\n';
    }
}

void CommandInterpreter::ball(const ConsoleLine& line) {
    session_.world().setBallVector(BallVector::Velocity, readVector(line, 1));
}

void CommandInterpreter::touch(const ConsoleLine& line) {
    const auto team = static_cast<std::uint8_t>(readInteger(line[1], "TEAM: 0 blue, 1 orange", 0, 255));
    std::optional<Vector> velocity;
    if (line.size() == 5) {
        velocity = readVector(line, 2);
    }
    requireBall();
    const std::size_t timersBefore = atTerminal_ ? pendingTimers() : 0;
    session_.world().touchBall(team, velocity);
    if (atTerminal_) {
        confirmTouch(team, timersBefore);
    }
}

std::size_t CommandInterpreter::pendingTimers() {
    return session_.loaded() ? session_.world().pendingTimerCount(session_.plugin().id()) : 0;
}

void CommandInterpreter::confirmTouch(std::uint8_t team, std::size_t timersBefore) {
    pluginsdk::World& world = session_.world();
    std::ostream& out = session_.out();
    out << "team " << static_cast<int>(team) << (team == 0 ? " (blue)" : " (orange)") << " touched the ball: velocity "
        << pluginsdk::formatVector(requireBall().velocity);
    const std::optional<std::int64_t> ticks = world.ticksToNextTimer();
    if (!session_.loaded()) {
        out << "; no plug-in is loaded to respond\n";
    } else if (pendingTimers() > timersBefore && ticks) {
        const std::string seconds =
            pluginsdk::formatFloat(static_cast<float>(static_cast<double>(*ticks) / pluginsdk::World::kTicksPerSecond));
        out << "; the plug-in's response is pending, due in " << seconds << " s ('wait " << seconds << "')\n";
    } else {
        out << "; the plug-in scheduled no response\n";
    }
}

void CommandInterpreter::wait(const ConsoleLine& line) {
    const float seconds = readFloat(line[1], "SECONDS");
    if (!std::isfinite(seconds) || seconds < 0.0f) {
        throw HostError(quoted(line[1]) + " is not a time to wait (expected SECONDS, 0 or more)");
    }
    pluginsdk::World& world = session_.world();
    if (seconds > kLongestFlyingWait && world.physics()) {
        throw HostError(quoted(line[1]) + " is longer than a wait can be while physics is on: the ball flies tick by " +
                        "tick, so one wait moves the clock at most " + pluginsdk::formatFloat(kLongestFlyingWait) +
                        " s (a day)");
    }
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
    session_.out() << "velocity " << pluginsdk::formatVector(velocity) << '\n';
}

void CommandInterpreter::magnus(const ConsoleLine& line) {
    // The game gives a spinning ball a Magnus coefficient; setting one shows when the plug-in clears
    // it.
    printOrSet(line, BallVector::MagnusCoefficient);
}

void CommandInterpreter::position(const ConsoleLine& line) {
    printOrSet(line, BallVector::Position);
}

void CommandInterpreter::spin(const ConsoleLine& line) {
    printOrSet(line, BallVector::Spin);
}

void CommandInterpreter::printOrSet(const ConsoleLine& line, BallVector which) {
    if (line.size() == 4) {  // else 1
        const Vector value = readVector(line, 1);
        requireBall();
        session_.world().setBallVector(which, value);
        return;
    }
    const Vector value = pluginsdk::detail::vectorOf(requireBall(), which);
    session_.out() << line[0] << ' ' << pluginsdk::formatVector(value) << '\n';
}

void CommandInterpreter::physics(const ConsoleLine& line) {
    session_.world().setPhysics(readSwitch(line));
}

void CommandInterpreter::ghost(const ConsoleLine& line) {
    pluginsdk::World& world = session_.world();
    if (line.size() == 2) {
        world.setGhost(readSwitch(line));
        return;
    }
    const pluginsdk::FlyingBall ghost = requireGhost();
    session_.out() << "ghost position " << pluginsdk::formatVector(ghost.position) << " velocity "
                   << pluginsdk::formatVector(ghost.velocity) << '\n';
}

bool CommandInterpreter::readSwitch(const ConsoleLine& line) const {
    if (line[1] != "on" && line[1] != "off") {
        throw usageError(line[0]);
    }
    return line[1] == "on";
}

pluginsdk::FlyingBall CommandInterpreter::requireGhost() {
    const std::optional<pluginsdk::FlyingBall> ghost = session_.world().readGhost();
    if (!ghost) {
        throw HostError(session_.world().ghostOn() ? "there is no ghost: there is no ball (create one with 'ball VX VY VZ')"
                                                   : "there is no ghost ('ghost on' makes one)");
    }
    return *ghost;
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
    static const std::pair<std::string_view, BallVector> kVectors[] = {{"velocity", BallVector::Velocity},
                                                                       {"magnus", BallVector::MagnusCoefficient},
                                                                       {"position", BallVector::Position},
                                                                       {"spin", BallVector::Spin},
                                                                       {"ghost", BallVector::Position}};
    const auto vector = std::find_if(std::begin(kVectors), std::end(kVectors),
                                     [what](const auto& named) { return named.first == what; });
    if (vector != std::end(kVectors)) {
        if (line.size() != 5) {
            throw HostError("usage: expect " + std::string(what) + " X Y Z");
        }
        const Vector wanted = readVector(line, 2);
        const Vector found = what == "ghost" ? requireGhost().position
                                             : pluginsdk::detail::vectorOf(requireBall(), vector->second);
        if (!sameVector(wanted, found)) {
            throw HostError("expected " + std::string(what) + " " + pluginsdk::formatVector(wanted) + ", found " +
                            pluginsdk::formatVector(found));
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
        throw HostError("unknown command or console variable " + quoted(name) +
                        (session_.loaded() ? " (try 'help')"
                                           : ": no plug-in is loaded to register it (try 'load', or 'help')"));
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
    const bool on = readSwitch(line);
    if (traceObserver_ != 0) {
        session_.removeSdkCallObserver(std::exchange(traceObserver_, 0));
    }
    if (on) {
        std::ostream& out = session_.out();
        traceObserver_ = session_.addSdkCallObserver([&out](const pluginsdk::SdkCall& call) {
            // A line logged shows as itself, "[Name] TEXT".
            if (call.kind != pluginsdk::SdkCall::Kind::Log) {
                out << "[trace] " << pluginsdk::describe(call) << '\n';
            }
        });
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
