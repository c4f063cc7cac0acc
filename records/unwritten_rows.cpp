#include "records/unwritten_rows.hpp"

namespace zizuvu {

RecordsResult flush_unwritten(RecordStore& store) {
    RecordsResult result = flush_rows(store, store.unwritten_downloads, DOWNLOAD_ROWS);
    if (result.ok) result = flush_rows(store, store.unwritten_sessions, SESSION_ROWS);
    return result;
}

}  // namespace zizuvu
