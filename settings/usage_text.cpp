#include "settings/usage_text.hpp"

namespace zizuvu {
namespace {

constexpr const char* SYNOPSIS =
    "usage: zizuvu [PATH] [--com N=PATH]... [--port ComN] [--baud RATE]\n"
    "              [--image FILE.hex] [--check] [--list] [--capture DIR]\n"
    "              [--capture-timestamps] [--capture-keys] [--records FILE]\n"
    "              [--config FILE]\n"
    "       zizuvu --history [--serial N] [--since YYYY-MM-DD] [--port ComN]\n"
    "              [--csv | --json]\n"
    "       zizuvu flash --radio older|current|retry [--port PATH|ComN]...\n"
    "              [--high-speed] [--firmware-before-5.45] [--image FILE]\n"
    "              [--attempts N] [--wait-seconds S] [--json]\n"
    "       zizuvu --help | --version\n";

constexpr const char* OPTIONS =
    "\n"
    "Loads firmware into 900 MHz radio modems over a serial port and gives a\n"
    "pass-through terminal to the radio's setup menu. Without --history, --list,\n"
    "--check or flash it takes over the terminal (80 x 51) and shows its menu;\n"
    "Escape there ends it.\n"
    "\n"
    "Ports and the terminal:\n"
    "  PATH                  the device behind Com1 for this run\n"
    "  --com N=PATH          the device behind ComN, N from 1 to 9 (repeatable)\n"
    "  --port ComN           the port the menu starts with (default Com1)\n"
    "  --baud RATE           the terminal's starting speed: 4800, 9600, 19200\n"
    "                        (default), 38400, 57600 or 115200\n"
    "  --capture DIR         write each setup-terminal session to a file in DIR\n"
    "  --capture-timestamps  start each captured line with its local time\n"
    "  --capture-keys        capture the keys typed too\n"
    "  --list                list the serial ports and exit\n"
    "\n"
    "Firmware image:\n"
    "  --image FILE.hex      an Intel HEX image to load instead of the built-in one\n"
    "  --check               print the image's identity and exit\n"
    "\n"
    "Service records (--history):\n"
    "  --history             print the service records as a table\n"
    "  --serial N            only the radio with serial number N\n"
    "  --since YYYY-MM-DD    only records from that day on\n"
    "  --port ComN           only records made on that port\n"
    "  --csv                 as comma-separated values\n"
    "  --json                as JSON Lines, one record a line\n"
    "\n"
    "Unattended flashing (zizuvu flash):\n"
    "  --radio older|current|retry\n"
    "                        older: X.71 and older; current: X.72 and newer;\n"
    "                        retry: the program retry (required)\n"
    "  --port PATH|ComN      a port to flash on (repeatable); without it, the\n"
    "                        flash_ports of the configuration file\n"
    "  --high-speed          download at 115200 baud instead of 38400\n"
    "  --firmware-before-5.45\n"
    "                        the radio's firmware is older than 5.45 (older only)\n"
    "  --image FILE          an Intel HEX image instead of the built-in one\n"
    "  --attempts N          tries in a row at the same byte (default 3, 1 to 100)\n"
    "  --wait-seconds S      wait for a radio that does not answer (default 60,\n"
    "                        1 to 3600)\n"
    "  --json                one JSON object per port on standard output\n"
    "  --com, --records and --config as elsewhere\n"
    "  Exit status: 0 every port complete; 2 usage or bad input, nothing opened;\n"
    "  3 a port could not be opened; 4 no radio answered; 5 a download failed\n"
    "  (attempts exhausted or line failure); 6 ended by a signal. With several\n"
    "  ports, the highest of them.\n"
    "\n"
    "Other options:\n"
    "  --records FILE        the service-record database (the menu, --history, flash)\n"
    "  --config FILE         this configuration file instead of\n"
    "                        $XDG_CONFIG_HOME/zizuvu/zizuvu.conf (~/.config/zizuvu/\n"
    "                        zizuvu.conf; on Windows %APPDATA%\\zizuvu\\zizuvu.conf)\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "\n"
    "ComN is the device given by PATH (Com1) or --com N=PATH, else by the\n"
    "environment variable ZIZUVU_COM<N>, else by comN in the configuration file,\n"
    "else /dev/ttyS<N-1> (on Windows \\\\.\\COMN). Every usage error and every bad\n"
    "input (command line or configuration file) exits with status 2.\n";

}  // namespace

std::string usage_text() { return std::string(SYNOPSIS) + OPTIONS; }

std::string usage_error_text(std::string_view message) {
    return "zizuvu: " + std::string(message) +
           "\n"
           "usage: zizuvu [PATH] [options]\n"
           "       zizuvu --history [options]\n"
           "       zizuvu flash --radio older|current|retry [options]\n"
           "Run 'zizuvu --help' for every option.\n";
}

std::string version_text(std::string_view version) { return "zizuvu " + std::string(version) + "\n"; }

}  // namespace zizuvu
