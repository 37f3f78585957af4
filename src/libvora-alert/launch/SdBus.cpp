#include "SdBus.h"

#include <cstdlib>
#include <cstring>

namespace vora::launch {

std::string BusError::text(int result) const
{
    if (sd_bus_error_is_set(&m_error) && m_error.message != nullptr) {
        return m_error.message;
    }
    return std::strerror(result < 0 ? -result : result);
}

std::string StringProperty(sd_bus* bus, const char* service, const char* path, const char* interface,
                           const char* name)
{
    BusError error;
    char* value = nullptr;
    if (sd_bus_get_property_string(bus, service, path, interface, name, error.get(), &value) < 0) {
        return std::string();
    }
    std::string text(value);
    std::free(value);
    return text;
}

} // namespace vora::launch
