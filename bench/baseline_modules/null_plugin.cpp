// The null plug-in: a touch hook that sets a timer whose firing does nothing. What a touch costs
// with this one is the host's floor: the event, the hook call and one timer.
#include <string>

#include "baseline_plugin.h"
#include "bakkesmod/wrappers/ball_wrapper.h"

namespace {

class NullPlugin : public BakkesMod::Plugin::BakkesModPlugin {
public:
    void onLoad() override {
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [this](BallWrapper, void*, std::string) {
                gameWrapperShared->SetTimeout([](GameWrapper*) {}, 0.01f);
            });
    }
};

}  // namespace

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> makeBaselinePlugin() {
    return std::make_shared<NullPlugin>();
}
