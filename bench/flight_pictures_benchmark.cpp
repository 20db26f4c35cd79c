// For information: what the ball's pictures cost as the console's `field png` and `preview png`
// make them, drawn offscreen with the software renderer and written as PNG files.
#include <benchmark/benchmark.h>

#include <exception>
#include <filesystem>
#include <string>

#include "flight_views/field_view.h"
#include "flight_views/touch_preview_view.h"
#include "module_session.h"
#include "pluginsdk/world.h"
#include "rendering/session_pictures.h"

namespace quorvel_bench {
namespace {

std::string pictureFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// Ten seconds of flight with a touch every two seconds, the ghost beside it, drawn whole.
void BM_FieldPng(benchmark::State& state) {
    const std::string file = pictureFile("quorvel-bench-field.png");
    try {
        const auto world = pluginsdk::World::create();
        world->setPhysics(true);
        world->setGhost(true);
        world->ensureBall();
        for (int touch = 0; touch < 5; ++touch) {
            world->touchBall(static_cast<std::uint8_t>(touch % 2), kTouchVelocity);
            world->advanceClock(2.0);
        }
        const pluginsdk::FlightRecord record = world->flightRecord(0);
        host::SessionPictures pictures;
        for (auto _ : state) {
            pictures.writeWindow(static_cast<int>(host::kFieldViewWidth), static_cast<int>(host::kFieldViewHeight),
                                 [&record] {
                                     host::drawFieldView(record,
                                                         ImVec2(host::kFieldViewWidth, host::kFieldViewHeight), {});
                                 },
                                 file);
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_FieldPng)->Unit(benchmark::kMillisecond);

// The plug-in's own response to the preview's touches, then the picture of them.
void BM_PreviewPng(benchmark::State& state) {
    const std::string file = pictureFile("quorvel-bench-preview.png");
    try {
        ModuleSession module(QUORVEL_MODULE_PATH);
        host::SessionPictures pictures;
        host::TouchPreview preview;
        preview.team = kOrange;
        preview.velocity = kTouchVelocity;
        for (auto _ : state) {
            preview.after = module.world().rehearseTouches(preview.team, preview.velocity, preview.magnusCoefficient,
                                                           host::kPreviewTouches);
            pictures.writeWindow(static_cast<int>(host::kTouchPreviewWidth), static_cast<int>(host::kTouchPreviewHeight),
                                 [&preview] {
                                     host::drawTouchPreview(
                                         preview, ImVec2(host::kTouchPreviewWidth, host::kTouchPreviewHeight));
                                 },
                                 file);
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_PreviewPng)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel_bench
