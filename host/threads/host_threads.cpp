#include "host_threads.h"

namespace host {

std::optional<ThreadMode> parseThreadMode(std::string_view text) {
    if (text == "one") {
        return ThreadMode::One;
    }
    if (text == "separate") {
        return ThreadMode::Separate;
    }
    return std::nullopt;
}

HostThreads::HostThreads(ThreadMode mode) : mode_(mode) {
    if (mode_ == ThreadMode::Separate) {
        loader_ = std::make_unique<TaskThread>("loader");
        game_ = std::make_unique<TaskThread>("game");
        render_ = std::make_unique<TaskThread>("render");
    }
}

// The render and game threads stop before the loader thread, which the session last used to unload.
HostThreads::~HostThreads() {
    render_.reset();
    game_.reset();
    loader_.reset();
}

TaskThread* HostThreads::thread(HostThread owner) const {
    switch (owner) {
    case HostThread::Console:
        return nullptr;
    case HostThread::Loader:
        return loader_.get();
    case HostThread::Game:
        return game_.get();
    case HostThread::Render:
        return render_.get();
    }
    return nullptr;
}

void HostThreads::run(HostThread owner, const std::function<void()>& task) {
    TaskThread* const thread = this->thread(owner);
    if (thread == nullptr) {
        task();
        return;
    }
    thread->runAndWait(task);
}

}  // namespace host
