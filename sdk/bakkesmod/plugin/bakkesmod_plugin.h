// BakkesMod::Plugin::BakkesModPlugin: the base class of every plug-in object.
//
// The class is compiled into each plug-in module (its code is in bakkesmod_plugin.cpp) and
// exported from it. The host reaches into an object that the module created, so its shape is a
// contract between the two: polymorphic, the two members below in this order and nothing else,
// and the virtual operations in this slot order. The steps of a load and an unload, and the
// threads they run on: README, "The host's threads".
//
// A game runs for hours and loads plug-ins again and again: what a hook, a timer or a panel frame
// allocates is given back, or bounded, and once the host has closed the module after an unload
// nothing of it stays in the process (no GNU unique symbol, no thread-local object with a
// destructor left on a host thread, no thread of its own still running).
//
// The plug-in shares the host's process: what belongs to the whole process (the locale, the
// floating-point environment, signal handling, the working directory, the standard streams) it
// leaves as it found it, and it never ends or forks the process. The host puts back what it can
// and reports the rest as the plug-in's fault.
#pragma once

#include <memory>

#include "bakkesmod/sdk_export.h"
#include "bakkesmod/wrappers/cvar_manager_wrapper.h"
#include "bakkesmod/wrappers/game_wrapper.h"

namespace BakkesMod::Plugin {

class PLUGIN_EXPORT BakkesModPlugin {
public:
    // [loader thread] set by the host after getPlugin, before onLoad; empty until then. The host
    // owns the handles (these are copies); both stay set while the plug-in is in use.
    std::shared_ptr<CVarManagerWrapper> cvarManagerShared;
    std::shared_ptr<GameWrapper> gameWrapperShared;

    BakkesModPlugin();                                    // both handles empty
    BakkesModPlugin(const BakkesModPlugin& other);        // shares both handles
    BakkesModPlugin(BakkesModPlugin&& other) noexcept;    // takes both over, leaves `other` empty
    // [the thread that drops the object's last owner] Not virtual: a plug-in object is never
    // deleted through a BakkesModPlugin pointer, but by its module, as its own class. Releases
    // gameWrapperShared, then cvarManagerShared.
    ~BakkesModPlugin();
    BakkesModPlugin& operator=(const BakkesModPlugin& other);      // shares both handles
    BakkesModPlugin& operator=(BakkesModPlugin&& other) noexcept;  // takes both over

    // [loader thread] after the handles are set, before any hook or timer runs. Returns within a
    // second: the game waits for it. A throw refuses the plug-in. Does nothing here.
    virtual void onLoad();
    // [loader thread] first at unload, while the handles still work and before the plug-in's hooks
    // and timers are dropped (they may still fire meanwhile). A throw is reported; the unload goes
    // on. Does nothing here. Once the plug-in is unloaded, nothing of it is left for the host to
    // carry: no handle copy alive, no thread of its own running, no file open, no memory kept, so
    // that a plug-in reloaded all evening costs what it cost once.
    virtual void onUnload();
};

}  // namespace BakkesMod::Plugin
