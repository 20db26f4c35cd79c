// The plug-in's variables: their names and defaults, and what the plug-in does with any value the
// host may hold.
#include <algorithm>
#include <cmath>
#include <map>

#include "bakkesmod/wrappers/cvar_manager_wrapper.h"
#include "checks.h"
#include "plugin_under_check.h"
#include "pluginsdk/console_variable.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host::check {

void checkVariables(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    // What onLoad registers, by name.
    std::map<std::string, int> registrations;
    const int observer = plugin.session().addSdkCallObserver([&registrations](const pluginsdk::SdkCall& call) {
        if (call.kind == pluginsdk::SdkCall::Kind::RegisterCvar) {
            ++registrations[call.name];
        }
    });
    plugin.load();
    plugin.session().removeSdkCallObserver(observer);
    for (const auto& [name, count] : registrations) {
        require(count == 1, name + " is registered " + std::to_string(count) + " times in one load");
    }
    CVarManagerWrapper host(plugin.world().addPlugin("check"));
    for (const auto& variable : plugin.world().variables()) {
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
    plugin.unload();
}

void checkSettingsUnderAttack(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    plugin.load();
    std::vector<std::string> attacks = {"nan", "inf", "-inf", "3.40282347e+38", "-1", "0", "text"};
    std::mt19937_64 random = randomFor(options, "settings-under-attack");
    std::shuffle(attacks.begin(), attacks.end(), random);
    // A ball slow enough that the largest float times its speed is still a float: what is checked is
    // the plug-in's own arithmetic, not the size of the numbers it is given.
    const Vector slow{1e-30f, -5e-31f, 2e-31f};
    const auto touchBoth = [&plugin, &slow](const std::string& settings) {
        for (const std::uint8_t team : {0, 1}) {
            plugin.touch(team, slow);
            plugin.wait(0.02);
            const std::vector<std::string> failures = plugin.session().takeCallbackFailures();
            require(failures.empty(), "with " + settings + ": " + (failures.empty() ? std::string() : failures.front()));
            const Vector velocity = plugin.velocity();
            require(std::isfinite(velocity.X) && std::isfinite(velocity.Y) && std::isfinite(velocity.Z),
                    "with " + settings + " the ball's velocity is " + pluginsdk::formatVector(velocity));
        }
    };
    touchBoth("the settings as registered");
    for (const auto& variable : plugin.world().variables()) {
        const std::string original = variable->value;
        for (const std::string& attack : attacks) {
            // The host refuses what a numeric variable may not hold (NaN, infinities, text): the
            // plug-in then meets the value that stays.
            (void)pluginsdk::setVariableText(*variable, attack);
            touchBoth(variable->name + " set to " + attack);
        }
        (void)pluginsdk::setVariableText(*variable, original);
    }
    plugin.unload();
}

}  // namespace host::check
