#pragma once
// One row per setup-terminal session: how the radio was set up before it went out.
//
//   SessionStart, SessionFinish   what is known at the start and at the end
//   SessionState, session_state_name   "in progress", "finished", "interrupted"
//   begin_session                 writes the row and commits it; the id to finish
//   finish_session                completes the row

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/records_result.hpp"

namespace zizuvu {

struct RecordStore;

struct SessionStart {
    std::chrono::system_clock::time_point started{};   // left at its default: the time of begin_session
    std::string host_name;                              // left empty: this machine's
    std::string user_name;                              // left empty: this process's user
    std::string port_name;
    std::string device_path;
    std::string capture_path;   // empty: nothing captured
};

struct SessionFinish {
    std::chrono::system_clock::time_point ended{};     // left at its default: the time of finish_session
    std::uint64_t bytes_received = 0;
    std::uint64_t bytes_sent = 0;
    std::string capture_path;   // a capture started during the session; empty keeps the start's
};

enum class SessionState { in_progress, finished, interrupted };

std::string_view session_state_name(SessionState state);
std::optional<SessionState> session_state_from_name(std::string_view name);

// As begin_download: the id is set, negative, also when the start could not be written.
RecordsResult begin_session(RecordStore& store, const SessionStart& start);
RecordsResult finish_session(RecordStore& store, std::int64_t id, const SessionFinish& finish);

}  // namespace zizuvu
