// A plug-in module with one thing wrong, chosen by the build (FAKE_MODULE_DEFECT: DEFECT_ and the name
// of its row in tests/hostile_modules.cmake, in capitals), for the tests of the loader's refusals and
// of the host's reports on a plug-in's faults. Each defect is one of the ways a file can fail to be
// a usable plug-in, or a plug-in can fail its host.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "bakkesmod/plugin/plugin_descriptor.h"
#include "bakkesmod/plugin/plugin_settings_window.h"

#define DEFECT_NO_RECORD 1
#define DEFECT_NO_FACTORY 2
#define DEFECT_NO_RELEASE 3
#define DEFECT_NO_CLASS_NAME 4
#define DEFECT_EMPTY_FACTORY 5
#define DEFECT_THROWING_LOAD 6
#define DEFECT_FOREIGN_FACTORY 7
#define DEFECT_THROWING_FACTORY 8
#define DEFECT_THROWING_STATIC_INIT 9
#define DEFECT_THROWING_RELEASE 10
#define DEFECT_LATE_REGISTRATIONS 11
#define DEFECT_MESSY_THROWING_LOAD 12
#define DEFECT_OWN_UNLOAD 13
#define DEFECT_DROPPED_GAME_HANDLE 14
#define DEFECT_LONG_STATIC_INIT_THROW 15
#define DEFECT_CRASHING_LOAD 16
#define DEFECT_THROWING_PANEL 17
#define DEFECT_THROWING_DISPLAY_NAME 18
#define DEFECT_CRASHING_HOOK 19
#define DEFECT_HANGING_LOAD 20
#define DEFECT_REARMING_TIMER 21
#define DEFECT_HANGING_STATIC_INIT 22
#define DEFECT_THROWING_HOOK 23
#define DEFECT_LEAKING_HANDLE 24
#define DEFECT_UNBALANCED_PANEL 25
#define DEFECT_OTHER_OBJECT_EACH_TIME 26
#define DEFECT_UNPRINTABLE_VARIABLE 27
#define DEFECT_INFINITE_VELOCITY 28
#define DEFECT_FOREIGN_THREAD 29
#define DEFECT_NONDETERMINISTIC 30
#define DEFECT_FOREIGN_THREAD_LOG 31
#define DEFECT_UNUSUAL_WIDGETS 32
#define DEFECT_SETTING_UNBALANCED_PANEL 33
#define DEFECT_SLOW_LOAD 34
#define DEFECT_ROUNDING_SETTING 35
#define DEFECT_LEAKING_TOUCH 36
#define DEFECT_UNIQUE_SYMBOL 37
#define DEFECT_SHARED_CONTAINER 38
// What a plug-in may do to the process it shares with the host.
#define DEFECT_EXITING_LOAD 39
#define DEFECT_FORKING_LOAD 40
#define DEFECT_LOCALE_LOAD 41
#define DEFECT_ROUNDING_LOAD 42
#define DEFECT_DEFAULT_FATAL_SIGNALS 43
#define DEFECT_SIGPIPE_DEFAULT 44
#define DEFECT_RAISING_HOOK 45
#define DEFECT_INTERRUPTING_THREAD 46
#define DEFECT_CHDIR_LOAD 47
#define DEFECT_THREAD_AFTER_UNLOAD 48
#define DEFECT_ENDING_PANEL 49
#define DEFECT_RELEASING_HOOK 50
#define DEFECT_MANY_VARIABLES 51
#define DEFECT_HUGE_LOG_LINES 52
#define DEFECT_HUGE_VARIABLE_NAME 53
#define DEFECT_PLAIN 54

#define FAKE_MODULE_DRAWS                                                                     \
    (FAKE_MODULE_DEFECT == DEFECT_UNBALANCED_PANEL || FAKE_MODULE_DEFECT == DEFECT_UNUSUAL_WIDGETS || \
     FAKE_MODULE_DEFECT == DEFECT_SETTING_UNBALANCED_PANEL || \
     FAKE_MODULE_DEFECT == DEFECT_ENDING_PANEL)
#if FAKE_MODULE_DRAWS  // with Dear ImGui
#include <imgui.h>
#endif
#if FAKE_MODULE_DEFECT >= DEFECT_EXITING_LOAD
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <atomic>
#include <cfenv>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <locale>
#include <xmmintrin.h>
#endif

// Modules whose defect must leave the host's output, saved file and flight as the plain one's: all
// of them respond to touches alike.
#define FAKE_MODULE_RESPONDS                                                                         \
    (FAKE_MODULE_DEFECT == DEFECT_LOCALE_LOAD || FAKE_MODULE_DEFECT == DEFECT_ROUNDING_LOAD ||         \
     FAKE_MODULE_DEFECT == DEFECT_SIGPIPE_DEFAULT || FAKE_MODULE_DEFECT == DEFECT_CHDIR_LOAD ||        \
     FAKE_MODULE_DEFECT == DEFECT_PLAIN)

#define FAKE_MODULE_HAS_PANEL \
    (FAKE_MODULE_DEFECT == DEFECT_THROWING_PANEL || FAKE_MODULE_DEFECT == DEFECT_THROWING_DISPLAY_NAME || FAKE_MODULE_DRAWS || \
     FAKE_MODULE_DEFECT == DEFECT_SHARED_CONTAINER)


extern "C" PLUGIN_EXPORT void deleteMeImpl();

#if FAKE_MODULE_DEFECT == DEFECT_UNIQUE_SYMBOL && !defined(_WIN32)
// A function-local static of an inline function the module exports: GCC makes it a GNU unique
// symbol, and the dynamic loader never unloads a module that binds one.
__attribute__((visibility("default"))) inline int& touchCount() {
    static int count = 0;
    return count;
}
#endif

namespace {

#if FAKE_MODULE_DEFECT == DEFECT_LATE_REGISTRATIONS
// Registers a hook and a timer from the plug-in's destructor and again from the module's static
// clean-up, through a copy of the game handle it kept; both would run code of a closed module.
std::shared_ptr<GameWrapper> keptGame;
std::shared_ptr<CVarManagerWrapper> keptConsole;
std::optional<CVarWrapper> keptSeen;  // taken at load: variable handles outlive the cut

void registerLateCallbacks(const char* when) {
    if (!keptGame || !keptConsole || !keptSeen) {
        return;
    }
    // Tells the tests what the plug-in saw: a handle that tests true here is a fault of the host.
    keptSeen->setValue(static_cast<bool>(*keptGame) ? 1 : 0);
    keptConsole->log(std::string("still reachable from ") + when);
    keptGame->SetTimeout([](GameWrapper*) { keptConsole->log("timer of a closed module"); }, 0.5f);
    keptGame->HookEventWithCallerPost<BallWrapper>(
        "Function TAGame.Ball_TA.OnCarTouch",
        [](BallWrapper, void*, std::string) { keptConsole->log("hook of a closed module"); });
}

struct StaticCleanUp {
    ~StaticCleanUp() { registerLateCallbacks("static clean-up"); }
} staticCleanUp;
#endif

#if FAKE_MODULE_DEFECT == DEFECT_THROWING_STATIC_INIT
struct ThrowingStaticInit {
    ThrowingStaticInit() { throw std::runtime_error("static set-up failed"); }
} throwingStaticInit;
#elif FAKE_MODULE_DEFECT == DEFECT_LONG_STATIC_INIT_THROW
// A message far longer than a pipe's buffer.
struct ThrowingStaticInit {
    ThrowingStaticInit() { throw std::runtime_error(std::string(200000, 'x')); }
} throwingStaticInit;
#elif FAKE_MODULE_DEFECT == DEFECT_HANGING_STATIC_INIT
volatile bool forever = true;
struct HangingStaticInit {
    HangingStaticInit() {
        while (forever) {
        }
    }
} hangingStaticInit;
#endif

#if FAKE_MODULE_DEFECT == DEFECT_LEAKING_TOUCH
// Where the last block lost went: kept out of the optimiser's reach, so each one is allocated.
void* volatile lastLost = nullptr;
#endif

#if FAKE_MODULE_DEFECT == DEFECT_CRASHING_HOOK
// Where a plug-in's damaged state would lead it: a write through a null pointer.
int* volatile nowhere = nullptr;
#elif FAKE_MODULE_DEFECT == DEFECT_HANGING_LOAD
volatile bool loading = true;
#elif FAKE_MODULE_DEFECT == DEFECT_DEFAULT_FATAL_SIGNALS
int* volatile nowhere = nullptr;
void defaultFatalSignals() {
    for (const int signal : {SIGSEGV, SIGFPE, SIGILL, SIGABRT}) {
        std::signal(signal, SIG_DFL);
    }
}
#endif

class FakePlugin : public BakkesMod::Plugin::BakkesModPlugin
#if FAKE_MODULE_HAS_PANEL
    , public BakkesMod::Plugin::PluginSettingsWindow
#endif
{
public:
#if FAKE_MODULE_HAS_PANEL
    void DrawSettingsPanel() override {
#if FAKE_MODULE_DEFECT == DEFECT_THROWING_PANEL
        throw std::runtime_error("no panel today");
#elif FAKE_MODULE_DEFECT == DEFECT_UNBALANCED_PANEL
        ImGui::PushID("forgotten");  // never popped
#elif FAKE_MODULE_DEFECT == DEFECT_ENDING_PANEL
        ImGui::End();  // the host's window, which the panel did not begin
#elif FAKE_MODULE_DEFECT == DEFECT_UNUSUAL_WIDGETS
        // Nothing wrong, only widgets a check box is not: a combo box and an integer slider on
        // variables that hold 0 or 1, and a button beside a check box that writes its variable.
        CVarWrapper mode = cvarManagerShared->getCvar("fake_mode");
        int chosen = mode.getBoolValue() ? 1 : 0;
        if (ImGui::Combo("Mode", &chosen, "Off\0On\0")) {
            mode.setValue(chosen);
        }
        CVarWrapper level = cvarManagerShared->getCvar("fake_level");
        int value = static_cast<int>(level.getFloatValue());
        if (ImGui::SliderInt("Level", &value, 0, 1)) {
            level.setValue(value);
        }
        CVarWrapper shown = cvarManagerShared->getCvar("fake_shown");
        bool on = shown.getBoolValue();
        if (ImGui::Checkbox("Shown", &on)) {
            shown.setValue(on ? 1 : 0);
        }
        ImGui::SameLine();
        if (ImGui::Button("Reset")) {
            shown.setValue(1);
        }
#elif FAKE_MODULE_DEFECT == DEFECT_SETTING_UNBALANCED_PANEL
        // Balanced until its box is ticked: then a colour is pushed and never popped.
        CVarWrapper bright = cvarManagerShared->getCvar("fake_bright");
        bool on = bright.getBoolValue();
        if (on) {
            ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 255, 0, 255));
        }
        if (ImGui::Checkbox("Bright", &on)) {
            bright.setValue(on ? 1 : 0);
        }
#elif FAKE_MODULE_DEFECT == DEFECT_SHARED_CONTAINER
        // Reads what the hooks write on the game thread, with no lock: a race, though the room kept
        // means it never reads freed memory.
        lastShown = touches.empty() ? 0.0f : touches.back();
#endif
    }
    std::string GetDisplayName() override {
#if FAKE_MODULE_DEFECT == DEFECT_THROWING_DISPLAY_NAME
        throw std::runtime_error("nameless");
#endif
        return "FakePlugin";
    }
    void AttachImGuiContext([[maybe_unused]] std::uintptr_t context) override {
#if FAKE_MODULE_DRAWS
        ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(context));
#endif
    }
#endif

    void onLoad() override {
#if FAKE_MODULE_DEFECT == DEFECT_LOCALE_LOAD
        // Every locale it can reach, to one whose decimal point is a comma.
        std::setlocale(LC_ALL, "de_DE.UTF-8");
#if !defined(_WIN32)
        std::locale::global(std::locale("de_DE.UTF-8"));
        german_ = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
        uselocale(german_);
#endif
#elif FAKE_MODULE_DEFECT == DEFECT_ROUNDING_LOAD
        std::fesetround(FE_UPWARD);
        _mm_setcsr(_mm_getcsr() | 0x8040);  // flush-to-zero and denormals-are-zero
#elif FAKE_MODULE_DEFECT == DEFECT_SIGPIPE_DEFAULT && !defined(_WIN32)
        std::signal(SIGPIPE, SIG_DFL);
#elif FAKE_MODULE_DEFECT == DEFECT_CHDIR_LOAD && !defined(_WIN32)
        (void)chdir("/");
#endif
#if FAKE_MODULE_RESPONDS
        respondToTouches();
#endif
#if FAKE_MODULE_DEFECT == DEFECT_THROWING_LOAD
        throw std::runtime_error("no settings for you");
#elif FAKE_MODULE_DEFECT == DEFECT_MESSY_THROWING_LOAD
        // Leaves as much behind as it can before it fails: a new variable, a changed old one, a
        // hook and a timer.
        cvarManagerShared->registerCvar("fake_created", "1", "made by a failing load", true, false, 0, false, 0,
                                        false);
        cvarManagerShared->registerCvar("fake_existing", "5", "", true, false, 0, false, 0, false).setValue(9);
        gameWrapperShared->SetTimeout([this](GameWrapper*) { cvarManagerShared->log("timer"); }, 0.5f);
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch",
            [this](BallWrapper, void*, std::string) { cvarManagerShared->log("hook"); });
        throw std::runtime_error("half set up");
#elif FAKE_MODULE_DEFECT == DEFECT_LATE_REGISTRATIONS
        keptGame = gameWrapperShared;
        keptConsole = cvarManagerShared;
        keptSeen = cvarManagerShared->registerCvar("fake_late_seen", "-1", "", true, false, 0, false, 0, false);
#elif FAKE_MODULE_DEFECT == DEFECT_DROPPED_GAME_HANDLE
        // Sets a timer, then lets go of its game handle; the timer is still given one when it fires.
        gameWrapperShared->SetTimeout(
            [this](GameWrapper* game) {
                cvarManagerShared->log(static_cast<bool>(*game) ? "fired with a live game handle" : "fired");
            },
            0.5f);
        gameWrapperShared.reset();
#elif FAKE_MODULE_DEFECT == DEFECT_CRASHING_LOAD
        // What a failed assertion or std::terminate does: the host must not go down with it.
        std::abort();
#elif FAKE_MODULE_DEFECT == DEFECT_CRASHING_HOOK
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>("Function TAGame.Ball_TA.OnCarTouch",
                                                                [](BallWrapper, void*, std::string) { *nowhere = 1; });
#elif FAKE_MODULE_DEFECT == DEFECT_HANGING_LOAD
        while (loading) {
#if defined(__SANITIZE_THREAD__)
            // ThreadSanitizer hands a thread a signal only when it calls into the runtime: sleeping,
            // the hang takes the host's signal and says where it is, instead of the report waiting
            // its whole allowance for a handler that never runs.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
#endif
        }
#elif FAKE_MODULE_DEFECT == DEFECT_LEAKING_HANDLE
        // A copy of a variable's handle made on the heap and never deleted: one more live handle
        // per load.
        new CVarWrapper(cvarManagerShared->registerCvar("fake_leaked", "0", "", true, false, 0, false, 0, false));
#elif FAKE_MODULE_DEFECT == DEFECT_UNPRINTABLE_VARIABLE
        cvarManagerShared->registerCvar("fake\tname", "0", "", true, false, 0, false, 0, false);
#elif FAKE_MODULE_DEFECT == DEFECT_INFINITE_VELOCITY
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch",
            [](BallWrapper ball, void*, std::string) { ball.SetVelocity(Vector{INFINITY, 0.0f, 0.0f}); });
#elif FAKE_MODULE_DEFECT == DEFECT_FOREIGN_THREAD
        // The SDK from a thread of the plug-in's own, which the host never promised to serve.
        std::thread([console = cvarManagerShared] {
            console->registerCvar("fake_from_my_thread", "0", "", true, false, 0, false, 0, false);
        }).join();
#elif FAKE_MODULE_DEFECT == DEFECT_FOREIGN_THREAD_LOG
        // Only a log line, from a thread of its own: the host's trace does not show it.
        std::thread([console = cvarManagerShared] { console->log("from my own thread"); }).join();
#elif FAKE_MODULE_DEFECT == DEFECT_NONDETERMINISTIC
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [this](BallWrapper, void*, std::string) {
                cvarManagerShared->log(std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
            });
#elif FAKE_MODULE_DEFECT == DEFECT_UNUSUAL_WIDGETS
        cvarManagerShared->registerCvar("fake_mode", "0", "", true, false, 0, false, 0, false);
        cvarManagerShared->registerCvar("fake_level", "1", "", true, false, 0, false, 0, false);
        cvarManagerShared->registerCvar("fake_shown", "1", "", true, false, 0, false, 0, false);
#elif FAKE_MODULE_DEFECT == DEFECT_SETTING_UNBALANCED_PANEL
        cvarManagerShared->registerCvar("fake_bright", "0", "", true, false, 0, false, 0, false);
#elif FAKE_MODULE_DEFECT == DEFECT_SLOW_LOAD
        // Slow but well inside onLoad's second: a check's limits grow with it.
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
#elif FAKE_MODULE_DEFECT == DEFECT_THROWING_HOOK
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch",
            [](BallWrapper, void*, std::string) { throw std::runtime_error("touched the wrong way"); });
#elif FAKE_MODULE_DEFECT == DEFECT_REARMING_TIMER
        // A timer that sets itself again with no delay every time it fires.
        rearm();
#elif FAKE_MODULE_DEFECT == DEFECT_EXITING_LOAD
        std::exit(0);
#elif FAKE_MODULE_DEFECT == DEFECT_FORKING_LOAD && !defined(_WIN32)
        fork();  // and both processes return
#elif FAKE_MODULE_DEFECT == DEFECT_DEFAULT_FATAL_SIGNALS
        defaultFatalSignals();
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>("Function TAGame.Ball_TA.OnCarTouch",
                                                                [](BallWrapper, void*, std::string) {
                                                                    defaultFatalSignals();
                                                                    *nowhere = 1;
                                                                });
#elif FAKE_MODULE_DEFECT == DEFECT_RAISING_HOOK
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [](BallWrapper, void*, std::string) { std::raise(SIGTERM); });
#elif FAKE_MODULE_DEFECT == DEFECT_INTERRUPTING_THREAD
        std::thread([] { std::raise(SIGINT); }).join();
#elif FAKE_MODULE_DEFECT == DEFECT_THREAD_AFTER_UNLOAD && !defined(_WIN32)
        // Calls the SDK until its module is closed under it. It holds standard output's lock, so the
        // host's next line waits for it: its end comes before the host's, whenever it is scheduled.
        static std::atomic<bool> holding{false};
        std::thread([console = cvarManagerShared] {
            flockfile(stdout);
            holding = true;
            for (long turns = 0; turns < 100'000'000; ++turns) {
                if (static_cast<bool>(*console)) {
                    __asm__ volatile("");  // a turn the compiler keeps
                }
            }
            funlockfile(stdout);  // only if the module was never closed
        }).detach();
        while (!holding) {
        }
#elif FAKE_MODULE_DEFECT == DEFECT_RELEASING_HOOK
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>("Function TAGame.Ball_TA.OnCarTouch",
                                                                [](BallWrapper, void*, std::string) { deleteMeImpl(); });
#elif FAKE_MODULE_DEFECT == DEFECT_MANY_VARIABLES
        for (int i = 0; i < 100'000; ++i) {
            cvarManagerShared->registerCvar("fake_" + std::to_string(i), "0", "", true, false, 0, false, 0, false);
        }
#elif FAKE_MODULE_DEFECT == DEFECT_HUGE_LOG_LINES
        for (int i = 0; i < 400; ++i) {
            cvarManagerShared->log(std::string(1 << 20, 'x'));
        }
#elif FAKE_MODULE_DEFECT == DEFECT_HUGE_VARIABLE_NAME
        cvarManagerShared->registerCvar(std::string(2 << 20, 'n'), "0", "", true, false, 0, false, 0, true).setValue(1);
#elif FAKE_MODULE_DEFECT == DEFECT_LEAKING_TOUCH
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [](BallWrapper, void*, std::string) {
                lastLost = std::memset(std::malloc(1024), 1, 1024);  // 1 KiB a touch, never freed
            });
#elif FAKE_MODULE_DEFECT == DEFECT_UNIQUE_SYMBOL && !defined(_WIN32)
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [](BallWrapper, void*, std::string) { ++touchCount(); });
#elif FAKE_MODULE_DEFECT == DEFECT_SHARED_CONTAINER
        touches.reserve(kKeptTouches);
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [this](BallWrapper ball, void*, std::string) {
                if (touches.size() == kKeptTouches) {
                    touches.clear();
                }
                touches.push_back(ball.GetVelocity().X);
            });
#elif FAKE_MODULE_DEFECT == DEFECT_ROUNDING_SETTING
        // Tidies its setting at every load to two decimals: what the person saved is not what the
        // next session shows.
        CVarWrapper share = cvarManagerShared->registerCvar("fake_share", "0.5", "", true, false, 0, false, 0, true);
        share.setValue(std::round(share.getFloatValue() * 100.0f) / 100.0f);
#elif FAKE_MODULE_DEFECT == DEFECT_OWN_UNLOAD
        cvarManagerShared->registerCvar("fake_unloads", "0", "", true, false, 0, false, 0, false);
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [](BallWrapper, void*, std::string) {});
#endif
    }

#if FAKE_MODULE_DEFECT == DEFECT_OWN_UNLOAD
    // Counts its unloads in a variable and logs, which works only while its handles still reach
    // the world: the host must call it first.
    void onUnload() override {
        CVarWrapper unloads = cvarManagerShared->getCvar("fake_unloads");
        unloads.setValue(unloads.getFloatValue() + 1.0f);
        cvarManagerShared->log(static_cast<bool>(*gameWrapperShared) ? "unloading, game reachable"
                                                                     : "unloading, game cut off");
    }
#endif

#if FAKE_MODULE_DEFECT == DEFECT_LATE_REGISTRATIONS
    ~FakePlugin() { registerLateCallbacks("destructor"); }
#endif
#if FAKE_MODULE_DEFECT == DEFECT_LOCALE_LOAD && !defined(_WIN32)
    // The host gave its thread its own locale back; nothing uses this one any more.
    ~FakePlugin() {
        if (german_ != nullptr) {  // null where the locale is not installed
            freelocale(german_);
        }
    }
    locale_t german_ = nullptr;
#endif

#if FAKE_MODULE_RESPONDS
    // A factor read from a default the host parses, and arithmetic and text that a rounding mode,
    // flush-to-zero or a locale would change.
    void respondToTouches() {
        cvarManagerShared->registerCvar("fake_factor", "0.1", "", true, false, 0, false, 0, true);
        gameWrapperShared->HookEventWithCallerPost<BallWrapper>(
            "Function TAGame.Ball_TA.OnCarTouch", [this](BallWrapper ball, void*, std::string) {
                gameWrapperShared->SetTimeout(
                    [this, ball](GameWrapper*) mutable {
                        const float factor = cvarManagerShared->getCvar("fake_factor").getFloatValue();
                        const Vector v = ball.GetVelocity();
                        const Vector after{v.X * factor / 3.0f, v.Y * factor, v.Z / 3.0f + 1e-39f};
                        char text[96];
                        std::snprintf(text, sizeof text, "%.9g %.9g %.9g", static_cast<double>(after.X),
                                      static_cast<double>(after.Y), static_cast<double>(after.Z));
                        cvarManagerShared->log(text);
                        ball.SetVelocity(after);
                    },
                    0.01f);
            });
    }
#endif

#if FAKE_MODULE_DEFECT == DEFECT_SHARED_CONTAINER
    static constexpr std::size_t kKeptTouches = 1 << 16;
    std::vector<float> touches;  // the hooks' and the panel's, unlocked
    volatile float lastShown = 0.0f;
#endif

#if FAKE_MODULE_DEFECT == DEFECT_REARMING_TIMER
    void rearm() {
        gameWrapperShared->SetTimeout(
            [this](GameWrapper*) {
                cvarManagerShared->log("again");
                rearm();
            },
            0.0f);
    }
#endif
};

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> instance;

}  // namespace

extern "C" PLUGIN_EXPORT std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>* getPluginImpl() {
#if FAKE_MODULE_DEFECT == DEFECT_THROWING_FACTORY
    throw std::runtime_error("out of plug-ins");
#endif
#if FAKE_MODULE_DEFECT == DEFECT_OTHER_OBJECT_EACH_TIME
    // Two objects, handed out in turn; both live until deleteMe.
    static std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> other;
    static int calls = 0;
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin>& given = calls++ % 2 == 0 ? instance : other;
    if (!given) {
        given = std::make_shared<FakePlugin>();
    }
    return &given;
#else
#if FAKE_MODULE_DEFECT != DEFECT_EMPTY_FACTORY
    if (!instance) {
        instance = std::make_shared<FakePlugin>();
    }
#endif
    return &instance;
#endif
}

extern "C" PLUGIN_EXPORT void deleteMeImpl() {
#if FAKE_MODULE_DEFECT == DEFECT_THROWING_RELEASE
    // Throws before it lets the object go: the module's static clean-up destroys it at close.
    throw std::runtime_error("not letting go");
#endif
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
