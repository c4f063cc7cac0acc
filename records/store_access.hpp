#pragma once
// What the store's calls share (not for the program: record_store.hpp is).
//
//   open_store_file     connect, check, set a damaged file aside, bring the format up to date
//   usable_connection   the store's connection, opening the file again first when it is not open
//   mark_interrupted_rows   rows "in progress" whose writer has stopped become "interrupted"
//   set_aside           rename a damaged file (and its -wal, -shm, -journal) with the time in its name

#include <filesystem>
#include <string>

#include "records/record_store.hpp"
#include "records/sqlite_calls.hpp"

namespace zizuvu {

struct StoreOpening {
    RecordsResult result;
    std::string notice;
    int rows_interrupted = 0;
};

StoreOpening open_store_file(RecordStore& store);

// Null, with the reason in `result`, when the file still cannot be had.
sqlite3* usable_connection(RecordStore& store, RecordsResult& result);

// The number of rows marked, or -1 when the rows could not be read or changed.
int mark_interrupted_rows(sqlite3* db, const WriterIdentity& here, const std::filesystem::path& path);

struct SetAside {
    std::filesystem::path name;   // empty when the file could not be moved
    std::string reason;
};

SetAside set_aside(const std::filesystem::path& path);

}  // namespace zizuvu
