#pragma once
// Runs a program to its end and gives back its exit status and what it printed.
//
//   CommandResult   exit code (-1 if it did not exit normally), standard output, standard error
//   run_command     argv[0] is the program's path
//   read_file       a whole file, "" if missing
//   TempDir         a directory removed with its files when the test ends

#include <string>
#include <vector>

namespace zizuvu::testing {

struct CommandResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

CommandResult run_command(const std::vector<std::string>& arguments);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace zizuvu::testing
