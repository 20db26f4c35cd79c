#include "host_session.h"

#include <utility>

namespace host {

HostSession::HostSession(std::string modulePath, std::ostream& out)
    : modulePath_(std::move(modulePath)), out_(out), world_(pluginsdk::World::create()) {
    world_->setLogListener([this](const pluginsdk::LogLine& line) {
        out_ << '[' << line.pluginName << "] " << line.text << '\n';
        if (logObserver_) {
            logObserver_(line);
        }
    });
    world_->setFailureListener([this](const std::string& failure) { callbackFailures_.push_back(failure); });
}

HostSession::~HostSession() {
    plugin_.reset();
}

void HostSession::load() {
    if (plugin_) {
        throw HostError("the module is already loaded; unload it first");
    }
    plugin_ = LoadedPlugin::load(modulePath_, world_);
}

void HostSession::unload() {
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
        throw HostError(message);
    }
}

LoadedPlugin& HostSession::plugin() {
    if (!plugin_) {
        throw HostError("no module is loaded (use 'load')");
    }
    return *plugin_;
}

void HostSession::setLogObserver(std::function<void(const pluginsdk::LogLine&)> observer) {
    logObserver_ = std::move(observer);
}

std::vector<std::string> HostSession::takeCallbackFailures() {
    return std::exchange(callbackFailures_, {});
}

}  // namespace host
