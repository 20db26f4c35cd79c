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
    threads_.run(HostThread::Loader, [this] {
        plugin_.reset();
        snapshot_.reset();
    });
}

void HostSession::useSavedSettings(SavedSettings& settings) {
    savedSettings_ = &settings;
    world_->setRegistrationListener([&settings](pluginsdk::detail::ConsoleVariable& variable) {
        settings.applyTo(variable);
    });
}

std::optional<std::string> HostSession::saveSettings() {
    if (savedSettings_ == nullptr) {
        return std::nullopt;
    }
    return savedSettings_->save(world_->variables());
}

void HostSession::load() {
    threads_.run(HostThread::Loader, [this] { loadHere(); });
}

void HostSession::loadHere() {
    if (plugin_) {
        throw HostError("the module is already loaded; unload it first");
    }
    if (!privateCopies_) {
        plugin_ = LoadedPlugin::load(modulePath_, world_);
        return;
    }
    std::unique_ptr<ModuleSnapshot> snapshot = ModuleSnapshot::take(modulePath_);
    try {
        plugin_ = LoadedPlugin::load(snapshot->path(), world_);
    } catch (const HostError& error) {
        // Name the file the user knows, not the copy.
        std::string message = error.what();
        for (std::size_t at = message.find(snapshot->path()); at != std::string::npos;
             at = message.find(snapshot->path(), at + modulePath_.size())) {
            message.replace(at, snapshot->path().size(), modulePath_);
        }
        throw HostError(message);
    }
    snapshot_ = std::move(snapshot);
}

// Unloads the plug-in, if one is loaded, then removes the copy it was loaded from, on the loader
// thread. The unload always completes; what the plug-in did wrong on the way is returned as one
// message.
std::optional<std::string> HostSession::unloadPlugin() {
    std::optional<std::string> problem;
    threads_.run(HostThread::Loader, [this, &problem] { problem = unloadPluginHere(); });
    return problem;
}

std::optional<std::string> HostSession::unloadPluginHere() {
    std::vector<std::string> problems;
    std::string path = modulePath_;
    if (plugin_) {
        const std::unique_ptr<LoadedPlugin> plugin = std::move(plugin_);
        problems = plugin->unload();
        if (!snapshot_) {
            path = plugin->path();
        }
    }
    snapshot_.reset();
    if (problems.empty()) {
        return std::nullopt;
    }
    std::string message = "unloaded '" + path + "', but";
    for (std::size_t i = 0; i < problems.size(); ++i) {
        message += (i == 0 ? " " : "; ") + problems[i];
    }
    return message;
}

namespace {

// One error for what went wrong, in the order it happened.
void throwProblems(const std::optional<std::string>& first, const std::optional<std::string>& second) {
    if (first && second) {
        throw HostError(*first + "; and " + *second);
    }
    if (first || second) {
        throw HostError(first ? *first : *second);
    }
}

}  // namespace

void HostSession::unload() {
    const std::optional<std::string> unloadProblem = unloadPlugin();
    throwProblems(unloadProblem, saveSettings());
}

void HostSession::reload() {
    const std::optional<std::string> unloadProblem = unloadPlugin();
    const std::optional<std::string> saveProblem = saveSettings();
    load();
    throwProblems(unloadProblem, saveProblem);
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
    const std::lock_guard lock(failuresMutex_);
    return std::exchange(callbackFailures_, {});
}

}  // namespace host
