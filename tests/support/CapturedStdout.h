#pragma once

#include <string>

// Redirects the process's standard output (file descriptor 1) into a
// temporary file until release(), which gives back the real output and
// returns what was printed. Assert only after release(): the test
// framework's own failure reports go to standard output too.
class CapturedStdout final
{
public:
    CapturedStdout();
    ~CapturedStdout();
    CapturedStdout(const CapturedStdout&) = delete;
    CapturedStdout& operator=(const CapturedStdout&) = delete;

    std::string release();

private:
    int m_saved = -1;
    std::string m_path;
};

// What `action` prints on standard output.
template <typename Action>
std::string StdoutOf(Action&& action)
{
    CapturedStdout capture;
    action();
    return capture.release();
}
