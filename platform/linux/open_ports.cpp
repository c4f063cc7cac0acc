#include "platform/linux/open_ports.hpp"

#include <mutex>
#include <unordered_map>

namespace zizuvu {
namespace {

std::mutex records_lock;
std::unordered_map<int, OpenPort> records;

}  // namespace

void remember_port(int fd, const OpenPort& record) {
    const std::lock_guard lock(records_lock);
    records[fd] = record;
}

OpenPort open_port_record(int fd) {
    const std::lock_guard lock(records_lock);
    const auto found = records.find(fd);
    return found != records.end() ? found->second : OpenPort{};
}

void update_port(int fd, const std::function<void(OpenPort&)>& change) {
    const std::lock_guard lock(records_lock);
    const auto found = records.find(fd);
    if (found != records.end()) change(found->second);
}

OpenPort forget_port(int fd) {
    const std::lock_guard lock(records_lock);
    const auto found = records.find(fd);
    if (found == records.end()) return OpenPort{};
    OpenPort record = found->second;
    records.erase(found);
    return record;
}

}  // namespace zizuvu
