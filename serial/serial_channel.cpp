#include "serial/serial_channel.hpp"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "platform/port_io.hpp"

namespace zizuvu {

struct ChannelTableAccess {
    using Channel = ChannelTable::Channel;

    static constexpr int HIGHEST_NUMBER = 0xFFFF;  // channel numbers are 16-bit
    static constexpr std::size_t LONGEST_NAME = 255;

    static void fail(ChannelTable& table, int number) { record_error(table.errors_, number); }

    static std::optional<OsHandle> find(const ChannelTable& table, int number) {
        const std::lock_guard lock(table.table_lock_);
        for (const Channel& channel : table.channels_) {
            if (channel.number == number) return channel.handle;
        }
        return std::nullopt;
    }

    // The handle of the channel a read, write or setting works on; error 52 when
    // there is none.
    static std::optional<OsHandle> require(ChannelTable& table, int number) {
        std::optional<OsHandle> port = find(table, number);
        if (!port) fail(table, ERROR_BAD_CHANNEL);
        return port;
    }

    // One operating-system call, alone in the system for this layer; 0 when it
    // succeeded, else the program's number for the system's reason.
    template <typename Call>
    static int system_call(ChannelTable& table, Call&& call) {
        const std::lock_guard lock(table.call_lock_);
        if (call()) return 0;
        return last_port_error();
    }

    static bool acceptable_name(std::string_view name) {
        return !name.empty() && name.size() <= LONGEST_NAME && name.find_first_of("*?") == std::string_view::npos;
    }

    // Takes the channel's place in the table; false when the number is taken (another
    // thread opened it meanwhile: 55) or the table is full (7).
    static bool add(ChannelTable& table, int number, OsHandle handle) {
        const std::lock_guard lock(table.table_lock_);
        Channel* free_slot = nullptr;
        for (Channel& channel : table.channels_) {
            if (channel.number == number) {
                fail(table, ERROR_CHANNEL_ALREADY_OPEN);
                return false;
            }
            if (channel.number < 0 && free_slot == nullptr) free_slot = &channel;
        }
        if (free_slot == nullptr) {
            fail(table, ERROR_NO_MEMORY);
            return false;
        }
        *free_slot = Channel{number, handle};
        return true;
    }

    static std::optional<OsHandle> remove(ChannelTable& table, int number) {
        const std::lock_guard lock(table.table_lock_);
        for (Channel& channel : table.channels_) {
            if (channel.number != number) continue;
            const OsHandle port = channel.handle;
            channel = Channel{};
            return port;
        }
        return std::nullopt;
    }

    static void close_handle(ChannelTable& table, OsHandle handle, int& first_error) {
        const int error = system_call(table, [&] { return close_port(handle); });
        if (first_error == 0) first_error = error;
    }

    static void open(ChannelTable& table, std::string_view name, int number) {
        if (number < 0 || number > HIGHEST_NUMBER) return fail(table, ERROR_BAD_CHANNEL);
        if (find(table, number)) return fail(table, ERROR_CHANNEL_ALREADY_OPEN);
        if (!acceptable_name(name)) return fail(table, ERROR_BAD_NAME);
        OsHandle device = NO_OS_HANDLE;
        const int error = system_call(table, [&] {
            device = open_port(name);
            return device != NO_OS_HANDLE;
        });
        if (error != 0) return fail(table, error);
        if (!add(table, number, device)) {
            int ignored = 0;  // the failure to record is the one add() recorded
            close_handle(table, device, ignored);
        }
    }

    static void set_buffer_size(ChannelTable& table, OsHandle handle, int code, std::int32_t value) {
        BufferSizes sizes;
        const int error = system_call(table, [&] { return get_buffer_sizes(handle, sizes); });
        if (error != 0) return fail(table, error);
        // A negative size would reach the driver as an enormous one.
        if (value < 0) return fail(table, ERROR_SETTING_REFUSED);
        (code == OPTION_RECEIVE_QUEUE ? sizes.receive : sizes.transmit) = static_cast<std::uint32_t>(value);
        if (system_call(table, [&] { return set_buffer_sizes(handle, sizes); }) != 0) {
            fail(table, ERROR_SETTING_REFUSED);
        }
    }

    // Each code is one read of the line settings, one change and one write back; the
    // two DTR codes then set the line itself.
    static void set_option(ChannelTable& table, int number, int code, std::int32_t value) {
        const std::optional<OsHandle> port = require(table, number);
        if (!port) return;
        if (code == OPTION_RECEIVE_QUEUE || code == OPTION_TRANSMIT_QUEUE) {
            return set_buffer_size(table, *port, code, value);
        }
        LineSettings settings;
        const int error = system_call(table, [&] { return get_line_settings(*port, settings); });
        if (error != 0) return fail(table, error);
        const std::optional<DtrControl> dtr = dtr_control_for(code, value);
        if (dtr) {
            settings.dtr_flow = *dtr == DtrControl::handshake;
        } else if (!change_line_setting(settings, code, value)) {
            return fail(table, ERROR_SETTING_REFUSED);
        }
        const bool applied = system_call(table, [&] {
                                 if (!set_line_settings(*port, settings)) return false;
                                 return !dtr || *dtr == DtrControl::handshake ||
                                        set_dtr(*port, *dtr == DtrControl::raised);
                             }) == 0;
        if (!applied) fail(table, ERROR_SETTING_REFUSED);
    }

    static std::int32_t waiting(ChannelTable& table, int number) {
        const std::optional<OsHandle> port = require(table, number);
        if (!port) return 0;
        PortStatus status;
        const int error = system_call(table, [&] { return read_port_status(*port, status); });
        if (error != 0) {
            fail(table, error);
            return 0;
        }
        if (status.errors.lost_bytes()) {
            fail(table, ERROR_LINE_FAULT);
            return 0;
        }
        return static_cast<std::int32_t>(
            std::min<std::uint32_t>(status.bytes_waiting, std::numeric_limits<std::int32_t>::max()));
    }

    static std::string read(ChannelTable& table, int number, int count) {
        const std::optional<OsHandle> port = require(table, number);
        if (!port || count <= 0) return {};
        std::string text;
        try {
            text.resize(static_cast<std::size_t>(count));
        } catch (const std::bad_alloc&) {
            fail(table, ERROR_NO_MEMORY);
            return {};
        }
        std::uint32_t got = 0;
        auto* buffer = reinterpret_cast<std::uint8_t*>(text.data());
        const auto wanted = static_cast<std::uint32_t>(count);
        if (system_call(table, [&] { return read_port(*port, buffer, wanted, got); }) != 0) {
            fail(table, ERROR_DEVICE_IO);
            return {};
        }
        text.resize(std::min(got, wanted));
        return text;
    }

    static void write(ChannelTable& table, int number, std::string_view bytes) {
        const std::optional<OsHandle> port = require(table, number);
        if (!port) return;
        if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return fail(table, ERROR_DEVICE_IO);
        const auto count = static_cast<std::uint32_t>(bytes.size());
        std::uint32_t written = 0;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (system_call(table, [&] { return write_port(*port, data, count, written); }) != 0 || written < count) {
            fail(table, ERROR_DEVICE_IO);
        }
    }

    static OsHandle handle(ChannelTable& table, int number, bool record) {
        const std::optional<OsHandle> handle = record ? require(table, number) : find(table, number);
        return handle.value_or(NO_OS_HANDLE);
    }

    static void close(ChannelTable& table, int number) {
        const std::optional<OsHandle> port = remove(table, number);
        if (!port) return;
        int error = 0;
        close_handle(table, *port, error);
        if (error != 0) fail(table, error);
    }

    // Every channel out of the table, then every handle closed; the number of the
    // first failure, 0 if none.
    static int close_all(ChannelTable& table) {
        std::vector<OsHandle> closing;
        {
            const std::lock_guard lock(table.table_lock_);
            for (Channel& channel : table.channels_) {
                if (channel.number >= 0) closing.push_back(channel.handle);
                channel = Channel{};
            }
        }
        int first_error = 0;
        for (const OsHandle device : closing) close_handle(table, device, first_error);
        return first_error;
    }
};

ChannelTable::~ChannelTable() { ChannelTableAccess::close_all(*this); }

void open_channel(ChannelTable& table, std::string_view port_name, int number) {
    ChannelTableAccess::open(table, port_name, number);
}

void set_port_option(ChannelTable& table, int number, int code, std::int32_t value) {
    ChannelTableAccess::set_option(table, number, code, value);
}

std::int32_t bytes_waiting(ChannelTable& table, int number) { return ChannelTableAccess::waiting(table, number); }

std::string read_channel(ChannelTable& table, int number, int count) {
    return ChannelTableAccess::read(table, number, count);
}

void write_channel(ChannelTable& table, int number, std::string_view bytes) {
    ChannelTableAccess::write(table, number, bytes);
}

OsHandle channel_handle(ChannelTable& table, int number) { return ChannelTableAccess::handle(table, number, true); }

OsHandle find_channel_handle(ChannelTable& table, int number) {
    return ChannelTableAccess::handle(table, number, false);
}

void close_channel(ChannelTable& table, int number) { ChannelTableAccess::close(table, number); }

void close_all_channels(ChannelTable& table) {
    const int error = ChannelTableAccess::close_all(table);
    if (error != 0) ChannelTableAccess::fail(table, error);
}

}  // namespace zizuvu
