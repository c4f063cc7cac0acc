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
    // Overrun, frame and input-queue errors end a wait for bytes; parity errors and
    // breaks do not.
    static constexpr std::uint32_t LINE_FAULTS = CE_RXOVER | CE_OVERRUN | CE_FRAME | CE_TXFULL | CE_IOE;

    static void fail(ChannelTable& table, int number) { record_error(table.errors_, number); }

    static std::optional<Channel> find(const ChannelTable& table, int number) {
        const std::lock_guard lock(table.table_lock_);
        const auto found = table.channels_.find(number);
        if (found == table.channels_.end()) return std::nullopt;
        return found->second;
    }

    // The channel a read, write or setting works on; error 52 when there is none.
    static std::optional<Channel> require(ChannelTable& table, int number) {
        std::optional<Channel> channel = find(table, number);
        if (!channel) fail(table, ERROR_BAD_CHANNEL);
        return channel;
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

    static void open(ChannelTable& table, std::string_view name, int number) {
        if (number < 0 || number > HIGHEST_NUMBER) return fail(table, ERROR_BAD_CHANNEL);
        if (find(table, number)) return fail(table, ERROR_CHANNEL_ALREADY_OPEN);
        if (!acceptable_name(name)) return fail(table, ERROR_BAD_NAME);
        OsHandle device = NO_OS_HANDLE;
        const int error = system_call(table, [&] {
            device = open_port_device(name);
            return device != NO_OS_HANDLE;
        });
        if (error != 0) return fail(table, error);
        bool added = false;
        try {
            const std::lock_guard lock(table.table_lock_);
            added = table.channels_.try_emplace(number, Channel{device, true, false, std::string(name)}).second;
        } catch (const std::bad_alloc&) {
            system_call(table, [&] { return close_port_device(device); });
            return fail(table, ERROR_NO_MEMORY);
        }
        if (!added) {
            // Another thread opened the same number meanwhile.
            system_call(table, [&] { return close_port_device(device); });
            fail(table, ERROR_CHANNEL_ALREADY_OPEN);
        }
    }

    static void set_queue_size(ChannelTable& table, OsHandle handle, int code, std::int32_t value) {
        QueueSizes sizes;
        const int error = system_call(table, [&] { return get_queue_sizes(handle, sizes); });
        if (error != 0) return fail(table, error);
        // A negative size would reach the driver as an enormous one.
        if (value < 0) return fail(table, ERROR_SETTING_REFUSED);
        (code == OPTION_RECEIVE_QUEUE ? sizes.receive : sizes.transmit) = static_cast<std::uint32_t>(value);
        if (system_call(table, [&] { return set_queue_sizes(handle, sizes); }) != 0) {
            fail(table, ERROR_SETTING_REFUSED);
        }
    }

    static void set_option(ChannelTable& table, int number, int code, std::int32_t value) {
        const std::optional<Channel> channel = require(table, number);
        if (!channel) return;
        if (code == OPTION_RECEIVE_QUEUE || code == OPTION_TRANSMIT_QUEUE) {
            return set_queue_size(table, channel->handle, code, value);
        }
        LineState state;
        const int error = system_call(table, [&] { return get_line_state(channel->handle, state); });
        if (error != 0) return fail(table, error);
        if (!change_line_setting(state, code, value) ||
            system_call(table, [&] { return set_line_state(channel->handle, state); }) != 0) {
            fail(table, ERROR_SETTING_REFUSED);
        }
    }

    static std::int32_t waiting(ChannelTable& table, int number) {
        const std::optional<Channel> channel = require(table, number);
        if (!channel) return 0;
        PortStatus status;
        const int error = system_call(table, [&] { return clear_port_errors(channel->handle, status); });
        if (error != 0) {
            fail(table, error);
            return 0;
        }
        if ((status.errors & LINE_FAULTS) != 0) {
            fail(table, ERROR_LINE_FAULT);
            return 0;
        }
        return static_cast<std::int32_t>(
            std::min<std::uint32_t>(status.bytes_in_queue, std::numeric_limits<std::int32_t>::max()));
    }

    static std::optional<Channel> require_byte_mode(ChannelTable& table, int number) {
        std::optional<Channel> channel = require(table, number);
        if (channel && !channel->byte_mode) {
            fail(table, ERROR_WRONG_MODE);
            return std::nullopt;
        }
        return channel;
    }

    static void note_short_read(ChannelTable& table, int number, bool short_read) {
        const std::lock_guard lock(table.table_lock_);
        const auto found = table.channels_.find(number);
        if (found != table.channels_.end()) found->second.short_read = short_read;
    }

    static std::string read(ChannelTable& table, int number, int count) {
        const std::optional<Channel> channel = require_byte_mode(table, number);
        if (!channel || count <= 0) return {};
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
        if (system_call(table, [&] { return read_port(channel->handle, buffer, wanted, got); }) != 0) {
            fail(table, ERROR_DEVICE_IO);
            return {};
        }
        text.resize(std::min(got, wanted));
        note_short_read(table, number, text.size() < wanted);
        return text;
    }

    static bool was_short(const ChannelTable& table, int number) {
        const std::optional<Channel> channel = find(table, number);
        return channel && channel->short_read;
    }

    static void write(ChannelTable& table, int number, std::string_view bytes) {
        const std::optional<Channel> channel = require_byte_mode(table, number);
        if (!channel) return;
        if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return fail(table, ERROR_DEVICE_IO);
        const auto count = static_cast<std::uint32_t>(bytes.size());
        std::uint32_t written = 0;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (system_call(table, [&] { return write_port(channel->handle, data, count, written); }) != 0 ||
            written < count) {
            fail(table, ERROR_DEVICE_IO);
        }
    }

    static OsHandle handle(ChannelTable& table, int number, bool record) {
        const std::optional<Channel> channel = record ? require(table, number) : find(table, number);
        return channel ? channel->handle : NO_OS_HANDLE;
    }

    static void close(ChannelTable& table, int number, CloseMode required) {
        Channel channel;
        {
            const std::lock_guard lock(table.table_lock_);
            const auto found = table.channels_.find(number);
            if (found == table.channels_.end()) return;
            if (required == CloseMode::byte_mode_required && !found->second.byte_mode) {
                return fail(table, ERROR_WRONG_MODE);
            }
            channel = std::move(found->second);
            table.channels_.erase(found);
        }
        const int error = system_call(table, [&] { return close_port_device(channel.handle); });
        if (error != 0) fail(table, error);
    }

    // Every channel out of the table, then every handle closed; the number of the
    // first failure, 0 if none.
    static int close_all(ChannelTable& table) {
        std::map<int, Channel> closing;
        {
            const std::lock_guard lock(table.table_lock_);
            closing.swap(table.channels_);
        }
        int first_error = 0;
        for (const auto& entry : closing) {
            const OsHandle device = entry.second.handle;
            const int error = system_call(table, [&] { return close_port_device(device); });
            if (first_error == 0) first_error = error;
        }
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

std::int32_t query_port(ChannelTable& table, int number, int code) {
    if (code == QUERY_BYTES_WAITING) return bytes_waiting(table, number);
    if (ChannelTableAccess::require(table, number)) ChannelTableAccess::fail(table, ERROR_SETTING_REFUSED);
    return 0;
}

std::int32_t bytes_waiting(ChannelTable& table, int number) { return ChannelTableAccess::waiting(table, number); }

std::string read_channel(ChannelTable& table, int number, int count) {
    return ChannelTableAccess::read(table, number, count);
}

bool last_read_was_short(const ChannelTable& table, int number) {
    return ChannelTableAccess::was_short(table, number);
}

void write_channel(ChannelTable& table, int number, std::string_view bytes) {
    ChannelTableAccess::write(table, number, bytes);
}

OsHandle channel_handle(ChannelTable& table, int number) { return ChannelTableAccess::handle(table, number, true); }

OsHandle find_channel_handle(ChannelTable& table, int number) {
    return ChannelTableAccess::handle(table, number, false);
}

void close_channel(ChannelTable& table, int number, CloseMode required) {
    ChannelTableAccess::close(table, number, required);
}

void close_all_channels(ChannelTable& table) {
    const int error = ChannelTableAccess::close_all(table);
    if (error != 0) ChannelTableAccess::fail(table, error);
}

}  // namespace zizuvu
