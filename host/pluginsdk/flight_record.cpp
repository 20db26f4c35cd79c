#include "flight_record.h"

#include <algorithm>

namespace pluginsdk {

void FlightRecorder::restart(std::int64_t now) {
    samples_.clear();
    nextSample_ = 0;
    events_.clear();
    start_ = now;
}

void FlightRecorder::addSample(const FlightSample& sample) {
    if (samples_.size() < kKeptSamples) {
        if (samples_.capacity() == 0) {
            samples_.reserve(kKeptSamples);  // once: the ring never moves after this
        }
        samples_.push_back(sample);
        return;
    }
    samples_[nextSample_] = sample;
    nextSample_ = (nextSample_ + 1) % kKeptSamples;
    // Events from before the oldest tick kept go with it.
    const std::int64_t oldest = samples_[nextSample_].time;
    start_ = std::max(start_, oldest);
    while (!events_.empty() && events_.front().time < oldest) {
        events_.pop_front();
    }
}

void FlightRecorder::addEvent(FlightEvent event) {
    event.sequence = ++lastSequence_;
    if (events_.size() == kKeptEvents) {
        events_.pop_front();
    }
    events_.push_back(event);
}

void FlightRecorder::copySince(std::int64_t since, FlightRecord& into) const {
    into.start = std::max(since, start_);
    // Newest last: count back from the newest to the first one too old.
    std::size_t fresh = 0;
    while (fresh < samples_.size() &&
           samples_[(nextSample_ + samples_.size() - 1 - fresh) % samples_.size()].time >= into.start) {
        ++fresh;
    }
    into.samples.clear();
    into.samples.reserve(fresh);
    for (std::size_t i = samples_.size() - fresh; i < samples_.size(); ++i) {
        into.samples.push_back(samples_[(nextSample_ + i) % samples_.size()]);
    }
    const auto firstFresh = std::find_if(events_.rbegin(), events_.rend(),
                                         [&into](const FlightEvent& event) { return event.time < into.start; });
    into.events.assign(firstFresh.base(), events_.end());
}

std::vector<FlightEvent> FlightRecorder::eventsAfter(std::uint64_t sequence) const {
    const auto firstNew = std::find_if(events_.rbegin(), events_.rend(),
                                       [sequence](const FlightEvent& event) { return event.sequence <= sequence; });
    return std::vector<FlightEvent>(firstNew.base(), events_.end());
}

}  // namespace pluginsdk
