#include "script_runner.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace host {
namespace {

// Runs one line; on failure prints the error at `where` and returns false.
bool runLine(CommandInterpreter& interpreter, const std::string& text, const std::string& where,
             std::ostream& out, std::ostream& errors) {
    try {
        interpreter.execute(text);
        return true;
    } catch (const CommandError& error) {
        out << std::flush;
        errors << where << ": error: " << error.what() << '\n';
    }
    return false;
}

}  // namespace

int runScripts(CommandInterpreter& interpreter, const std::vector<std::string>& files, std::ostream& out,
               std::ostream& errors) {
    for (const std::string& file : files) {
        std::ifstream script(file);
        if (!script) {
            out << std::flush;
            errors << file << ": error: cannot read the script: " << std::strerror(errno) << '\n';
            return 1;
        }
        std::string text;
        for (int number = 1; std::getline(script, text); ++number) {
            if (!runLine(interpreter, text, file + ":" + std::to_string(number), out, errors)) {
                return 1;
            }
        }
    }
    return 0;
}

int runConsole(CommandInterpreter& interpreter, std::istream& in, std::ostream& out, std::ostream& errors,
               const std::string& prompt) {
    std::string text;
    for (int number = 1;; ++number) {
        out << prompt << std::flush;
        if (!std::getline(in, text)) {
            break;
        }
        runLine(interpreter, text, "<console>:" + std::to_string(number), out, errors);
        out << std::flush;
    }
    if (!prompt.empty()) {
        out << '\n';
    }
    return 0;
}

int runConsole(CommandInterpreter& interpreter, const std::function<std::optional<std::string>()>& readLine,
               std::ostream& out, std::ostream& errors) {
    for (int number = 1;; ++number) {
        const std::optional<std::string> text = readLine();
        if (!text) {
            break;
        }
        runLine(interpreter, *text, "<console>:" + std::to_string(number), out, errors);
        out << std::flush;
    }
    out << '\n';
    return 0;
}

}  // namespace host
