#pragma once

#include "VResult.h"

// Owns a file descriptor and closes it when it goes out of scope. An
// invalid one keeps the errno of the call that failed to produce it:
//   ScopedFd file(::openat(dir, name, O_RDONLY));  // takes errno on failure
//   if (!file.valid()) report(file.error());
class ScopedFd final
{
public:
    // Takes `fd`; when it is negative, records errno as the reason.
    explicit ScopedFd(int fd) : m_fd(fd), m_error(fd < 0 ? (errno != 0 ? errno : EIO) : 0) {}
    // No descriptor, because of `error`.
    static ScopedFd Failed(int error);
    ~ScopedFd();
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    ScopedFd(ScopedFd&& other) noexcept : m_fd(other.m_fd), m_error(other.m_error) { other.m_fd = -1; }
    ScopedFd& operator=(ScopedFd&& other) noexcept;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Why there is no descriptor (0 while there is one).
    int error() const { return m_fd >= 0 ? 0 : m_error; }
    // Closes now; a write error the kernel reports only at close counts.
    VResult close();

private:
    int m_fd;
    int m_error;
};
