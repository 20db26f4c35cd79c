#include "host_session.h"

#include <utility>

namespace host {

HostSession::HostSession(std::string modulePath, std::ostream& out, ThreadMode threads)
    : modulePath_(std::move(modulePath)), out_(out), world_(pluginsdk::World::create()), threads_(threads) {
    world_->setLogListener([this](const pluginsdk::LogLine& line) {
        out_ << '[' << line.pluginName << "] " << line.text << '\n';
        if (logObserver_) {
            logObserver_(line);
        }
    });
    world_->setFailureListener([this](const std::string& failure) {
        const std::lock_guard lock(failuresMutex_);
        callbackFailures_.push_back(failure);
    });
}

HostSession::~HostSession() {
    // On the loader thread, like every unload; problems go unreported here.
    threads_.run(HostThread::Loader, [this] { plugin_.reset(); });
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
    threads_.run(HostThread::Loader, [this] {
        if (!plugin_) {
            return;
        }
        // The unload always completes; what the plug-in did wrong on the way is reported after.
        const std::unique_ptr<LoadedPlugin> plugin = std::move(plugin_);
        const std::vector<std::string> problems = plugin->unload();
        if (!problems.empty()) {
            std::string message = "unloaded '" + plugin->path() + "', but";
            for (std::size_t i = 0; i < problems.size(); ++i) {
                message += (i == 0 ? " " : "; ") + problems[i];
            }
            throw CommandError(message);
        }
    });
}

LoadedPlugin& HostSession::plugin() {
    if (!plugin_) {
        throw CommandError("no module is loaded (use 'load')");
    }
    return *plugin_;
}

void HostSession::setLogObserver(std::function<void(const pluginsdk::LogLine&)> observer) {
    logObserver_ = std::move(observer);
}

std::vector<std::string> HostSession::takeCallbackFailures() {
    const std::lock_guard lock(failuresMutex_);
    return std::exchange(callbackFailures_, {});
}

}  // namespace host
