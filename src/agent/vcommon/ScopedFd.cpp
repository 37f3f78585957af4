#include "ScopedFd.h"

#include <unistd.h>

ScopedFd ScopedFd::Failed(VResult why)
{
    ScopedFd none(-1);
    none.m_result = why ? VResult::Failed(EIO) : why;
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
        m_result = other.m_result;
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
