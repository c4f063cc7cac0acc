#pragma once
// Work done in child processes of the program, each with a pipe back to its parent:
// a child has its own priority, its own processor-latency request and its own signal
// flags, and whatever becomes of it cannot disturb its siblings.
//
//   ChildProcess        the child's process id and the read end of its pipe
//   start_child         fork; the child runs `work` with the write end and exits with its
//                       result, the parent gets the ChildProcess (nothing, with the reason,
//                       when the system refuses)
//   read_from_child     what the child has written so far, never waiting; false once it
//                       has closed its end (it has ended or is ending)
//   end_of_child        wait for a child to end: its exit status, or 128 + the signal
//   ask_child_to_end    SIGTERM to a child: it ends its work along its normal paths
//   tell_parent         in the child: the whole text down the pipe (nothing when the parent
//                       is gone)
//
// The terminating signals are held back across the fork, so that none can reach the
// child before it has handlers of its own (start_signals_afresh).

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zizuvu {

struct ChildProcess {
    int pid = -1;
    int from_child = -1;  // read end, close-on-exec, non-blocking
};

std::optional<ChildProcess> start_child(const std::function<int(int to_parent)>& work, std::string& why_not);
bool read_from_child(ChildProcess& child, std::string& into);
int end_of_child(int pid);
void ask_child_to_end(int pid);
void tell_parent(int to_parent, std::string_view text);

}  // namespace zizuvu
