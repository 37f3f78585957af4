#pragma once

// Closes a file descriptor when it goes out of scope.
class ScopedFd final
{
public:
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ~ScopedFd();
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether close succeeded.
    bool release();

private:
    int m_fd;
};
