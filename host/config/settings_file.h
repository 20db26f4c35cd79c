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

    // Every line that gives a variable a value, in the file's order.
    std::vector<Setting> settings() const;
    // The last line that gives `name` a value, if one does.
    std::optional<Setting> find(const std::string& name) const;
    // Gives `name` the value `value`: rewrites the last line that sets it (keeping its trailing
    // comment), or adds a line at the end.
    void set(const std::string& name, const std::string& value);
    // The whole file, each line ended by "\n".
    std::string text() const;

private:
    struct Line {
        std::string text;                 // as read, or as last written
        std::optional<std::string> name;  // set when the line gives a variable its value
        std::string value;
        std::string comment;              // a trailing "# ..." kept when the value is rewritten
    };
    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
};

// `NAME VALUE`, the value bare or quoted as described above.
std::string formatSettingLine(const std::string& name, const std::string& value);

}  // namespace host
