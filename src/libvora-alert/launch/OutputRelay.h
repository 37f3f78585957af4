#pragma once

#include "ScopedFd.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

// Copies what a child prints into its output pipe to one of our
// descriptors (the agent's standard error) on a thread of its own, so the
// child never blocks on a full pipe while the agent is busy steering it.
// finish() relays what is still in the pipe and stops, even when a process
// the child left behind keeps the pipe open. A destination that refuses
// writes (a closed pipe) costs the rest of the output, never the agent:
// SIGPIPE is blocked on the relay's thread. No write blocks, whatever the
// destination (a terminal, a pipe nobody reads or another writer fills): a
// destination that does not take the output holds the relay up to
// kFinishBound after finish(), then the rest is dropped and a line says
// how many bytes. At most kCap bytes are relayed per child, whatever it
// (or its user, who may copy its descriptor) writes; past that the output
// is read and dropped, and a line at the end says how many bytes.
// Control characters, C0 and C1, UTF-8 or raw bytes, are relayed as
// visible escapes ("\x1b", "\u009b", "\x9b"); well-formed UTF-8 text
// passes. Where the destination is a terminal and the locale does not read
// UTF-8, that terminal may take a byte of such text as C1 ("\xc3\x9b",
// U+00DB, holds CSI 0x9b): there every byte from 0x80 up is shown as
// "\xNN". So the child cannot drive the terminal either way.
class OutputRelay final
{
public:
    OutputRelay(ScopedFd source, int destination);
    ~OutputRelay();
    OutputRelay(const OutputRelay&) = delete;
    OutputRelay& operator=(const OutputRelay&) = delete;

    void finish();

    // `text` as it may reach an administrator's terminal that reads UTF-8:
    // every control character, C1 and byte that is not UTF-8 shown as an
    // escape; well-formed UTF-8 text passes.
    //   "unit failed\x1b[2J" -> "unit failed\\x1b[2J"
    // With `eightBit`, for a terminal that does not read UTF-8, every byte
    // from 0x80 up is an escape too: "\xc3\x9b" -> "\\xc3\\x9b".
    static std::string Shown(const std::string& text, bool eightBit = false);
    // Whether `fd` is a terminal in a locale that is not UTF-8, where a
    // byte from 0x80 up may be obeyed as a C1 control.
    static bool IsEightBitTerminal(int fd);

    // What one child may put into the destination: its lines of trouble
    // fit many times over.
    static constexpr size_t kCap = 1u << 20;

private:
    // Pipes hold 1 MiB at most (F_SETPIPE_SZ for unprivileged users).
    static constexpr size_t kFinalBytes = 1u << 20;
    static constexpr int kPollMs = 100;
    static constexpr size_t kChunk = 4096; // a pipe with room takes one page
    static constexpr std::chrono::milliseconds kFinishBound{2000};

    void openWriter();
    ssize_t writeSome(const char* data, size_t size);
    void run();
    // Copies what can be read without blocking, up to `limit` bytes. False
    // at end of file or on a read error.
    bool copyAvailable(size_t limit);
    bool awaitWritable();
    void relay(const std::string& shown, size_t readBytes);
    void deliver(const char* data, size_t size);
    void reportDropped();
    void end();

    ScopedFd m_source;
    ScopedFd m_wakeRead;
    ScopedFd m_wakeWrite;
    int m_destination;
    bool m_eightBit;       // a terminal in a locale that is not UTF-8
    ScopedFd m_writer{-1}; // the destination opened anew, non-blocking (a pipe or terminal)
    bool m_isSocket = false;
    bool m_destinationOpen = true;
    std::string m_heldBack;                           // a UTF-8 lead byte split from its follower
    size_t m_dropped = 0;                             // not taken by the destination in time
    size_t m_relayed = 0;                             // shown bytes handed to deliver()
    size_t m_overCap = 0;                             // read bytes dropped past kCap
    std::chrono::steady_clock::time_point m_finishBy; // written before m_finishing is set
    std::atomic<bool> m_finishing{false};
    std::thread m_thread;
};
