#pragma once

// Closes a file descriptor when it goes out of scope.
class ScopedFd final
{
public:
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ~ScopedFd();
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    ScopedFd(ScopedFd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    ScopedFd& operator=(ScopedFd&& other) noexcept;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether close succeeded.
    bool release();

private:
    int m_fd;
};
