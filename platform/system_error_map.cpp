#include "platform/system_error_map.hpp"

#include <array>

namespace zizuvu {

int error_number_for_win32_code(unsigned long code) {
    // Indexed by Win32 code 0..39; every code of 40 and above gives 75.
    static constexpr std::array<unsigned char, 40> table = {
        51,                      // 0: a failure without a code is an internal fault
        75, 53, 76, 67, 70,      // 1 invalid function, 2 file not found, 3 path not found, 4 too many open files, 5 access denied
        51, 241, 7, 241, 241,    // 6 invalid handle, 7 arena trashed, 8 not enough memory, 9 invalid block, 10 bad environment
        51, 51, 51, 7, 68,       // 11 bad format, 12 invalid access, 13 invalid data, 14 out of memory, 15 invalid drive
        75, 74, 53, 70, 68,      // 16 current directory, 17 not same device, 18 no more files, 19 write protect, 20 bad unit
        71, 51, 72, 51, 72,      // 21 not ready, 22 bad command, 23 CRC, 24 bad length, 25 seek
        72, 72, 27, 72, 72,      // 26 not DOS disk, 27 sector not found, 28 out of paper, 29 write fault, 30 read fault
        72, 70, 70, 72, 75,      // 31 general failure, 32 sharing violation, 33 lock violation, 34 wrong disk, 35 (reserved)
        70, 75, 62, 61,          // 36 sharing buffer exceeded, 37 (reserved), 38 handle EOF, 39 disk full
    };
    return code < table.size() ? table[code] : 75;
}

}  // namespace zizuvu
