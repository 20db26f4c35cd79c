// The plug-in's settings panel, driven with the mouse as a person would: frames built in the
// host's Dear ImGui without a renderer, clicks at the widgets where the frame put them. What it
// demands is Dear ImGui's: a panel leaves the stacks as it found them in every frame, whatever its
// settings, and a check box's click toggles its value with one write.
#include <cfloat>
#include <cmath>
#include <optional>

#include "checks.h"
#include "plugin_under_check.h"
#include "pluginsdk/console_variable.h"
#include "printable_text.h"

namespace host::check {
namespace {

// Every variable's value and the writes made to it through handles, as a click finds them.
struct Variables {
    std::map<std::string, std::pair<std::string, std::uint64_t>> byName;

    explicit Variables(pluginsdk::World& world) {
        for (const auto& variable : world.variables()) {
            byName[variable->name] = {variable->value, variable->writes};
        }
    }
    std::uint64_t writesSince(const Variables& before) const {
        std::uint64_t writes = 0;
        for (const auto& [name, now] : byName) {
            const auto then = before.byName.find(name);
            writes += now.second - (then == before.byName.end() ? 0 : then->second.second);
        }
        return writes;
    }
    // The names whose value is not what it was `before`.
    std::vector<std::string> changedSince(const Variables& before) const {
        std::vector<std::string> changed;
        for (const auto& [name, now] : byName) {
            const auto then = before.byName.find(name);
            if (then == before.byName.end() || then->second.first != now.first) {
                changed.push_back(name);
            }
        }
        return changed;
    }
    // Puts the values back as the host would, without counting writes.
    void restore(pluginsdk::World& world) const {
        for (const auto& [name, state] : byName) {
            if (const auto variable = world.findVariable(name)) {
                (void)pluginsdk::setVariableText(*variable, state.first);
            }
        }
    }
};

struct CheckBox {
    std::string variable;
    std::string off;  // its value before the click, and after it
    std::string on;
};

}  // namespace

void checkPanel(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    plugin.load();
    LoadedPlugin& loaded = plugin.session().plugin();
    if (loaded.settingsWindow() == nullptr) {
        throw CheckSkipped("the plug-in has no settings panel");
    }
    pluginsdk::World& world = plugin.world();
    // Every frame is judged for balance (the window keeps the first report), and a report says
    // which settings differed from the panel's first frame.
    int frames = 0;
    std::optional<Variables> untouched;
    const auto frame = [&](float x, float y, bool down, const std::string& when) {
        ++frames;
        plugin.frame(x, y, down);
        if (plugin.panelImbalance().empty()) {
            return;
        }
        std::string setting;
        if (untouched) {
            const Variables now(world);
            for (const std::string& name : now.changedSince(*untouched)) {
                setting += (setting.empty() ? "; with " : ", ") + name + " " + quoted(now.byName.at(name).first);
            }
        }
        throw CheckFailed(plugin.panelImbalance() + " (" + when + setting + ")");
    };
    const auto idle = [&](const std::string& when) { frame(-FLT_MAX, -FLT_MAX, false, when); };
    const auto click = [&](ImVec2 at, const std::string& when) {
        frame(at.x, at.y, true, when);
        frame(at.x, at.y, false, when);
        idle(when);
    };
    idle("in its first frame");
    const std::vector<WidgetLayoutLog::Rect> widgetFrames = plugin.panelFrames();
    untouched.emplace(world);
    for (int i = 0; i < 3; ++i) {
        idle("in a frame without input");
    }
    require(Variables(world).writesSince(*untouched) == 0,
            "frames without input wrote " + std::to_string(Variables(world).writesSince(*untouched)) +
                " values to the plug-in's variables");
    // A check box is what it is, whatever its variable holds: a square frame whose click changes a
    // value and whose second click puts it back. A click anywhere else (a combo box, a slider, a
    // button beside the box) is undone, and a click away from the window closes what it opened.
    const ImVec2 away(static_cast<float>(SettingsWindow::kDefaultWidth) * 1.5f,
                      static_cast<float>(SettingsWindow::kDefaultHeight) * 1.5f);
    std::vector<CheckBox> boxes;
    for (const WidgetLayoutLog::Rect& square : widgetFrames) {
        const float side = square.max.x - square.min.x;
        if (std::fabs(side - (square.max.y - square.min.y)) > 0.5f) {
            continue;
        }
        const ImVec2 centre((square.min.x + square.max.x) / 2.0f, (square.min.y + square.max.y) / 2.0f);
        const Variables before(world);
        click(centre, "after a click at " + std::to_string(static_cast<int>(centre.x)) + ", " +
                          std::to_string(static_cast<int>(centre.y)));
        const Variables once(world);
        const std::vector<std::string> changed = once.changedSince(before);
        bool toggled = false;
        if (changed.size() == 1) {
            click(centre, "after a second click on the check box of " + changed.front());
            toggled = Variables(world).changedSince(before).empty();
        }
        if (!toggled) {
            before.restore(world);
            click(away, "after a click away from the window");
            continue;
        }
        const std::string& variable = changed.front();
        const std::uint64_t mine = once.byName.at(variable).second - before.byName.at(variable).second;
        const std::uint64_t all = once.writesSince(before);
        require(mine == 1 && all == 1, "a click on the check box of " + variable + " wrote " + std::to_string(mine) +
                                           " times to it and " + std::to_string(all - mine) +
                                           " times to others, not once");
        boxes.push_back({variable, before.byName.at(variable).first, once.byName.at(variable).first});
    }
    // Drawn under each combination of its check boxes (a random sample where there are too many), so
    // that what a setting pushes and leaves is found.
    constexpr std::size_t kMostCombinations = 64;
    const std::size_t all = boxes.size() <= 6 ? std::size_t{1} << boxes.size() : kMostCombinations + 1;
    std::mt19937_64 random = randomFor(options, "panel");
    const std::size_t drawn = std::min(all, kMostCombinations);
    for (std::size_t combination = 0; combination < drawn; ++combination) {
        const std::uint64_t bits = all <= kMostCombinations ? combination : random();
        for (std::size_t box = 0; box < boxes.size(); ++box) {
            const std::string& value = (bits >> box) & 1U ? boxes[box].on : boxes[box].off;
            (void)pluginsdk::setVariableText(*world.findVariable(boxes[box].variable), value);
        }
        idle("drawn with its check boxes set");
    }
    untouched->restore(world);
    // Its name, asked for three times: the same printable text.
    std::vector<std::string> names(3);
    for (std::string& name : names) {
        plugin.session().threads().run(HostThread::Render, [&] {
            loaded.call(pluginsdk::EntryPoint::GetDisplayName, [&] { name = loaded.settingsWindow()->GetDisplayName(); });
        });
    }
    require(names[0] == names[1] && names[1] == names[2], "GetDisplayName gives " + quoted(names[0]) + ", then " +
                                                              quoted(names[1]) + ", then " + quoted(names[2]));
    require(!names[0].empty() && printable(names[0]) == names[0], "GetDisplayName gives " + quoted(names[0]));
    records.figure("widget frames", static_cast<double>(widgetFrames.size()));
    records.figure("check boxes", static_cast<double>(boxes.size()));
    records.figure("frames judged", frames);
    plugin.unload();
}

}  // namespace host::check
