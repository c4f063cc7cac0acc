#pragma once
// Low-latency mode of a Linux serial driver (the ASYNC_LOW_LATENCY flag of
// TIOCGSERIAL / TIOCSSERIAL): USB serial adapters otherwise hold received bytes
// back for some milliseconds to gather more, which a lock-step exchange pays twice
// per byte. Asked for on the link, the old setting put back at close.
//
//   SerialFlagsDevice        the driver's flag word (a seam, so the rules can be tested)
//   LowLatencyChange         what request_low_latency_on changed, for the way back
//   request_low_latency_on   turn the mode on where the driver has it and it is off
//   restore_low_latency_on   put back what was there, touching no other flag
//   DriverSerialFlags        the real driver behind a file descriptor

namespace zizuvu {

class SerialFlagsDevice {
public:
    virtual ~SerialFlagsDevice() = default;
    virtual bool get_flags(int& flags) = 0;
    virtual bool set_flags(int flags) = 0;
};

struct LowLatencyChange {
    bool turned_on = false;
};

LowLatencyChange request_low_latency_on(SerialFlagsDevice& device);
void restore_low_latency_on(SerialFlagsDevice& device, LowLatencyChange change);

class DriverSerialFlags final : public SerialFlagsDevice {
public:
    explicit DriverSerialFlags(int fd) : fd_(fd) {}
    bool get_flags(int& flags) override;
    bool set_flags(int flags) override;

private:
    int fd_;
};

}  // namespace zizuvu
