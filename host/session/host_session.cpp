#include "host_session.h"

#include <algorithm>
#include <iterator>
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
    threads_.run(HostThread::Loader, [this] {
        if (plugin_) {
            throw HostError("the module is already loaded; unload it first");
        }
        loadHere(CheckedModule::check(modulePath_, pluginTimeout_));
    });
}

namespace {

std::vector<std::string> variableNames(const pluginsdk::World& world) {
    std::vector<std::string> names;
    for (const auto& variable : world.variables()) {
        names.push_back(variable->name);
    }
    return names;
}

}  // namespace

void HostSession::loadHere(CheckedModule module) {
    const std::vector<std::string> before = savedSettings_ != nullptr ? variableNames(*world_) : std::vector<std::string>();
    plugin_ = LoadedPlugin::load(std::move(module), world_);
    if (savedSettings_ != nullptr) {
        // The names the plug-in registered are known only now: a saved line close to one of them
        // is probably meant for it.
        const std::vector<std::string> after = variableNames(*world_);
        std::vector<std::string> registered;
        std::copy_if(after.begin(), after.end(), std::back_inserter(registered), [&before](const std::string& name) {
            return std::find(before.begin(), before.end(), name) == before.end();
        });
        savedSettings_->reportNamesCloseTo(registered, after, plugin_->name());
    }
}

// Unloads the plug-in, if one is loaded, on the loader thread. The unload always completes; what the
// plug-in did wrong on the way is returned as one message.
std::optional<std::string> HostSession::unloadPlugin() {
    std::optional<std::string> problem;
    threads_.run(HostThread::Loader, [this, &problem] { problem = unloadPluginHere(); });
    return problem;
}

std::optional<std::string> HostSession::unloadPluginHere() {
    if (!plugin_) {
        return std::nullopt;
    }
    const std::unique_ptr<LoadedPlugin> plugin = std::move(plugin_);
    const pluginsdk::PluginId id = plugin->id();
    const std::vector<std::string> problems = plugin->unload();
    lastUnloaded_ = UnloadedPlugin{id, plugin->refusedOnceCut()};
    if (problems.empty()) {
        return std::nullopt;
    }
    std::string message = "unloaded '" + plugin->path() + "', but";
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
    // The new file first: one that is refused leaves the plug-in that works loaded.
    std::optional<CheckedModule> module;
    threads_.run(HostThread::Loader, [this, &module] { module.emplace(CheckedModule::check(modulePath_, pluginTimeout_)); });
    const std::optional<std::string> unloadProblem = unloadPlugin();
    const std::optional<std::string> saveProblem = saveSettings();
    threads_.run(HostThread::Loader, [this, &module] { loadHere(std::move(*module)); });
    throwProblems(unloadProblem, saveProblem);
}

void HostSession::unloadIfReleased() {
    if (plugin_ && plugin_->releasedItself()) {
        (void)unloadPlugin();  // what it says is that the plug-in released itself, already told
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

int HostSession::addSdkCallObserver(SdkCallObserver observer) {
    const int number = nextSdkCallObserver_++;
    sdkCallObservers_.emplace(number, std::move(observer));
    listenToSdkCalls();
    return number;
}

void HostSession::removeSdkCallObserver(int observer) {
    sdkCallObservers_.erase(observer);
    listenToSdkCalls();
}

void HostSession::listenToSdkCalls() {
    // The world traces only while it has a listener: none while nobody observes.
    if (sdkCallObservers_.empty()) {
        world_->setTraceListener(nullptr);
        return;
    }
    // Each listener keeps the observers it was made with; the world swaps listeners between calls.
    std::vector<SdkCallObserver> observers;
    for (const auto& [number, observer] : sdkCallObservers_) {
        observers.push_back(observer);
    }
    world_->setTraceListener([observers = std::move(observers)](const pluginsdk::SdkCall& call) {
        for (const SdkCallObserver& observer : observers) {
            observer(call);
        }
    });
}

std::vector<std::string> HostSession::takeCallbackFailures() {
    const std::lock_guard lock(failuresMutex_);
    return std::exchange(callbackFailures_, {});
}

}  // namespace host
