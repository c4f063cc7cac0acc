#pragma once
// A row written in two steps, its start and its end, where what cannot be written
// now is kept and written with the store's next write.
//
//   RowWriter         how one kind of row is inserted at its start and completed at its end
//   begin_row         the start: written now, or kept (the caller gets a negative id for it)
//   finish_row        the end: written now (with its start if that was kept), or kept
//   flush_unwritten   write what both kinds have kept; at every write and at the close
//   DOWNLOAD_ROWS, SESSION_ROWS   the two kinds

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "records/record_store.hpp"
#include "records/store_access.hpp"

namespace zizuvu {

template <typename Start, typename Finish>
struct RowWriter {
    const char* kind;   // "download": for "no download 12 in the records"
    SqlFailure (*insert)(sqlite3* db, const Start& start, const WriterIdentity& writer,
                         const std::filesystem::path& path, std::int64_t& id);
    // SQLITE_NOTFOUND when there is no such row.
    SqlFailure (*complete)(sqlite3* db, std::int64_t id, const Finish& finish, const std::filesystem::path& path);
};

extern const RowWriter<DownloadStart, DownloadFinish> DOWNLOAD_ROWS;
extern const RowWriter<SessionStart, SessionFinish> SESSION_ROWS;

RecordsResult flush_unwritten(RecordStore& store);

// The start and the end of a kept row go in together or not at all.
template <typename Start, typename Finish>
SqlFailure write_kept_row(RecordStore& store, sqlite3* db, UnwrittenRow<Start, Finish>& row,
                          const RowWriter<Start, Finish>& writer) {
    if (row.row_id != 0 && !row.finished) return {};
    SqlFailure failure = execute(db, "SAVEPOINT kept_row", store.path);
    if (failure.failed()) return failure;
    std::int64_t id = row.row_id;
    if (id == 0) failure = writer.insert(db, row.start, store.writer, store.path, id);
    if (!failure.failed() && row.finished) failure = writer.complete(db, id, row.finish, store.path);
    if (!failure.failed()) failure = execute(db, "RELEASE kept_row", store.path);
    if (failure.failed()) {
        undo_savepoint(db, "kept_row");
        return failure;
    }
    row.row_id = id;
    return {};
}

template <typename Start, typename Finish>
RecordsResult flush_rows(RecordStore& store, std::vector<UnwrittenRow<Start, Finish>>& rows,
                         const RowWriter<Start, Finish>& writer) {
    RecordsResult result;
    result.ok = true;
    if (rows.empty()) return result;
    sqlite3* db = usable_connection(store, result);
    if (db == nullptr) return {false, result.reason, 0};
    for (auto row = rows.begin(); row != rows.end();) {
        const SqlFailure failure = write_kept_row(store, db, *row, writer);
        // A row that is not in the file any more cannot be finished: keeping it helps nobody.
        if (failure.failed() && failure.code != SQLITE_NOTFOUND) return {false, failure.reason, 0};
        row = (row->finished || failure.failed()) ? rows.erase(row) : row + 1;
    }
    return result;
}

template <typename Start, typename Finish>
RecordsResult begin_row(RecordStore& store, std::vector<UnwrittenRow<Start, Finish>>& rows,
                        const RowWriter<Start, Finish>& writer, const Start& start) {
    // What was kept goes first; while it cannot, this start is kept behind it
    // without waiting for the busy time-out a second time.
    RecordsResult result = flush_unwritten(store);
    if (result.ok) {
        sqlite3* db = usable_connection(store, result);
        if (db != nullptr) {
            std::int64_t id = 0;
            const SqlFailure failure = writer.insert(db, start, store.writer, store.path, id);
            if (!failure.failed()) return {true, "", id};
            result.reason = failure.reason;
        }
    }
    UnwrittenRow<Start, Finish> row;
    row.handle = --store.last_unwritten_handle;
    row.start = start;
    rows.push_back(row);
    return {false, result.reason, row.handle};
}

template <typename Start, typename Finish>
RecordsResult finish_row(RecordStore& store, std::vector<UnwrittenRow<Start, Finish>>& rows,
                         const RowWriter<Start, Finish>& writer, std::int64_t id, const Finish& finish) {
    const auto kept = std::find_if(rows.begin(), rows.end(), [&](const auto& row) { return row.handle == id; });
    if (kept != rows.end()) {
        kept->finished = true;
        kept->finish = finish;
        RecordsResult result = flush_unwritten(store);
        result.id = id;
        return result;
    }
    if (id <= 0) return {false, std::string("no ") + writer.kind + " " + std::to_string(id) + " was begun", id};
    RecordsResult result = flush_unwritten(store);
    if (result.ok) {
        sqlite3* db = usable_connection(store, result);
        if (db != nullptr) {
            const SqlFailure failure = writer.complete(db, id, finish, store.path);
            if (!failure.failed() || failure.code == SQLITE_NOTFOUND) return {!failure.failed(), failure.reason, id};
            result.reason = failure.reason;
        }
    }
    UnwrittenRow<Start, Finish> row;
    row.handle = id;
    row.row_id = id;
    row.finished = true;
    row.finish = finish;
    rows.push_back(row);
    return {false, result.reason, id};
}

}  // namespace zizuvu
