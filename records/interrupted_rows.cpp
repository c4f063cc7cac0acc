#include <optional>
#include <vector>

#include "records/store_access.hpp"

namespace zizuvu {

namespace {

struct InterruptedTable {
    const char* select;   // id, host, pid, start ticks, boot id of the rows still in progress
    const char* mark;
};

// The verdict says what is known: the program stopped (a crash, a kill, a power cut)
// before it could record how the download ended.
constexpr InterruptedTable TABLES[] = {
    {"SELECT id, host_name, writer_pid, writer_start_ticks, writer_boot_id FROM downloads"
     " WHERE outcome = 'in progress'",
     "UPDATE downloads SET outcome = 'interrupted',"
     " verdict = coalesce(verdict, 'the program stopped before the end of the download was recorded')"
     " WHERE id = ?1 AND outcome = 'in progress'"},
    {"SELECT id, host_name, writer_pid, writer_start_ticks, writer_boot_id FROM sessions"
     " WHERE state = 'in progress'",
     "UPDATE sessions SET state = 'interrupted' WHERE id = ?1 AND state = 'in progress'"},
};

// The ids of the rows whose writer is gone, or nullopt when they cannot be read.
std::optional<std::vector<std::int64_t>> rows_of_gone_writers(sqlite3* db, const char* select,
                                                              const WriterIdentity& here) {
    Statement rows;
    prepare(db, select, rows);
    if (!rows.ok()) return std::nullopt;
    std::vector<std::int64_t> gone;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(rows.handle)) == SQLITE_ROW) {
        WriterIdentity writer;
        writer.host_name = column_text(rows, 1);
        writer.pid = column_integer(rows, 2);
        writer.start_ticks = static_cast<std::uint64_t>(column_integer(rows, 3));
        writer.boot_id = column_text(rows, 4);
        if (writer_state(writer, here) == WriterState::gone) gone.push_back(column_integer(rows, 0));
    }
    if (code != SQLITE_DONE) return std::nullopt;
    return gone;
}

}  // namespace

int mark_interrupted_rows(sqlite3* db, const WriterIdentity& here, const std::filesystem::path& path) {
    int marked = 0;
    for (const InterruptedTable& table : TABLES) {
        const std::optional<std::vector<std::int64_t>> gone = rows_of_gone_writers(db, table.select, here);
        if (!gone) return -1;
        if (gone->empty()) continue;
        if (execute(db, "SAVEPOINT mark_interrupted", path).failed()) return -1;
        Statement mark;
        prepare(db, table.mark, mark);
        bool failed = !mark.ok();
        int changed = 0;
        for (std::size_t i = 0; i < gone->size() && !failed; ++i) {
            sqlite3_reset(mark.handle);
            bind_integer(mark, 1, (*gone)[i]);
            failed = step_to_end(db, mark, path).failed();
            changed += sqlite3_changes(db);
        }
        if (failed || execute(db, "RELEASE mark_interrupted", path).failed()) {
            undo_savepoint(db, "mark_interrupted");
            return -1;
        }
        marked += changed;
    }
    return marked;
}

}  // namespace zizuvu
