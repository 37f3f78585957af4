#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <string>

namespace vora::launch {

// Owners of sd-bus objects: every connection, message and error is
// released on every path.
struct BusUnref
{
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref
{
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusPtr = std::unique_ptr<sd_bus, BusUnref>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

class BusError final
{
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&m_error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &m_error; }
    // The error's message, or the errno text of `result` when there is none.
    std::string text(int result) const;

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

// A string property through org.freedesktop.DBus.Properties.Get; empty
// on any failure.
std::string StringProperty(sd_bus* bus, const char* service, const char* path, const char* interface,
                           const char* name);

} // namespace vora::launch
