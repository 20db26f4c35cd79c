// The host's settings file as text: lines of the console language's own `NAME VALUE` form, with
// `#` comments, that a person can read and edit.
//
// A value is written bare when it reads back as itself, and otherwise in double quotes with
// backslash escapes (\" \\ \n \r \t \xHH), so text with spaces, quotes, `#` or a leading `=`
// round-trips exactly. A bare value runs to the end of the line or to a word that starts with `#`,
// as in the console.
//
// Every line is kept as it was read: lines that set a variable can be given a new value, and
// everything else (comments, blank lines, lines that cannot be read) is written back untouched.
// Several lines may set one name: which of them counts is the reader's choice (SavedSettings takes
// the last its variable accepts). A UTF-8 byte-order mark before the first line, as some editors
// write, is not part of it, and is written back.
//
// Threads: none of its own; one thread at a time per object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host {

class SettingsFile {
public:
    struct Setting {
        std::string name;
        std::string value;
        int line = 0;  // 1-based
    };

    // Reads `contents`. Each line that cannot be read adds "FILE:LINE: warning: WHY" to `warnings`
    // (FILE being `fileName`) and is kept as it is.
    static SettingsFile parse(std::string_view contents, const std::string& fileName,
                              std::vector<std::string>& warnings);

    // The largest file the host reads as one: a settings file is a few lines.
    static constexpr std::size_t kLargestFile = 1 << 20;

    // Every line that gives a variable a value, in the file's order.
    std::vector<Setting> settings() const;
    // The last line that gives `name` a value, if one does.
    std::optional<Setting> find(const std::string& name) const;
    // Gives `name` the value `value`: rewrites the last line that sets it (keeping its trailing
    // comment), or adds a line at the end.
    void set(const std::string& name, const std::string& value);
    // The length of text() now, and as it would be after set(name, value).
    std::size_t length() const { return length_; }
    std::size_t lengthIfSet(const std::string& name, const std::string& value) const;
    // The whole file, each line ended by "\n".
    std::string text() const;

private:
    struct Line {
        std::string text;                 // as read, or as last written
        std::optional<std::string> name;  // set when the line gives a variable its value
        std::string value;
        std::string comment;              // a trailing "# ..." kept when the value is rewritten
    };
    // The line set() writes for `name`.
    static std::string lineSetting(const Line* old, const std::string& name, const std::string& value);

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
    std::unordered_map<std::string, std::size_t> lineOf_;  // by the name a line sets: its last such line
    std::size_t length_ = 0;
};

// Why a line for the variable `name` would not read back as that variable's (a name with a space,
// a quote or a control character, an empty one, one that starts a comment), or nothing.
std::optional<std::string> unsavableName(const std::string& name);

// `NAME VALUE`, the value bare or quoted as described above.
std::string formatSettingLine(const std::string& name, const std::string& value);

}  // namespace host
