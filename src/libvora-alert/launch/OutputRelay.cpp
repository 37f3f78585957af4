#include "OutputRelay.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

namespace {

// Bytes in a UTF-8 sequence that starts with `lead`; 0 for a byte no
// sequence starts with (a follower 0x80-0xBF, 0xC0, 0xC1, 0xF5-0xFF).
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

// Whether bytes[0..length) is one well-formed UTF-8 sequence (no overlong
// form, no surrogate, nothing above U+10FFFF), or the start of one: a lone
// lead byte cut by the end of a read is judged when its follower comes.
bool WellFormed(const unsigned char* bytes, size_t length)
{
    if (length == 1) {
        return true;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            return false;
        }
    }
    const unsigned char lead = bytes[0];
    const unsigned char second = bytes[1];
    return !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second > 0x9F) &&
           !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second > 0x8F);
}

// "\xNN" for `byte`.
void AppendEscape(unsigned char byte, std::string* shown)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02x", byte);
    *shown += escape;
}

// For a terminal that takes every byte as a character of its own (a
// non-UTF-8 locale): only printable ASCII, tab and newline pass. A
// well-formed UTF-8 sequence may hold a byte such a terminal obeys as C1:
//   "\xc3\x9b" (U+00DB) -> "\\xc3\\x9b", not the CSI its second byte would be there.
std::string ShownAsEightBit(const std::string& bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    for (const char character : bytes) {
        const auto byte = static_cast<unsigned char>(character);
        if ((byte >= 0x20 && byte < 0x7F) || byte == '\n' || byte == '\t') {
            shown.push_back(character);
        } else {
            AppendEscape(byte, &shown);
        }
    }
    return shown;
}

// What the dialog prints reaches the agent's standard error, often an
// administrator's terminal: control characters are shown, never obeyed,
// whether they come as UTF-8 or as raw bytes an 8-bit terminal takes as C1.
//   "\x1b]0;title\x07" -> "\\x1b]0;title\\x07";  "\xc2\x9b" (C1 as UTF-8) -> "\\u009b"
//   "\x9b" or "\x9d" (raw C1), "\xff", "\xc3(" (not UTF-8) -> "\\x9b", "\\x9d", "\\xff", "\\xc3("
//   "Grüße\tok\n", "€"  -> unchanged
// Well-formed UTF-8 passes whole, so this is safe only where the terminal
// reads UTF-8; ShownAsEightBit() is for one that does not.
// A sequence cut by the end of `bytes` is held back in `held` for the next
// call; at the end of the output end() shows it as the lone bytes it is.
std::string ShownNotObeyed(std::string bytes, std::string* held)
{
    bytes.insert(0, *held);
    held->clear();
    std::string shown;
    shown.reserve(bytes.size());
    char escape[8];
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char byte = data[i];
        const size_t length = SequenceLength(byte);
        if (length > 1 && i + length > bytes.size() && WellFormed(data + i, bytes.size() - i)) {
            held->assign(bytes, i, std::string::npos);
            break;
        }
        if (length > 1 && i + length <= bytes.size() && WellFormed(data + i, length)) {
            if (byte == 0xC2 && data[i + 1] <= 0x9F) {
                std::snprintf(escape, sizeof escape, "\\u%04x", data[i + 1]);
                shown += escape;
            } else {
                shown.append(bytes, i, length);
            }
            i += length;
            continue;
        }
        if ((length == 1 && byte >= 0x20 && byte != 0x7F) || byte == '\n' || byte == '\t') {
            shown.push_back(static_cast<char>(byte));
        } else {
            AppendEscape(byte, &shown);
        }
        ++i;
    }
    return shown;
}

// A sequence still held back has no end any more: it is shown as the lone
// bytes it is ("ok\xc3" at the end -> "ok\\xc3").
std::string ShownAsLoneBytes(const std::string& held)
{
    std::string shown;
    for (const char byte : held) {
        AppendEscape(static_cast<unsigned char>(byte), &shown);
    }
    return shown;
}

// Whether the environment's locale (LC_ALL, LC_CTYPE, LANG, as a
// terminal's user sets them) reads UTF-8; one that cannot be loaded does
// not: the safe guess.
bool LocaleIsUtf8()
{
    const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return false;
    }
    const bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
    ::freelocale(locale);
    return utf8;
}

} // namespace

OutputRelay::OutputRelay(ScopedFd source, int destination)
    : m_source(std::move(source)), m_wakeRead(-1), m_wakeWrite(-1), m_destination(destination),
      m_eightBit(IsEightBitTerminal(destination))
{
    openWriter();
    int wake[2] = {-1, -1};
    if (::pipe2(wake, O_CLOEXEC) == 0) {
        m_wakeRead = ScopedFd(wake[0]);
        m_wakeWrite = ScopedFd(wake[1]);
    }
    ::fcntl(m_source.get(), F_SETFL, ::fcntl(m_source.get(), F_GETFL) | O_NONBLOCK);
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error& failure) {
        // The child's output then stays in the pipe; once that is full the
        // child waits, and its wait limit ends it.
        std::fprintf(stderr, "vora-agent: cannot relay the dialog's output: %s\n", failure.what());
    }
}

OutputRelay::~OutputRelay()
{
    finish();
}

void OutputRelay::finish()
{
    if (!m_thread.joinable()) {
        return;
    }
    m_finishBy = std::chrono::steady_clock::now() + kFinishBound;
    m_finishing = true;
    const char wake = 1;
    if (m_wakeWrite.valid()) {
        const ssize_t written = ::write(m_wakeWrite.get(), &wake, 1);
        (void)written; // without it the thread sees m_finishing within kPollMs
    }
    m_thread.join();
}

bool OutputRelay::copyAvailable(size_t limit)
{
    char buffer[4096];
    for (size_t copied = 0; copied < limit; copied += sizeof buffer) {
        const ssize_t got = ::read(m_source.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno == EAGAIN) {
            return true;
        }
        if (got <= 0) {
            return false;
        }
        const std::string read(buffer, static_cast<size_t>(got));
        const std::string shown = m_eightBit ? ShownAsEightBit(read) : ShownNotObeyed(read, &m_heldBack);
        relay(shown, static_cast<size_t>(got));
    }
    return true;
}

// Waits until the destination takes more, or finish() is called. Once
// finishing, waits no longer than the finish bound.
bool OutputRelay::awaitWritable()
{
    using namespace std::chrono;
    for (;;) {
        const bool finishing = m_finishing;
        const auto left =
            finishing ? duration_cast<milliseconds>(m_finishBy - steady_clock::now()).count() : 0;
        if (finishing && left <= 0) {
            return false;
        }
        pollfd watched[2] = {{m_destination, POLLOUT, 0}, {m_wakeRead.get(), POLLIN, 0}};
        const int count = finishing || !m_wakeRead.valid() ? 1 : 2;
        const int timeout = finishing ? static_cast<int>(left) : (m_wakeRead.valid() ? -1 : kPollMs);
        const int ready = ::poll(watched, count, timeout);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready > 0 && watched[0].revents != 0) {
            return true;
        }
    }
}

// The destination is shared with the agent (its standard error), so its
// file status flags stay as they are; a write that must not wait goes
//   - to a pipe or terminal (not a pty master): through a descriptor of
//     our own opened anew with O_NONBLOCK (/proc/self/fd/N; O_NOCTTY:
//     root's agent takes no terminal by it);
//   - to a socket: as send(MSG_DONTWAIT);
//   - to a file or another device: as a plain write, which waits for no reader.
// A pipe that cannot be opened anew (another user's, for an agent without
// CAP_DAC_OVERRIDE, whose dialogs are only its own) gets a plain write of
// at most one page once poll says there is room, as before.
void OutputRelay::openWriter()
{
    struct stat status = {};
    if (::fstat(m_destination, &status) != 0) {
        return;
    }
    m_isSocket = S_ISSOCK(status.st_mode);
    int ptyNumber = 0;
    if (!S_ISFIFO(status.st_mode) && !(S_ISCHR(status.st_mode) && ::isatty(m_destination) == 1)) {
        return;
    }
    if (::ioctl(m_destination, TIOCGPTN, &ptyNumber) == 0) {
        return; // a pty master: opened anew it is another pty
    }
    const std::string path = "/proc/self/fd/" + std::to_string(m_destination);
    ScopedFd writer(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    // The same pipe or terminal, else the plain write.
    struct stat opened = {};
    if (writer.valid() && ::fstat(writer.get(), &opened) == 0 && opened.st_dev == status.st_dev &&
        opened.st_ino == status.st_ino && opened.st_rdev == status.st_rdev) {
        m_writer = std::move(writer);
    }
}

ssize_t OutputRelay::writeSome(const char* data, size_t size)
{
    if (m_writer.valid()) {
        return ::write(m_writer.get(), data, size);
    }
    if (m_isSocket) {
        return ::send(m_destination, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    return ::write(m_destination, data, size);
}

// Writes at most one pipe page at a time, once poll says there is room,
// and never waits in the write itself (openWriter()): a destination nobody
// drains, or one another writer filled in between, holds up the relay only
// until finish(), and what it then does not take is dropped.
void OutputRelay::deliver(const char* data, size_t size)
{
    while (size > 0 && m_destinationOpen) {
        if (!awaitWritable()) {
            break;
        }
        const ssize_t written = writeSome(data, std::min<size_t>(size, kChunk));
        if (written < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (written <= 0) {
            m_destinationOpen = false;
            break;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    if (m_destinationOpen) {
        m_dropped += size;
    }
}

// Whole pieces up to kCap shown bytes per relay; past it what is read is
// counted and dropped, so that no user's flood reaches the destination.
void OutputRelay::relay(const std::string& shown, size_t readBytes)
{
    if (m_overCap == 0 && m_relayed + shown.size() <= kCap) {
        m_relayed += shown.size();
        deliver(shown.data(), shown.size());
        return;
    }
    m_overCap += readBytes;
}

// One line for what the destination did not take in time, if it takes
// that line: there is nowhere else to say it.
void OutputRelay::reportDropped()
{
    char line[320];
    int length = 0;
    if (m_overCap != 0) {
        length +=
            std::snprintf(line, sizeof line,
                          "\nvora-agent: dropped %zu bytes of the dialog's output beyond the cap of %zu "
                          "bytes relayed per dialog\n",
                          m_overCap, kCap);
    }
    if (m_dropped != 0) {
        length += std::snprintf(line + length, sizeof line - static_cast<size_t>(length),
                                "\nvora-agent: dropped %zu bytes of the dialog's output as shown (escapes "
                                "counted): standard error did not take them within %lld ms\n",
                                m_dropped, static_cast<long long>(kFinishBound.count()));
    }
    if (length == 0) {
        return;
    }
    pollfd room = {m_destination, POLLOUT, 0};
    if (!m_destinationOpen || ::poll(&room, 1, 0) != 1 || (room.revents & POLLOUT) == 0) {
        return; // still full: nothing else reaches it either
    }
    const ssize_t written = writeSome(line, static_cast<size_t>(length));
    (void)written;
}

void OutputRelay::end()
{
    const std::string shown = ShownAsLoneBytes(m_heldBack);
    m_heldBack.clear();
    relay(shown, 0);
    reportDropped();
}

bool OutputRelay::IsEightBitTerminal(int fd)
{
    return ::isatty(fd) == 1 && !LocaleIsUtf8();
}

std::string OutputRelay::Shown(const std::string& text, bool eightBit)
{
    if (eightBit) {
        return ShownAsEightBit(text);
    }
    std::string held;
    std::string shown = ShownNotObeyed(text, &held);
    return shown + ShownAsLoneBytes(held);
}

void OutputRelay::run()
{
    sigset_t pipeSignal;
    ::sigemptyset(&pipeSignal);
    ::sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    for (;;) {
        pollfd watched[2] = {{m_source.get(), POLLIN, 0}, {m_wakeRead.get(), POLLIN, 0}};
        if (::poll(watched, 2, m_wakeRead.valid() ? -1 : kPollMs) < 0 && errno != EINTR) {
            return;
        }
        if (m_finishing) {
            // What is in the pipe now, and no more: a process the child
            // left behind may keep writing.
            copyAvailable(kFinalBytes);
            end();
            return;
        }
        if (watched[0].revents != 0 && !copyAvailable(kFinalBytes)) {
            end();
            return;
        }
    }
}
