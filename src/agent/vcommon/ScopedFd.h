#pragma once

#include "VResult.h"

// Owns a file descriptor and closes it when it goes out of scope. An
// invalid one keeps the errno of the call that failed to produce it, and
// the kind of refusal where the shared-directory layer refused it:
//   ScopedFd file(::openat(dir, name, O_RDONLY));  // takes errno on failure
//   if (!file.valid()) report(file.error());
//   dir.OpenRegular(...).result()  -> {ForeignOwner, EPERM} for a planted file
class ScopedFd final
{
public:
    // Takes `fd`; when it is negative, records errno as the reason.
    explicit ScopedFd(int fd) : m_fd(fd), m_result(fd < 0 ? VResult::FromErrno() : VResult::Ok()) {}
    // No descriptor, because of `why` (a plain failure with errno `error`).
    static ScopedFd Failed(VResult why);
    static ScopedFd Failed(int error) { return Failed(VResult::Failed(error)); }
    ~ScopedFd();
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    ScopedFd(ScopedFd&& other) noexcept : m_fd(other.m_fd), m_result(other.m_result) { other.m_fd = -1; }
    ScopedFd& operator=(ScopedFd&& other) noexcept;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Why there is no descriptor (0 while there is one).
    int error() const { return result().error; }
    VResult result() const { return m_fd >= 0 ? VResult::Ok() : m_result; }
    // Closes now; a write error the kernel reports only at close counts.
    VResult close();

private:
    int m_fd;
    VResult m_result;
};
