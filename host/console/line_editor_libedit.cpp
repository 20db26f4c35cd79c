// The console's line editor over libedit's readline interface.
#include "line_editor.h"

#include <editline/readline.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "console_history.h"
#include "platform/process.h"

namespace host {
namespace {

// The line editor library calls plain functions; they reach the one editor's state through these.
std::function<CompletionWords()> completionWords;
std::vector<std::string> pendingMatches;

char* nextMatch(const char* /*text*/, int state) {
    static std::size_t next = 0;
    if (state == 0) {
        next = 0;
    }
    if (next >= pendingMatches.size()) {
        return nullptr;
    }
    // The library frees what it is given, with free().
    return strdup(pendingMatches[next++].c_str());
}

char** complete(const char* text, int start, int end) {
    rl_attempted_completion_over = 1;  // never fall back to file names
    const std::string line(rl_line_buffer != nullptr ? rl_line_buffer : "", static_cast<std::size_t>(std::max(end, 0)));
    pendingMatches = completeWord(line, static_cast<std::size_t>(std::max(start, 0)),
                                  completionWords ? completionWords() : CompletionWords{});
    if (pendingMatches.empty()) {
        return nullptr;
    }
    return rl_completion_matches(text, nextMatch);
}

// The editor's keys, read here rather than by the library, so that a stop signal caught just before
// the wait for a key ends the line (the console then sees the signal) instead of waiting for the
// next key. Bytes make characters in the program's locale, as the library makes them; bytes that
// make none are dropped, as the library drops them.
int readKey(FILE* input) {
    const int descriptor = fileno(input);
    char bytes[MB_LEN_MAX];
    std::size_t count = 0;
    for (;;) {
        if (!awaitInputOrStopSignal(descriptor)) {
            return EOF;
        }
        const ssize_t read = ::read(descriptor, bytes + count, 1);
        if (read < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (read <= 0) {
            return EOF;
        }
        ++count;
        wchar_t character = 0;
        std::mbstate_t state{};
        const std::size_t used = std::mbrtowc(&character, bytes, count, &state);
        if (used == static_cast<std::size_t>(-2) && count < sizeof bytes) {
            continue;  // the character's next byte is to come
        }
        if (used > count) {
            count = 0;
            continue;
        }
        return static_cast<int>(character);
    }
}

}  // namespace

std::unique_ptr<LineEditor> LineEditor::start(std::string prompt, std::string historyPath,
                                              std::function<CompletionWords()> words, std::ostream& warnings) {
    completionWords = std::move(words);
    return std::unique_ptr<LineEditor>(new LineEditor(std::move(prompt), std::move(historyPath), warnings));
}

LineEditor::LineEditor(std::string prompt, std::string historyPath, std::ostream& warnings)
    : prompt_(std::move(prompt)), historyPath_(std::move(historyPath)), warnings_(warnings) {
    rl_readline_name = "quorvel-host";
    // The host catches SIGINT and SIGTERM itself (platform/process.h); libedit's own handler would
    // send them on to the whole process group, the shell that started the host included.
    rl_catch_signals = 0;
    rl_getc_function = readKey;  // before using_history, which sets the library up
    rl_basic_word_break_characters = " \t";
    rl_attempted_completion_function = complete;
    using_history();
    stifle_history(static_cast<int>(kHistoryLines));
    if (!historyPath_.empty()) {
        std::vector<std::string> lines;
        if (auto problem = readHistory(historyPath_, lines)) {
            warnings_ << "quorvel-host: warning: " << *problem << '\n';
        }
        for (const std::string& line : lines) {
            add_history(line.c_str());
        }
    }
}

LineEditor::~LineEditor() {
    if (!historyPath_.empty()) {
        std::vector<std::string> lines;
        for (int i = 0; i < history_length; ++i) {
            if (const HIST_ENTRY* entry = history_get(history_base + i); entry != nullptr && entry->line != nullptr) {
                lines.emplace_back(entry->line);
            }
        }
        if (auto problem = writeHistory(historyPath_, lines)) {
            warnings_ << "quorvel-host: warning: the console history was not saved: " << *problem << '\n';
        }
    }
    clear_history();
    rl_attempted_completion_function = nullptr;
    completionWords = nullptr;
    pendingMatches.clear();
}

std::optional<std::string> LineEditor::readLine() {
    char* raw = readline(prompt_.c_str());
    if (raw == nullptr) {
        return std::nullopt;
    }
    std::string line(raw);
    std::free(raw);
    // Blank lines and a repeat of the line before are not worth an entry; trailing spaces (Tab
    // completion leaves one) mean nothing to the console.
    std::string entry = line.substr(0, line.find_last_not_of(" \t") + 1);
    const HIST_ENTRY* last = history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
    if (!entry.empty() && (last == nullptr || last->line == nullptr || entry != last->line)) {
        add_history(entry.c_str());
    }
    return line;
}

}  // namespace host
