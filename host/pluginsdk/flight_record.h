// What the world remembers of the ball's flight while its physics is on, for pictures of it (the
// console's `field png`, the live window's arena): where the ball and its ghost were at each game
// tick, and what happened to the ball on the way: the host's touches and the plug-ins' firings,
// with the ball's velocity and Magnus coefficient just before and just after each.
//
// Bounded, so that a long run does not grow the host: the last kKeptSamples ticks (ten minutes of
// game time) and, of the events, the last kKeptEvents that are no older than the oldest tick kept.
//
// Threads: none of its own; the world keeps its recorder under its lock and hands out copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "ball_flight.h"
#include "bakkesmod/wrappers/vector.h"

namespace pluginsdk {

struct FlightSample {
    std::int64_t time = 0;  // game time, in microseconds
    Vector ball;
    Vector ballVelocity;    // after the tick: what the speed plot shows
    Vector ghost;           // meaningful only with hasGhost
    bool hasGhost = false;
};

enum class FlightEventKind : std::uint8_t {
    Touch,   // a car touched the ball (World::touchBall)
    Firing,  // a plug-in's timer fired
};

struct FlightEvent {
    std::uint64_t sequence = 0;  // numbered from 1, in the order they happened
    std::int64_t time = 0;
    FlightEventKind kind = FlightEventKind::Touch;
    std::uint8_t team = 0;       // the ball's hit team
    Vector position;             // where the ball was
    Vector velocityBefore;
    Vector velocityAfter;
    Vector magnusBefore;
    Vector magnusAfter;

    // A Magnus coefficient there was is gone.
    bool spinCleared() const {
        const auto zero = [](const Vector& v) { return v.X == 0.0f && v.Y == 0.0f && v.Z == 0.0f; };
        return !zero(magnusBefore) && zero(magnusAfter);
    }
};

// A copy of part of the record, oldest first.
struct FlightRecord {
    std::int64_t start = 0;  // the earliest time the copy covers
    std::int64_t now = 0;    // the game clock when it was copied
    FlightSettings settings; // as they are now
    std::vector<FlightSample> samples;
    std::vector<FlightEvent> events;
};

class FlightRecorder {
public:
    static constexpr std::size_t kKeptSamples = 600 * 120;  // ten minutes of ticks
    static constexpr std::size_t kKeptEvents = 10'000;

    // Forgets everything: the record starts at `now`.
    void restart(std::int64_t now);
    void addSample(const FlightSample& sample);
    // Numbers the event and keeps it.
    void addEvent(FlightEvent event);

    // The samples and events from `since` on (from the record's start if that is later), and
    // the time from which they are complete.
    void copySince(std::int64_t since, FlightRecord& into) const;
    // The events numbered after `sequence`, as far as they are still kept.
    std::vector<FlightEvent> eventsAfter(std::uint64_t sequence) const;

private:
    // A ring once full: nextSample_ is then the oldest.
    std::vector<FlightSample> samples_;
    std::size_t nextSample_ = 0;
    std::deque<FlightEvent> events_;
    std::uint64_t lastSequence_ = 0;
    std::int64_t start_ = 0;
};

}  // namespace pluginsdk
