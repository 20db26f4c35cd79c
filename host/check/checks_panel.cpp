// The plug-in's settings panel, driven with the mouse as a person would: frames built in the
// host's Dear ImGui without a renderer, clicks at the widgets where the frame put them.
#include <cfloat>

#include "checks.h"
#include "plugin_under_check.h"
#include "printable_text.h"

namespace host::check {
namespace {

std::uint64_t writesOf(pluginsdk::World& world, const std::string& name) {
    const auto variable = world.findVariable(name);
    return variable ? variable->writes : 0;
}

std::uint64_t allWrites(pluginsdk::World& world) {
    std::uint64_t writes = 0;
    for (const auto& variable : world.variables()) {
        writes += variable->writes;
    }
    return writes;
}

}  // namespace

void checkPanel(const CheckOptions& options, CheckRecords& records) {
    PluginUnderCheck plugin(options, &records);
    plugin.load();
    LoadedPlugin& loaded = plugin.session().plugin();
    if (loaded.settingsWindow() == nullptr) {
        throw CheckSkipped("the plug-in has no settings panel");
    }
    pluginsdk::World& world = plugin.world();
    // Drawn, the panel leaves Dear ImGui's stacks as it found them.
    const auto widgets = plugin.frame(-FLT_MAX, -FLT_MAX, false);
    require(plugin.panelImbalance().empty(), plugin.panelImbalance());
    const std::uint64_t before = allWrites(world);
    for (int frame = 0; frame < 3; ++frame) {
        plugin.frame(-FLT_MAX, -FLT_MAX, false);
    }
    require(allWrites(world) == before, "frames without input wrote " + std::to_string(allWrites(world) - before) +
                                            " values to the plug-in's variables");
    // A check box: a widget whose variable holds 0 or 1; its square is as wide as it is tall.
    int boxes = 0;
    static const std::string kVariable = "variable:";
    for (const auto& [name, rect] : widgets) {
        if (name.rfind(kVariable, 0) != 0) {
            continue;
        }
        const std::string variable = name.substr(kVariable.size());
        const auto found = world.findVariable(variable);
        if (!found || !found->numeric || (found->value != "0" && found->value != "1")) {
            continue;
        }
        ++boxes;
        const float x = rect.min.x + (rect.max.y - rect.min.y) / 2.0f;
        const float y = (rect.min.y + rect.max.y) / 2.0f;
        const std::uint64_t mine = writesOf(world, variable);
        const std::uint64_t all = allWrites(world);
        plugin.frame(x, y, true);
        plugin.frame(x, y, false);
        plugin.frame(-FLT_MAX, -FLT_MAX, false);
        require(writesOf(world, variable) == mine + 1 && allWrites(world) == all + 1,
                "a click on the check box of " + variable + " wrote " + std::to_string(writesOf(world, variable) - mine) +
                    " times to it and " + std::to_string(allWrites(world) - all - (writesOf(world, variable) - mine)) +
                    " times to others, not once");
        // Clicked again, it is as it was.
        plugin.frame(x, y, true);
        plugin.frame(x, y, false);
    }
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
    records.figure("widgets", static_cast<double>(widgets.size()));
    records.figure("check boxes clicked", boxes);
    plugin.unload();
}

}  // namespace host::check
