#include "host_session.h"

#include <utility>

namespace host {

HostSession::HostSession(std::string modulePath, std::ostream& out, ThreadMode threads)
    : modulePath_(std::move(modulePath)), out_(out), world_(pluginsdk::World::create()), threads_(threads) {
    world_->setLogListener([this](const pluginsdk::LogLine& line) {
        out_ << '[' << line.pluginName << "] " << line.text << '\n';
    });
    world_->setFailureListener([this](const std::string& failure) {
        const std::lock_guard lock(failuresMutex_);
        callbackFailures_.push_back(failure);
    });
}

HostSession::~HostSession() {
    unload();
}

void HostSession::load() {
    threads_.run(HostThread::Loader, [this] {
        if (plugin_) {
            throw CommandError("the module is already loaded; unload it first");
        }
        try {
            plugin_ = LoadedPlugin::load(modulePath_, world_);
        } catch (const LoadError& error) {
            throw CommandError(error.what());
        }
    });
}

void HostSession::unload() {
    threads_.run(HostThread::Loader, [this] { plugin_.reset(); });
}

LoadedPlugin& HostSession::plugin() {
    if (!plugin_) {
        throw CommandError("no module is loaded (use 'load')");
    }
    return *plugin_;
}

std::vector<std::string> HostSession::takeCallbackFailures() {
    const std::lock_guard lock(failuresMutex_);
    return std::exchange(callbackFailures_, {});
}

}  // namespace host
