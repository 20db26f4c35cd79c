#include "settings_file.h"

#include <algorithm>
#include <variant>

#include "printable_text.h"

namespace host {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A line like an INI file's `name = value` is a mistake the reader is told about, not a value.
constexpr char kNoEquals[] = "expected NAME VALUE, with no '=' between them";

// What some editors write before the first line of a UTF-8 file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Blank {};
struct Parsed {
    std::string name;
    std::string value;
    std::string comment;
};
struct Unreadable {
    std::string why;
};

// Reads a quoted value starting at `at` (the opening quote). On success `at` is past the closing
// quote.
std::variant<std::string, Unreadable> readQuoted(std::string_view line, std::size_t& at) {
    std::string value;
    ++at;
    while (at < line.size()) {
        const char c = line[at++];
        if (c == '"') {
            return value;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (at == line.size()) {
            break;
        }
        const char escape = line[at++];
        switch (escape) {
            case '"': value += '"'; break;
            case '\\': value += '\\'; break;
            case 'n': value += '\n'; break;
            case 'r': value += '\r'; break;
            case 't': value += '\t'; break;
            case 'x': {
                const int high = at < line.size() ? hexDigit(line[at]) : -1;
                const int low = at + 1 < line.size() ? hexDigit(line[at + 1]) : -1;
                if (high < 0 || low < 0) {
                    return Unreadable{"\\x in a quoted value needs two hexadecimal digits"};
                }
                value += static_cast<char>(high * 16 + low);
                at += 2;
                break;
            }
            default:
                return Unreadable{std::string("unknown escape \\") + escape +
                                  " in a quoted value (expected \\\" \\\\ \\n \\r \\t or \\xHH)"};
        }
    }
    return Unreadable{"the quoted value has no closing quote"};
}

std::variant<Blank, Parsed, Unreadable> parseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.find('\0') != std::string_view::npos) {
        return Unreadable{"the line holds a NUL byte"};
    }
    std::size_t at = 0;
    while (at < line.size() && isSpace(line[at])) {
        ++at;
    }
    if (at == line.size() || line[at] == '#') {
        return Blank{};
    }
    const std::size_t nameStart = at;
    while (at < line.size() && !isSpace(line[at])) {
        ++at;
    }
    Parsed parsed;
    parsed.name = std::string(line.substr(nameStart, at - nameStart));
    if (std::any_of(parsed.name.begin(), parsed.name.end(), [](char c) { return isControl(c) || c == '"'; })) {
        return Unreadable{"\"" + parsed.name + "\" is not a variable name (expected NAME VALUE)"};
    }
    if (parsed.name.find('=') != std::string::npos) {
        return Unreadable{"\"" + parsed.name + "\" is not a variable name (" + kNoEquals + ")"};
    }
    while (at < line.size() && isSpace(line[at])) {
        ++at;
    }
    if (at == line.size() || line[at] == '#') {
        return Unreadable{parsed.name + " has no value (expected NAME VALUE)"};
    }
    if (line[at] == '"') {
        auto quoted = readQuoted(line, at);
        if (auto* unreadable = std::get_if<Unreadable>(&quoted)) {
            return *unreadable;
        }
        parsed.value = std::move(std::get<std::string>(quoted));
        while (at < line.size() && isSpace(line[at])) {
            ++at;
        }
        if (at < line.size() && line[at] != '#') {
            return Unreadable{"text after the closing quote of " + parsed.name + "'s value (expected the end of "
                              "the line or a # comment)"};
        }
        parsed.comment = std::string(line.substr(at));
        return parsed;
    }
    // A bare value: up to a word that starts with '#', trailing spaces dropped.
    std::size_t end = at;
    while (end < line.size() && !(line[end] == '#' && isSpace(line[end - 1]))) {
        ++end;
    }
    parsed.comment = std::string(line.substr(end));
    while (end > at && isSpace(line[end - 1])) {
        --end;
    }
    parsed.value = std::string(line.substr(at, end - at));
    if (parsed.value.front() == '=') {
        return Unreadable{parsed.name + "'s value starts with '=' (" + kNoEquals + "; quote a value that starts with it)"};
    }
    if (std::any_of(parsed.value.begin(), parsed.value.end(), [](char c) { return isControl(c) && c != '\t'; })) {
        return Unreadable{parsed.name + "'s value holds a control character; write it quoted, with an escape"};
    }
    return parsed;
}

bool canBeBare(const std::string& value) {
    return !value.empty() && value.front() != '"' && value.front() != '#' && value.front() != '=' &&
           std::none_of(value.begin(), value.end(), [](char c) { return isControl(c) || c == ' '; });
}

std::string quote(const std::string& value) {
    std::string text = "\"";
    for (const char c : value) {
        switch (c) {
            case '"': text += "\\\""; break;
            case '\\': text += "\\\\"; break;
            case '\n': text += "\\n"; break;
            case '\r': text += "\\r"; break;
            case '\t': text += "\\t"; break;
            default:
                text += printable(std::string_view(&c, 1));  // a control character as \xhh
        }
    }
    return text + '"';
}

}  // namespace

std::string formatSettingLine(const std::string& name, const std::string& value) {
    return name + ' ' + (canBeBare(value) ? value : quote(value));
}

SettingsFile SettingsFile::parse(std::string_view contents, const std::string& fileName,
                                 std::vector<std::string>& warnings) {
    SettingsFile file;
    if (contents.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        file.byteOrderMark_ = true;
        file.length_ = kByteOrderMark.size();
        contents.remove_prefix(kByteOrderMark.size());
    }
    int number = 0;
    while (!contents.empty()) {
        ++number;
        const std::size_t newline = contents.find('\n');
        const std::string_view text = contents.substr(0, newline);
        contents.remove_prefix(newline == std::string_view::npos ? contents.size() : newline + 1);

        Line line{std::string(text), std::nullopt, {}, {}};
        const auto parsed = parseLine(text);
        const auto warn = [&](const std::string& why) {
            warnings.push_back(fileName + ":" + std::to_string(number) + ": warning: " + why +
                               "; the line is skipped and kept as it is");
        };
        if (const auto* unreadable = std::get_if<Unreadable>(&parsed)) {
            warn(unreadable->why);
        } else if (const auto* setting = std::get_if<Parsed>(&parsed)) {
            line.name = setting->name;
            line.value = setting->value;
            line.comment = setting->comment;
        }
        file.length_ += line.text.size() + 1;
        if (line.name) {
            file.lineOf_.insert_or_assign(*line.name, file.lines_.size());  // the last line counts
        }
        file.lines_.push_back(std::move(line));
    }
    return file;
}

std::vector<SettingsFile::Setting> SettingsFile::settings() const {
    std::vector<Setting> settings;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].name) {
            settings.push_back({*lines_[i].name, lines_[i].value, static_cast<int>(i + 1)});
        }
    }
    return settings;
}

std::optional<SettingsFile::Setting> SettingsFile::find(const std::string& name) const {
    const auto found = lineOf_.find(name);
    if (found == lineOf_.end()) {
        return std::nullopt;
    }
    return Setting{name, lines_[found->second].value, static_cast<int>(found->second + 1)};
}

std::string SettingsFile::lineSetting(const Line* old, const std::string& name, const std::string& value) {
    return formatSettingLine(name, value) + (old == nullptr || old->comment.empty() ? "" : " " + old->comment);
}

std::size_t SettingsFile::lengthIfSet(const std::string& name, const std::string& value) const {
    const auto found = lineOf_.find(name);
    const Line* old = found != lineOf_.end() ? &lines_[found->second] : nullptr;
    return length_ - (old != nullptr ? old->text.size() + 1 : 0) + lineSetting(old, name, value).size() + 1;
}

void SettingsFile::set(const std::string& name, const std::string& value) {
    const std::size_t length = lengthIfSet(name, value);
    if (const auto found = lineOf_.find(name); found != lineOf_.end()) {
        Line& line = lines_[found->second];
        line.value = value;
        line.text = lineSetting(&line, name, value);
    } else {
        lineOf_.emplace(name, lines_.size());
        lines_.push_back({lineSetting(nullptr, name, value), name, value, {}});
    }
    length_ = length;
}

std::optional<std::string> unsavableName(const std::string& name) {
    if (name.empty()) {
        return std::string("its name is empty");
    }
    if (name.front() == '#') {
        return std::string("its name starts with #, which starts a comment");
    }
    if (std::any_of(name.begin(), name.end(), [](char c) { return isControl(c) || isSpace(c) || c == '"'; })) {
        return std::string("its name holds a space, a quote or a control character");
    }
    return std::nullopt;
}

std::string SettingsFile::text() const {
    std::string text(byteOrderMark_ ? kByteOrderMark : std::string_view());
    for (const Line& line : lines_) {
        text += line.text;
        text += '\n';
    }
    return text;
}

}  // namespace host
