// A host session with one module loaded through the host's real loader and SDK library, set up for
// a switched-on, deflecting touch: the runtime clock fixed at 1, the orange switch on, the speed
// factor 0.5, a deflection of 10 percent, and a ball. Every benchmark that drives a plug-in starts
// from one of these.
//
// The module is a process-wide library: one session per module at a time. Destroying the session
// unloads the module and lets the runtime clock follow the real one again.
#pragma once

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "bakkesmod/wrappers/vector.h"
#include "session/host_session.h"

namespace quorvel_bench {

// The velocity every measured touch gives the ball, so each touch does the same work however many
// came before (the plug-in halves the speed at each firing).
inline constexpr Vector kTouchVelocity{1000.0f, -500.0f, 200.0f};
inline constexpr std::uint8_t kOrange = 1;
// A little more than the plug-in's delay of 0.01 (a float, widened), so the response fires.
inline constexpr double kPastTheDelay = 0.011;

// Output nobody reads: the plug-in's log lines would otherwise grow a buffer over millions of runs.
class DiscardingStream : public std::ostream {
public:
    DiscardingStream() : std::ostream(&buffer_) {}

private:
    struct Discard : std::streambuf {
        int overflow(int c) override { return traits_type::not_eof(c); }
    } buffer_;
};

class ModuleSession {
public:
    // Throws host::CommandError if the module cannot be loaded, or if it did not register the
    // settings the set-up needs.
    explicit ModuleSession(const std::string& modulePath);
    ~ModuleSession();
    ModuleSession(const ModuleSession&) = delete;
    ModuleSession& operator=(const ModuleSession&) = delete;

    host::HostSession& session() { return session_; }
    pluginsdk::World& world() { return session_.world(); }

    // One orange touch with kTouchVelocity, then the game clock past the delay, so its response fires.
    // Out of line, so an instruction counter can measure exactly one cycle by its name.
    void touchAndFire();

private:
    DiscardingStream out_;
    host::HostSession session_;
};

}  // namespace quorvel_bench
