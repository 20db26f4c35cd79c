// The plug-in's variables: their names and defaults, and what the plug-in does with any value the
// host may hold.
#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "bakkesmod/wrappers/cvar_manager_wrapper.h"
#include "check_session.h"
#include "checks.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host::check {

void checkVariables(const CheckOptions& options, std::ostream& out) {
    // The trace says what onLoad registered, in order; read back from it.
    std::ostringstream trace;
    CheckSession session(options, trace);
    session.load();
    out << trace.str();
    std::map<std::string, int> registrations;
    std::istringstream lines(trace.str());
    static const std::string kRegister = "[trace] registerCvar ";
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(kRegister, 0) == 0) {
            ++registrations[line.substr(kRegister.size(), line.find(' ', kRegister.size()) - kRegister.size())];
        }
    }
    for (const auto& [name, count] : registrations) {
        require(count == 1, name + " is registered " + std::to_string(count) + " times in one load");
    }
    CVarManagerWrapper host(session.world().addPlugin("check"));
    for (const auto& variable : session.world().variables()) {
        const std::string& name = variable->name;
        require(!name.empty() && name.size() <= 128 && printable(name) == name && name.find(' ') == std::string::npos,
                "the variable name " + quoted(name) + " is not a printable word of at most 128 characters");
        require(variable->value == variable->defaultValue,
                name + " reads " + quoted(variable->value) + " in a fresh world, not its default " + quoted(variable->defaultValue));
        // Registered again (as by a second plug-in, or a reload), a variable keeps its value.
        const std::string value = variable->numeric ? "7" : "checked";
        (void)pluginsdk::setVariableText(*variable, value);
        const std::string kept = variable->value;
        host.registerCvar(name, variable->defaultValue, variable->description, true, false, 0, false, 0, true);
        require(variable->value == kept, name + " registered again reads " + quoted(variable->value) + ", not " + quoted(kept));
    }
    session.unload();
}

void checkSettingsUnderAttack(const CheckOptions& options, std::ostream& out) {
    CheckSession session(options, out);
    session.load();
    std::vector<std::string> attacks = {"nan", "inf", "-inf", "3.40282347e+38", "-1", "0", "text"};
    std::mt19937_64 random = randomFor(options, "settings-under-attack");
    std::shuffle(attacks.begin(), attacks.end(), random);
    // A ball slow enough that the largest float times its speed is still a float: what is checked is
    // the plug-in's own arithmetic, not the size of the numbers it is given.
    const Vector slow{1e-30f, -5e-31f, 2e-31f};
    const auto touchBoth = [&session, &slow](const std::string& settings) {
        for (const std::uint8_t team : {0, 1}) {
            session.touch(team, slow);
            session.wait(0.02);
            const std::vector<std::string> failures = session.takeFailures();
            require(failures.empty(), "with " + settings + ": " + (failures.empty() ? std::string() : failures.front()));
            const Vector velocity = session.velocity();
            require(std::isfinite(velocity.X) && std::isfinite(velocity.Y) && std::isfinite(velocity.Z),
                    "with " + settings + " the ball's velocity is " + pluginsdk::formatVector(velocity));
        }
    };
    touchBoth("the settings as registered");
    for (const auto& variable : session.world().variables()) {
        const std::string original = variable->value;
        for (const std::string& attack : attacks) {
            // The host refuses what a numeric variable may not hold (NaN, infinities, text): the
            // plug-in then meets the value that stays.
            (void)pluginsdk::setVariableText(*variable, attack);
            touchBoth(variable->name + " set to " + attack);
        }
        (void)pluginsdk::setVariableText(*variable, original);
    }
    session.unload();
}

}  // namespace host::check
