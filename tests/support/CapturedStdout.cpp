#include "CapturedStdout.h"

#include "FileHelpers.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

CapturedStdout::CapturedStdout()
{
    char pattern[] = "/tmp/vora-stdout-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) {
        throw std::runtime_error("mkstemp failed");
    }
    m_path = pattern;
    std::fflush(stdout);
    m_saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    close(fd);
}

CapturedStdout::~CapturedStdout()
{
    release();
    unlink(m_path.c_str());
}

std::string CapturedStdout::release()
{
    std::fflush(stdout);
    if (m_saved >= 0) {
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    return ReadFile(m_path);
}
