#include "unmatched_log.h"

#include <algorithm>

namespace host {

void UnmatchedLog::add(const std::string& text) {
    if (!runs_.empty() && runs_.back().text == text) {
        ++runs_.back().count;
        return;
    }
    if (runs_.size() == kKeptRuns) {
        forgottenLines_ += runs_.front().count;
        runs_.pop_front();
    }
    runs_.push_back({text, 1});
}

bool UnmatchedLog::match(std::string_view text) {
    const auto found = std::find_if(runs_.begin(), runs_.end(), [text](const Run& run) { return run.text == text; });
    if (found == runs_.end()) {
        return false;
    }
    // The matched line is the first of its run; the rest of the run stays to be matched.
    const bool runUsedUp = --found->count == 0;
    runs_.erase(runs_.begin(), runUsedUp ? std::next(found) : found);
    forgottenLines_ = 0;  // they came before the match
    return true;
}

}  // namespace host
