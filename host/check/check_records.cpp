#include "check_records.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "host_error.h"
#include "pluginsdk/number_text.h"
#include "printable_text.h"

namespace host::check {
namespace {

using nlohmann::json;

// How many calls are written before the file is cut back to the last few.
constexpr std::size_t kCallsBetweenRewrites = 10'000;

// A record as one line. Text from the plug-in need not be UTF-8, which JSON's is: a byte that is
// not is written as U+FFFD.
std::string lineOf(const json& record) {
    return record.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Numbers as their text (pluginsdk/number_text.h), which reads back as the same float, infinities
// and -0 included; JSON's numbers hold neither.
std::string callLine(const pluginsdk::SdkCall& call) {
    using pluginsdk::formatFloat;
    return lineOf({{"call", pluginsdk::kindName(call.kind)},
                   {"name", call.name},
                   {"text", call.text},
                   {"vector", {formatFloat(call.vector.X), formatFloat(call.vector.Y), formatFloat(call.vector.Z)}},
                   {"seconds", formatFloat(call.seconds)}});
}

std::optional<pluginsdk::SdkCall> callOf(const json& record) {
    const std::optional<pluginsdk::SdkCall::Kind> kind = pluginsdk::kindNamed(record.at("call").get<std::string>());
    if (!kind) {
        return std::nullopt;
    }
    const auto number = [](const json& text) { return pluginsdk::parseFloat(text.get<std::string>()).value_or(NAN); };
    const json& vector = record.at("vector");
    return pluginsdk::SdkCall{*kind, record.at("name").get<std::string>(), record.at("text").get<std::string>(),
                              Vector{number(vector.at(0)), number(vector.at(1)), number(vector.at(2))},
                              number(record.at("seconds"))};
}

}  // namespace

CheckRecords::CheckRecords(const std::string& path) : path_(path) {
    if (path.empty()) {
        return;
    }
    file_ = std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) {
        throw HostError("cannot write the check's records to " + host::quoted(path) + ": " + std::strerror(errno));
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    callsStart_ = error ? 0 : size;
}

CheckRecords::~CheckRecords() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void CheckRecords::write(const std::string& line) {
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

void CheckRecords::call(const pluginsdk::SdkCall& call) {
    if (file_ == nullptr || call.kind == pluginsdk::SdkCall::Kind::Log) {
        return;  // a report's last calls are those the trace shows
    }
    std::string line = callLine(call);
    const std::lock_guard lock(mutex_);
    if (++callsWritten_ < kCallsBetweenRewrites) {
        write(line);
    }
    lastCalls_[lastCallsNext_] = std::move(line);
    lastCallsNext_ = (lastCallsNext_ + 1) % kShownCalls;
    lastCallsHeld_ = std::min(lastCallsHeld_ + 1, kShownCalls);
    if (callsWritten_ < kCallsBetweenRewrites) {
        return;
    }
    // Written over from where the calls began, keeping the last few: the file stays small.
    std::error_code error;
    std::filesystem::resize_file(path_, callsStart_, error);
    callsWritten_ = lastCallsHeld_;
    for (std::size_t i = 0; i < lastCallsHeld_; ++i) {
        write(lastCalls_[(lastCallsNext_ + kShownCalls - lastCallsHeld_ + i) % kShownCalls]);
    }
}

void CheckRecords::figure(const std::string& name, double value) {
    writeBetweenCalls(lineOf({{"figure", name}, {"value", value}}));
}

void CheckRecords::progress(const std::string& what, long long done, long long of) {
    writeBetweenCalls(lineOf({{"progress", what}, {"done", done}, {"of", of}}));
}

void CheckRecords::verdict(const char* verdict, const std::string& message) {
    writeBetweenCalls(lineOf({{"verdict", verdict}, {"message", message}}));
}

void CheckRecords::forgetHeldCalls() {
    const std::lock_guard lock(mutex_);
    dropHeldCalls();
}

void CheckRecords::dropHeldCalls() {
    for (std::string& call : lastCalls_) {
        std::string().swap(call);  // an empty string moved in would keep the buffer
    }
    lastCallsHeld_ = 0;
}

void CheckRecords::writeBetweenCalls(const std::string& line) {
    if (file_ == nullptr) {
        return;
    }
    // The calls before it stay where they are; those after it start after it.
    const std::lock_guard lock(mutex_);
    write(line);
    callsStart_ = static_cast<std::uintmax_t>(std::ftell(file_));
    callsWritten_ = 0;
    dropHeldCalls();
}

UnitRecords readRecords(const std::string& path) {
    UnitRecords records;
    std::deque<pluginsdk::SdkCall> calls;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const json record = json::parse(line, nullptr, false);
        if (!record.is_object()) {
            continue;
        }
        try {
            if (record.contains("call")) {
                // Calls made on other threads while the fault was reported came after it.
                if (records.fault) {
                    continue;
                }
                if (std::optional<pluginsdk::SdkCall> call = callOf(record)) {
                    calls.push_back(std::move(*call));
                    if (calls.size() > kShownCalls) {
                        calls.pop_front();
                    }
                }
            } else if (record.contains("figure")) {
                const json& value = record.at("value");
                if (value.is_number()) {
                    records.figures[record.at("figure").get<std::string>()] = value.get<double>();
                }
            } else if (record.contains("progress")) {
                records.progress = std::to_string(record.at("done").get<long long>()) + " of " +
                                   std::to_string(record.at("of").get<long long>()) + " " +
                                   record.at("progress").get<std::string>();
            } else if (record.contains("verdict")) {
                records.verdict = record.at("verdict").get<std::string>();
                records.message = record.value("message", std::string());
            } else if (record.contains("fault") && !records.fault) {
                records.fault = UnitRecords::Fault{record.at("fault").get<std::string>() == "hang",
                                                   record.value("message", std::string()),
                                                   record.value("report", std::string())};
            }
        } catch (const json::exception&) {
            // A record of another shape: passed over like a line cut short.
        }
    }
    records.lastCalls.assign(calls.begin(), calls.end());
    return records;
}

}  // namespace host::check
