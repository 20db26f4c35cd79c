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

// Called by the host on its loading thread, one call at a time. Returns the address of the module's
// shared pointer that owns the one plug-in object, creating the object on the first call (and on
// the first call after a release). The address stays the same for as long as the module is loaded.
// The pointer it addresses is empty only if the object could not be created.
using PluginCreateFunction = std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* (*)();
// Called by the host when it has finished with the plug-in: empties the module's shared pointer.
// The object dies with its last owner; a copy the host still holds keeps it alive.
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
