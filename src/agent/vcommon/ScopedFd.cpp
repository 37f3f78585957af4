#include "ScopedFd.h"

#include <unistd.h>

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
        other.m_fd = -1;
    }
    return *this;
}

bool ScopedFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd >= 0 && ::close(fd) == 0;
}
