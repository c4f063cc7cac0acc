#pragma once
// What every call of the record store answers.
//
//   RecordsResult   success, or the short reason the program shows as "not recorded: REASON"

#include <cstdint>
#include <string>

namespace zizuvu {

struct RecordsResult {
    bool ok = false;
    std::string reason;    // short human text when !ok: "disk full", "folder is read-only: /path"
    std::int64_t id = 0;   // begin_download / begin_session: the row to finish, also when !ok
    explicit operator bool() const { return ok; }
};

}  // namespace zizuvu
