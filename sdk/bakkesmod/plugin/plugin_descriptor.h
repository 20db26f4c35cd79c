// The description record a plug-in module exports under the name `exports`, and the signatures of
// the factory and release function it points to.
//
// The host reads the record by its layout (the fields below, in this order, natural alignment).
// It lives in the module's writable data for as long as the module is loaded; its texts lie in the
// module's constant data. The module never reads or writes it itself.
#pragma once

#include <cstdint>
#include <memory>

namespace BakkesMod::Plugin {
class BakkesModPlugin;
}

// [loader thread] at load, after the record is checked, before the handles are set; one call at a
// time. Returns the address of the module's shared pointer that owns the one plug-in object, made
// on the first call (and on the first after a release). The module owns both; the address holds
// while the module is loaded, and the pointer is empty only if the object could not be made.
using PluginCreateFunction = std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* (*)();
// [loader thread] at unload, after onUnload and once the handles are cut off, before the module is
// closed. Empties the module's shared pointer; the object dies with its last owner.
using PluginReleaseFunction = void (*)();

struct PluginDescriptor {
    std::int32_t apiLevel;
    const char* sourcePath;       // the module's main source file at build time, an absolute path
    const char* classNameText;    // the plug-in's name
    const char* descriptionText;
    const char* versionText;
    std::int32_t kindCode;
    PluginCreateFunction createFunction;
    PluginReleaseFunction releaseFunction;
};
