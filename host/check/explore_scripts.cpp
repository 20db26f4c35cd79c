#include "explore_scripts.h"

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "host_error.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host::check {
namespace {

// Draws from the generator with arithmetic of its own, not the standard distributions, whose
// results differ between standard libraries: one seed, one script, on every platform.
class Draw {
public:
    // Neighbouring seeds and sessions far apart in the generator's state.
    Draw(std::uint64_t seed, int index)
        : random_(seed * 0x9e3779b97f4a7c15ULL ^ (static_cast<std::uint64_t>(index) + 1) * 0xbf58476d1ce4e5b9ULL) {}

    std::uint64_t below(std::uint64_t count) { return random_() % count; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    float between(float low, float high) {
        const double unit = static_cast<double>(random_() >> 11) / 9007199254740992.0;  // [0, 1), 53 bits
        return static_cast<float>(low + (static_cast<double>(high) - low) * unit);
    }
    template <typename T, std::size_t N>
    const T& oneOf(const T (&choices)[N]) {
        return choices[below(N)];
    }

private:
    std::mt19937_64 random_;
};

// What a touch, a ball or a setting is given besides ordinary values: the ends of a float's range.
constexpr float kExtremes[] = {0.0f, -0.0f, 1e-45f, 1e30f, -1e30f, 3.40282347e38f, -3.40282347e38f};

std::string number(float value) {
    return pluginsdk::formatFloat(value);
}

std::string vectorWords(Draw& draw) {
    std::string words;
    for (int axis = 0; axis < 3; ++axis) {
        const float value = draw.chance(15) ? draw.oneOf(kExtremes) : draw.between(-6000.0f, 6000.0f);
        // Appended in two steps: GCC 12 at -O3 takes `" " + string` for an overlapping copy (-Wrestrict).
        words += ' ';
        words += number(value);
    }
    return words;
}

std::string settingLine(Draw& draw, const ExploredPlugin::Variable& variable) {
    if (!variable.numeric) {
        static const char* const kTexts[] = {"", "x", "text with spaces", "0", "#", "\"quoted\""};
        return variable.name + " " + draw.oneOf(kTexts);
    }
    float value = draw.between(variable.min, variable.max);
    if (draw.chance(20)) {
        value = draw.oneOf(kExtremes);
    } else if (draw.chance(15)) {
        value = draw.chance(50) ? variable.min : variable.max;
    }
    return variable.name + " " + number(value);
}

constexpr const char* kThreadsComment = "# threads ";

}  // namespace

SessionScript generateSession(const ExploredPlugin& plugin, std::uint64_t seed, int index) {
    Draw draw(seed, index);
    SessionScript script;
    script.threads = index % 2 == 0 ? ThreadMode::One : ThreadMode::Separate;
    // The clock fixes what the plug-in draws at random; the trace puts every call it makes in the
    // transcript two runs are compared by.
    script.lines = {"clock " + std::to_string(draw.below(2'000'000'000)), "trace on", "ball" + vectorWords(draw), "load"};
    bool loaded = true;
    const int length = 8 + static_cast<int>(draw.below(25));
    for (int i = 0; i < length; ++i) {
        const std::uint64_t pick = draw.below(100);
        std::string line;
        if (!loaded) {
            line = pick < 50 ? "load" : pick < 80 ? "touch " + std::to_string(draw.below(2)) + vectorWords(draw)
                                                  : "wait 0.5";
            loaded = line == "load";
        } else if (pick < 40) {
            const int team = draw.chance(5) ? 255 : static_cast<int>(draw.below(2));
            line = "touch " + std::to_string(team) + vectorWords(draw);
        } else if (pick < 62 && !plugin.variables.empty()) {
            line = settingLine(draw, plugin.variables[draw.below(plugin.variables.size())]);
        } else if (pick < 72) {
            static const char* const kWaits[] = {"wait 0", "wait 0.01", "wait 0.05", "wait 0.5", "wait 2"};
            line = draw.oneOf(kWaits);
        } else if (pick < 76) {
            line = "velocity";
        } else if (pick < 88 && plugin.hasPanel) {
            const bool click = draw.chance(50) && !plugin.variables.empty();
            line = click ? "click " + plugin.variables[draw.below(plugin.variables.size())].name : "frame";
        } else if (pick < 94) {
            line = "reload";
        } else {
            line = "unload";
            loaded = false;
        }
        script.lines.push_back(line);
    }
    return script;
}

std::string scriptText(const SessionScript& script, const std::string& about) {
    std::string text = "# " + about + "\n" + kThreadsComment +
                       (script.threads == ThreadMode::One ? "one" : "separate") + "\n";
    for (const std::string& line : script.lines) {
        text += line + "\n";
    }
    return text;
}

SessionScript readScript(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file || file.bad()) {
        throw HostError("cannot read the script " + quoted(path));
    }
    SessionScript script;
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind(kThreadsComment, 0) == 0) {
            const std::optional<ThreadMode> threads = parseThreadMode(std::string_view(line).substr(10));
            if (!threads) {
                throw HostError(quoted(path) + ": " + quoted(line) + " names no thread arrangement (one or separate)");
            }
            script.threads = *threads;
        } else if (line.find_first_not_of(" \t") != std::string::npos && line.front() != '#') {
            script.lines.push_back(line);
        }
    }
    return script;
}

SessionScript shrinkScript(SessionScript script, const std::function<bool(const SessionScript&)>& stillFails,
                           std::chrono::steady_clock::time_point deadline) {
    const auto timeLeft = [deadline] { return std::chrono::steady_clock::now() < deadline; };
    // Chunks of lines dropped: halves first, then smaller, each size again while any is dropped.
    std::size_t chunk = std::max<std::size_t>(1, script.lines.size() / 2);
    while (timeLeft() && !script.lines.empty()) {
        bool dropped = false;
        for (std::size_t start = 0; start < script.lines.size() && timeLeft();) {
            SessionScript candidate = script;
            const auto first = candidate.lines.begin() + static_cast<std::ptrdiff_t>(start);
            candidate.lines.erase(first, first + static_cast<std::ptrdiff_t>(std::min(chunk, script.lines.size() - start)));
            if (stillFails(candidate)) {
                script = std::move(candidate);
                dropped = true;
            } else {
                start += chunk;
            }
        }
        if (!dropped && chunk == 1) {
            break;
        }
        if (!dropped) {
            chunk /= 2;
        }
    }
    // Each number made 0, or else whole.
    for (std::string& line : script.lines) {
        std::vector<std::string> words;
        std::istringstream split(line);
        for (std::string word; split >> word;) {
            words.push_back(word);
        }
        for (std::size_t i = 1; i < words.size() && timeLeft(); ++i) {
            const std::optional<float> value = pluginsdk::parseFloat(words[i]);
            if (!value || words[i] == "0") {
                continue;
            }
            for (const std::string& simpler : {std::string("0"), number(std::trunc(*value))}) {
                if (simpler == words[i] || !timeLeft()) {
                    continue;
                }
                std::vector<std::string> tried = words;
                tried[i] = simpler;
                SessionScript candidate = script;
                std::string& changed = candidate.lines[static_cast<std::size_t>(&line - script.lines.data())];
                changed = tried.front();
                for (std::size_t w = 1; w < tried.size(); ++w) {
                    changed += " " + tried[w];
                }
                if (stillFails(candidate)) {
                    words = std::move(tried);
                    line = changed;
                    break;
                }
            }
        }
    }
    return script;
}

}  // namespace host::check
