#include "ScopedFd.h"

#include <unistd.h>

ScopedFd ScopedFd::Failed(int error)
{
    ScopedFd none(-1);
    none.m_error = error != 0 ? error : EIO;
    return none;
}

ScopedFd::~ScopedFd()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

ScopedFd& ScopedFd::operator=(ScopedFd&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        m_error = other.m_error;
        other.m_fd = -1;
    }
    return *this;
}

VResult ScopedFd::close()
{
    const int fd = m_fd;
    m_fd = -1;
    if (fd < 0) {
        return VResult::Failed(EBADF);
    }
    return VResult::Of(::close(fd) == 0);
}
