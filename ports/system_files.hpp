#pragma once
// Small reads of the kernel's pseudo-files and of links, none of which opens a
// device: every failure reads as "nothing there" (an empty string, no entries), as
// a missing attribute is an ordinary answer in sysfs.
//
//   join_path / parent_path / base_name   path text, without touching the disk
//   normal_path                          "." and ".." folded away, as the text says
//   read_attribute                       a small file's first line, printable, trimmed
//   link_target                          where a link points, as written in it
//   real_path                            every link on the way followed, or empty
//   directory_entries                    a folder's entry names, sorted; none when unreadable
//   exists_without_following             something is at the path, even a link to nothing
//   subsystem_of                         a sysfs device folder's subsystem: tty, usb, serial-base
//   printable                            text from outside, safe to print

#include <string>
#include <vector>

namespace zizuvu {

std::string join_path(const std::string& folder, const std::string& name);
std::string parent_path(const std::string& path);
std::string base_name(const std::string& path);
std::string normal_path(const std::string& path);

std::string read_attribute(const std::string& path);
std::string link_target(const std::string& path);
std::string real_path(const std::string& path);
std::vector<std::string> directory_entries(const std::string& folder);
bool exists_without_following(const std::string& path);
std::string subsystem_of(const std::string& device_folder);

// Text from a device or a process, made safe for the operator's terminal: control
// characters (an escape sequence in a product string) become '?'.
std::string printable(const std::string& text);

}  // namespace zizuvu
