// A plug-in module with one thing wrong, chosen by the build (FAKE_MODULE_DEFECT), for the tests of
// the loader's refusals. Each defect is one of the ways a file can fail to be a usable plug-in.
#include <memory>
#include <stdexcept>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"

#define DEFECT_NO_RECORD 1
#define DEFECT_NO_FACTORY 2
#define DEFECT_NO_RELEASE 3
#define DEFECT_NO_CLASS_NAME 4
#define DEFECT_EMPTY_FACTORY 5
#define DEFECT_THROWING_LOAD 6
#define DEFECT_FOREIGN_FACTORY 7

namespace {

class FakePlugin : public BakkesMod::Plugin::BakkesModPlugin {
public:
    void onLoad() override {
#if FAKE_MODULE_DEFECT == DEFECT_THROWING_LOAD
        throw std::runtime_error("no settings for you");
#endif
    }
};

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> instance;

}  // namespace

extern "C" PLUGIN_EXPORT std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPluginImpl() {
#if FAKE_MODULE_DEFECT != DEFECT_EMPTY_FACTORY
    if (!instance) {
        instance = std::make_shared<FakePlugin>();
    }
#endif
    return &instance;
}

extern "C" PLUGIN_EXPORT void deleteMeImpl() {
    instance.reset();
}

#if FAKE_MODULE_DEFECT != DEFECT_NO_FACTORY
extern "C" PLUGIN_EXPORT std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPlugin() {
    return getPluginImpl();
}
#endif

#if FAKE_MODULE_DEFECT != DEFECT_NO_RELEASE
extern "C" PLUGIN_EXPORT void deleteMe() {
    deleteMeImpl();
}
#endif

#if FAKE_MODULE_DEFECT != DEFECT_NO_RECORD
// Without an exported getPlugin or deleteMe, the record can only point at the implementations.
#if FAKE_MODULE_DEFECT == DEFECT_NO_FACTORY || FAKE_MODULE_DEFECT == DEFECT_FOREIGN_FACTORY
#define RECORD_FACTORY getPluginImpl
#else
#define RECORD_FACTORY getPlugin
#endif
#if FAKE_MODULE_DEFECT == DEFECT_NO_RELEASE
#define RECORD_RELEASE deleteMeImpl
#else
#define RECORD_RELEASE deleteMe
#endif

extern "C" PLUGIN_EXPORT PluginDescriptor exports;
PluginDescriptor exports = {
    95,
    __FILE__,
#if FAKE_MODULE_DEFECT == DEFECT_NO_CLASS_NAME
    nullptr,
#else
    "FakePlugin",
#endif
    "A plug-in with one thing wrong",
    "0.0.0.1",
    1,
    &RECORD_FACTORY,
    &RECORD_RELEASE,
};
#endif
