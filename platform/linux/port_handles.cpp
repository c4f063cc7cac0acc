#include "platform/linux/port_handles.hpp"

#include <unistd.h>

#include <mutex>
#include <unordered_map>

namespace zizuvu {
namespace {

std::mutex handles_lock;
std::unordered_map<int, PortHandleState> handles;

PortHandleState fresh_state(int fd) {
    PortHandleState state;
    state.is_terminal = isatty(fd) == 1;
    return state;
}

// Called with the lock held.
PortHandleState& record_of(int fd) {
    auto found = handles.find(fd);
    if (found == handles.end()) found = handles.emplace(fd, fresh_state(fd)).first;
    return found->second;
}

}  // namespace

void remember_port_handle(int fd, const PortHandleState& state) {
    const std::lock_guard lock(handles_lock);
    handles[fd] = state;
}

PortHandleState port_handle_state(int fd) {
    {
        const std::lock_guard lock(handles_lock);
        const auto found = handles.find(fd);
        if (found != handles.end()) return found->second;
    }
    return fresh_state(fd);
}

void update_port_handle(int fd, const std::function<void(PortHandleState&)>& change) {
    const std::lock_guard lock(handles_lock);
    change(record_of(fd));
}

PortHandleState forget_port_handle(int fd) {
    const std::lock_guard lock(handles_lock);
    const auto found = handles.find(fd);
    if (found == handles.end()) return PortHandleState{};
    PortHandleState state = found->second;
    handles.erase(found);
    return state;
}

}  // namespace zizuvu
