// fake-programmer: an "Arduino as ISP" programmer (STK500 version 1, avrdude's
// -c stk500v1) with an ATtiny15 behind it, for tests that run the real
// avrdude. It serves on a pseudo-terminal or on a TCP port of 127.0.0.1 and
// keeps the chip in a state file (tests/support/emulated_chip.h).
//
//   fake-programmer (--pty LINK | --tcp PORTFILE) --state FILE
//                   [--signature 1e9006] [--calibration 0x5a]
//                   [--fault none|silent|verify|silent-after-erase] [--trace]
//
// --pty LINK       a pseudo-terminal; LINK becomes a symbolic link to its
//                  terminal's name once it serves.
// --tcp PORTFILE   a free port of 127.0.0.1; PORTFILE gets its number
//                  (decimal, newline) once it listens. Connections are served
//                  one after another (avrdude's -P net:127.0.0.1:PORT).
// --state FILE     the chip: read at the start when it exists (else a new,
//                  erased chip), rewritten after every change.
// --signature      the chip's three signature bytes in hex (default 1e9006).
// --calibration    the chip's calibration byte (a new chip's 0x5a); when
//                  given, it replaces the one in the state file.
// --fault silent              answers the synchronisation of the first
//                             session and nothing after it
// --fault silent-after-erase  erases the chip on the first erase command,
//                             then never answers again
// --fault verify              flash byte 0x10 reads back with bit 0 flipped
// --trace          every command and answer on standard error.
//
// What avrdude 7.1 makes of the faults (-c stk500v1 -p t15): "silent" ends
// it with exit 1 after about 21 s ("programmer is not responding"), and a
// later call, which gets no synchronisation at all, after about 51 s.
// "silent-after-erase" it never ends by itself: it goes on byte by byte,
// each into 5 s time-outs, with "programmer is not responding" every few
// seconds, so only the caller's time-out ends it. "verify" ends it with
// exit 1 and "verification mismatch" at address 0x0010.
//
// avrdude opens and closes the port once per call and a programming calls it
// several times, so the programmer serves across closes: it keeps the
// terminal's other end open itself (so a close hangs nothing up), and it
// starts a fresh protocol state with every connection and after a second
// without a byte. SIGTERM and SIGINT end it; it removes LINK or PORTFILE.
// It waits in poll() and never spins.
//
// On Windows (for the suites under wine) only --tcp serves; it ends when it
// is killed. Paths are UTF-8 inside, wide at the Windows API.

#include "tests/support/emulated_chip.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using emulatedchip::kCalibrationOffset;
using emulatedchip::kEepromSize;
using emulatedchip::kFlashSize;
using emulatedchip::kFuseOffset;
using emulatedchip::kLockOffset;
using emulatedchip::kStateSize;

// STK500 version 1.
constexpr std::uint8_t kInSync = 0x14;
constexpr std::uint8_t kOk = 0x10;
constexpr std::uint8_t kUnknown = 0x12;
constexpr std::uint8_t kNoSync = 0x15;
constexpr std::uint8_t kEndOfPacket = 0x20;

constexpr std::uint8_t kGetSync = 0x30;
constexpr std::uint8_t kGetSignOn = 0x31;
constexpr std::uint8_t kSetParameter = 0x40;
constexpr std::uint8_t kGetParameter = 0x41;
constexpr std::uint8_t kSetDevice = 0x42;
constexpr std::uint8_t kSetDeviceExt = 0x45;
constexpr std::uint8_t kEnterProgramming = 0x50;
constexpr std::uint8_t kLeaveProgramming = 0x51;
constexpr std::uint8_t kChipErase = 0x52;
constexpr std::uint8_t kLoadAddress = 0x55;
constexpr std::uint8_t kUniversal = 0x56;
constexpr std::uint8_t kProgramPage = 0x64;
constexpr std::uint8_t kReadPage = 0x74;
constexpr std::uint8_t kReadSignature = 0x75;
constexpr std::uint8_t kReadCalibration = 0x76;

// The byte that the verify fault spoils on reading.
constexpr std::size_t kSpoiledFlashAddress = 0x10;

// A command cut off for this long is dropped: its sender has gone.
constexpr int kIdleResetMilliseconds = 1000;

enum class Fault { None, Silent, Verify, SilentAfterErase };

struct Options {
    std::string ptyLink;
    std::string tcpPortFile;
    std::string stateFile;
    std::array<std::uint8_t, 3> signature = emulatedchip::kAttiny15Signature;
    std::optional<std::uint8_t> calibration;
    Fault fault = Fault::None;
    bool trace = false;
};

[[noreturn]] void Usage(const char *problem)
{
    std::fprintf(stderr,
                 "fake-programmer: %s\n"
                 "usage: fake-programmer (--pty LINK | --tcp PORTFILE) --state FILE "
                 "[--signature 1e9006] [--calibration 0x5a] "
                 "[--fault none|silent|verify|silent-after-erase] [--trace]\n",
                 problem);
    std::exit(2);
}

std::optional<unsigned long> ParseNumber(const std::string &text, int base)
{
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || text[0] == '-')
        return std::nullopt;
    return value;
}

Options ReadOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--trace") {
            options.trace = true;
            continue;
        }
        if (i + 1 >= argc)
            Usage(("missing value after " + option).c_str());
        const std::string value = argv[++i];
        if (option == "--pty") {
            options.ptyLink = value;
        } else if (option == "--tcp") {
            options.tcpPortFile = value;
        } else if (option == "--state") {
            options.stateFile = value;
        } else if (option == "--signature") {
            const auto number = ParseNumber(value, 16);
            if (value.size() != 6 || !number)
                Usage("--signature wants six hex digits, such as 1e9006");
            options.signature = {std::uint8_t(*number >> 16), std::uint8_t(*number >> 8),
                                 std::uint8_t(*number)};
        } else if (option == "--calibration") {
            const auto number = ParseNumber(value, 0);
            if (!number || *number > 0xFF)
                Usage("--calibration wants a byte, such as 0x5a");
            options.calibration = std::uint8_t(*number);
        } else if (option == "--fault") {
            if (value == "none")
                options.fault = Fault::None;
            else if (value == "silent")
                options.fault = Fault::Silent;
            else if (value == "verify")
                options.fault = Fault::Verify;
            else if (value == "silent-after-erase")
                options.fault = Fault::SilentAfterErase;
            else
                Usage("--fault wants none, silent, verify or silent-after-erase");
        } else {
            Usage(("unknown option " + option).c_str());
        }
    }
    if (options.ptyLink.empty() == options.tcpPortFile.empty())
        Usage("give either --pty or --tcp");
    if (options.stateFile.empty())
        Usage("--state is missing");
    return options;
}

[[noreturn]] void Fail(const std::string &what)
{
    std::fprintf(stderr, "fake-programmer: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

// Files by UTF-8 path: opened, renamed over another, removed.
#ifdef _WIN32
std::wstring Wide(const std::string &path)
{
    std::wstring wide(path.size(), L'\0');
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), wide.data(),
                                           int(wide.size()));
    wide.resize(std::size_t(std::max(size, 0)));
    return wide;
}
std::string Utf8(const wchar_t *text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(std::max(size, 1)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}
FILE *OpenFile(const std::string &path, const wchar_t *mode)
{
    return ::_wfopen(Wide(path).c_str(), mode);
}
bool ReplaceFile(const std::string &from, const std::string &to)
{
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
void RemoveFile(const std::string &path)
{
    ::_wunlink(Wide(path).c_str());
}
#define FILE_MODE(mode) L##mode
#else
FILE *OpenFile(const std::string &path, const char *mode)
{
    return std::fopen(path.c_str(), mode);
}
bool ReplaceFile(const std::string &from, const std::string &to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}
void RemoveFile(const std::string &path)
{
    ::unlink(path.c_str());
}
#define FILE_MODE(mode) mode
#endif

// Writes beside `path` and renames over it, so a reader sees the old or the
// new file, never half of one. No sync: a test chip need not survive a crash.
void WriteFileAtomically(const std::string &path, const std::uint8_t *bytes, std::size_t size)
{
    const std::string temporary = path + ".new";
    FILE *file = OpenFile(temporary, FILE_MODE("wb"));
    if (!file)
        Fail("cannot write " + temporary);
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        Fail("cannot write " + temporary);
    if (!ReplaceFile(temporary, path))
        Fail("cannot rename " + temporary);
}

// The ATtiny15: what its serial programming instructions read and change.
class Chip {
public:
    Chip(const Options &options) : m_path(options.stateFile), m_signature(options.signature)
    {
        m_bytes.fill(emulatedchip::kErased);
        m_bytes[kFuseOffset] = emulatedchip::kNewFuse;
        m_bytes[kLockOffset] = emulatedchip::kNewLock;
        m_bytes[kCalibrationOffset] = emulatedchip::kNewCalibration;
        if (FILE *file = OpenFile(m_path, FILE_MODE("rb"))) {
            // One byte more than a state file holds shows a longer file.
            std::array<std::uint8_t, kStateSize + 1> bytes{};
            const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
            const bool failed = std::ferror(file) != 0;
            std::fclose(file);
            if (failed)
                Fail("cannot read " + m_path);
            std::copy_n(bytes.begin(), kStateSize, m_bytes.begin());
            if (size != kStateSize) {
                std::fprintf(stderr, "fake-programmer: %s is not a state file of %zu bytes\n",
                             m_path.c_str(), kStateSize);
                std::exit(2);
            }
        } else if (errno != ENOENT) {
            Fail("cannot read " + m_path);
        }
        if (options.calibration)
            m_bytes[kCalibrationOffset] = *options.calibration;
        m_spoiled = options.fault == Fault::Verify;
        Save();
    }

    std::uint8_t SignatureByte(unsigned index) const
    {
        return index < m_signature.size() ? m_signature[index] : 0xFF;
    }
    std::uint8_t Calibration() const { return m_bytes[kCalibrationOffset]; }

    std::uint8_t ReadFlash(std::size_t address) const
    {
        const std::uint8_t byte = m_bytes[address % kFlashSize];
        return m_spoiled && address % kFlashSize == kSpoiledFlashAddress ? byte ^ 0x01 : byte;
    }
    // Programming flash only clears bits; only an erase sets them again.
    void WriteFlash(std::size_t address, std::uint8_t byte)
    {
        m_bytes[address % kFlashSize] &= byte;
        m_changed = true;
    }
    std::uint8_t ReadEeprom(std::size_t address) const
    {
        return m_bytes[kFlashSize + address % kEepromSize];
    }
    // The chip erases an EEPROM byte before writing it.
    void WriteEeprom(std::size_t address, std::uint8_t byte)
    {
        m_bytes[kFlashSize + address % kEepromSize] = byte;
        m_changed = true;
    }

    void Erase()
    {
        std::fill(m_bytes.begin(), m_bytes.begin() + kFlashSize + kEepromSize,
                  emulatedchip::kErased);
        m_bytes[kLockOffset] = emulatedchip::kNewLock;
        m_changed = true;
    }

    // A 4-byte serial programming instruction and the byte the chip shifts
    // out with the last of them (avrdude's part "t15" in avrdude.conf).
    std::uint8_t Instruction(const std::uint8_t *in)
    {
        const std::size_t word = std::size_t(in[1] & 0x01) << 8 | in[2];
        switch (in[0]) {
        case 0xAC:
            if ((in[1] & 0xE0) == 0x80)
                Erase();
            else if ((in[1] & 0xE0) == 0xA0)
                SetByte(kFuseOffset, in[3]);
            else if ((in[1] & 0xF8) == 0xF8) // 1111.1ii1: programming only clears
                SetByte(kLockOffset, m_bytes[kLockOffset] & (in[1] | 0xF9));
            return 0x00;
        case 0x20:
            return ReadFlash(2 * word);
        case 0x28:
            return ReadFlash(2 * word + 1);
        case 0x40:
            WriteFlash(2 * word, in[3]);
            return 0x00;
        case 0x48:
            WriteFlash(2 * word + 1, in[3]);
            return 0x00;
        case 0xA0:
            return ReadEeprom(in[2] & 0x3F);
        case 0xC0:
            WriteEeprom(in[2] & 0x3F, in[3]);
            return 0x00;
        case 0x50:
            return m_bytes[kFuseOffset];
        case 0x58:
            return m_bytes[kLockOffset];
        case 0x30:
            return SignatureByte(in[2] & 0x03);
        case 0x38:
            return Calibration();
        default:
            return 0x00;
        }
    }

    // Writes the state file when something changed since the last time.
    void SaveChanges()
    {
        if (m_changed)
            Save();
    }

private:
    void SetByte(std::size_t offset, std::uint8_t byte)
    {
        m_bytes[offset] = byte;
        m_changed = true;
    }
    void Save()
    {
        WriteFileAtomically(m_path, m_bytes.data(), m_bytes.size());
        m_changed = false;
    }

    std::string m_path;
    std::array<std::uint8_t, 3> m_signature;
    std::array<std::uint8_t, kStateSize> m_bytes{};
    bool m_spoiled = false;
    bool m_changed = false;
};

// The programmer's side of STK500 version 1: bytes in, answers out. A
// command is gathered until its length is known and complete, then run.
class Programmer {
public:
    Programmer(Chip &chip, const Options &options)
        : m_chip(chip), m_fault(options.fault), m_trace(options.trace)
    {
    }

    /// A new connection or a sender that went quiet: a command begun is
    /// dropped, and the next session begins.
    void StartSession()
    {
        m_command.clear();
        m_address = 0;
        if (m_sessions > 0 && m_fault == Fault::Silent)
            m_mute = true;
        ++m_sessions;
    }

    bool InCommand() const { return !m_command.empty(); }

    /// The answer to `byte`, empty while a command is incomplete.
    std::vector<std::uint8_t> Take(std::uint8_t byte)
    {
        m_command.push_back(byte);
        const std::optional<std::size_t> length = CommandLength();
        if (length && m_command.size() < *length)
            return {};
        std::vector<std::uint8_t> answer;
        if (!length) {
            // An unknown command: unknown if the next byte ends it.
            if (m_command.size() < 2)
                return {};
            answer = {m_command[1] == kEndOfPacket ? kUnknown : kNoSync};
        } else if (m_command.back() != kEndOfPacket) {
            answer = {kNoSync};
        } else {
            answer = Run();
        }
        if (m_trace)
            Trace(answer);
        const bool sync = m_command[0] == kGetSync;
        m_command.clear();
        m_chip.SaveChanges();
        if (m_mute)
            return {};
        // The silent fault answers the first session's synchronisation, and
        // nothing else ever again.
        if (m_fault == Fault::Silent && !sync) {
            m_mute = true;
            return {};
        }
        return answer;
    }

private:
    // The whole command's length, end-of-packet byte included; nothing for
    // an unknown command.
    std::optional<std::size_t> CommandLength() const
    {
        switch (m_command[0]) {
        case kGetSync:
        case kGetSignOn:
        case kEnterProgramming:
        case kLeaveProgramming:
        case kChipErase:
        case kReadSignature:
        case kReadCalibration:
            return 2;
        case kGetParameter:
            return 3;
        case kSetParameter:
        case kLoadAddress:
            return 4;
        case kSetDevice:
            return 22;
        case kSetDeviceExt:
            // A length byte that counts itself, then the rest.
            if (m_command.size() < 2)
                return 2;
            return 2 + std::max<std::size_t>(m_command[1], 1);
        case kUniversal:
            return 6;
        case kReadPage:
            return 5;
        case kProgramPage:
            if (m_command.size() < 3)
                return 3;
            return 5 + PageSize();
        default:
            return std::nullopt;
        }
    }

    std::size_t PageSize() const { return std::size_t(m_command[1]) << 8 | m_command[2]; }

    std::vector<std::uint8_t> Framed(std::vector<std::uint8_t> data = {}) const
    {
        data.insert(data.begin(), kInSync);
        data.push_back(kOk);
        return data;
    }

    std::vector<std::uint8_t> Run()
    {
        const std::uint8_t *in = m_command.data() + 1;
        switch (m_command[0]) {
        case kGetSignOn: {
            const std::string text = "AVR ISP";
            return Framed(std::vector<std::uint8_t>(text.begin(), text.end()));
        }
        case kGetParameter:
            return Framed({Parameter(in[0])});
        case kChipErase:
            return Erase(Framed());
        case kLoadAddress:
            m_address = std::size_t(in[1]) << 8 | in[0];
            return Framed();
        case kUniversal: {
            const bool erase = in[0] == 0xAC && (in[1] & 0xE0) == 0x80;
            const std::uint8_t out = m_chip.Instruction(in);
            return erase ? Erase(Framed({out})) : Framed({out});
        }
        case kReadSignature:
            return Framed({m_chip.SignatureByte(0), m_chip.SignatureByte(1),
                           m_chip.SignatureByte(2)});
        case kReadCalibration:
            return Framed({m_chip.Calibration()});
        case kProgramPage:
            return ProgramPage(in[2], in + 3, PageSize());
        case kReadPage:
            return ReadPage(in[2], std::size_t(in[0]) << 8 | in[1]);
        default: // sync, set parameter and device, enter and leave
            return Framed();
        }
    }

    // The silent-after-erase fault erases, then never answers again.
    std::vector<std::uint8_t> Erase(std::vector<std::uint8_t> answer)
    {
        if (m_command[0] == kChipErase)
            m_chip.Erase();
        if (m_fault == Fault::SilentAfterErase)
            m_mute = true;
        return answer;
    }

    // As "Arduino as ISP" does it, and avrdude since 7.0 sends it: the
    // address counts words, for flash and for EEPROM alike.
    std::vector<std::uint8_t> ProgramPage(std::uint8_t memory, const std::uint8_t *data,
                                          std::size_t size)
    {
        const std::size_t start = 2 * m_address;
        if (memory == 'F') {
            for (std::size_t i = 0; i < size; ++i)
                m_chip.WriteFlash(start + i, data[i]);
        } else if (memory == 'E') {
            for (std::size_t i = 0; i < size; ++i)
                m_chip.WriteEeprom(start + i, data[i]);
        } else {
            return {kInSync, 0x11}; // STK_FAILED
        }
        return Framed();
    }

    std::vector<std::uint8_t> ReadPage(std::uint8_t memory, std::size_t size)
    {
        if (memory != 'F' && memory != 'E')
            return {kInSync, 0x11};
        std::vector<std::uint8_t> data;
        const std::size_t start = 2 * m_address;
        for (std::size_t i = 0; i < size; ++i)
            data.push_back(memory == 'F' ? m_chip.ReadFlash(start + i)
                                         : m_chip.ReadEeprom(start + i));
        return Framed(std::move(data));
    }

    static std::uint8_t Parameter(std::uint8_t which)
    {
        switch (which) {
        case 0x80: // hardware version
            return 2;
        case 0x81: // software major
            return 1;
        case 0x82: // software minor
            return 18;
        case 0x84: // target voltage, 0.1 V
            return 50;
        case 0x98: // top card: none
            return 3;
        default:
            return 0;
        }
    }

    void Trace(const std::vector<std::uint8_t> &answer) const
    {
        std::string line = "fake-programmer:";
        char hex[4];
        for (std::size_t i = 0; i < m_command.size() && i < 8; ++i) {
            std::snprintf(hex, sizeof hex, " %02x", m_command[i]);
            line += hex;
        }
        if (m_command.size() > 8)
            line += " ...";
        line += " ->";
        for (std::size_t i = 0; i < answer.size() && i < 8; ++i) {
            std::snprintf(hex, sizeof hex, " %02x", answer[i]);
            line += hex;
        }
        if (answer.size() > 8)
            line += " ...";
        if (m_mute)
            line += " (not sent)";
        std::fprintf(stderr, "%s\n", line.c_str());
    }

    Chip &m_chip;
    Fault m_fault;
    bool m_trace;
    std::vector<std::uint8_t> m_command;
    std::size_t m_address = 0;
    int m_sessions = 0;
    bool m_mute = false;
};

// What is served: a socket, or (Linux) the terminal's master side.
#ifdef _WIN32
using Handle = SOCKET;
constexpr Handle kNoHandle = INVALID_SOCKET;
#else
using Handle = int;
constexpr Handle kNoHandle = -1;
#endif

struct Channel {
    Handle handle = kNoHandle;
    bool socket = true;
};

#ifdef _WIN32
long Receive(const Channel &channel, std::uint8_t *bytes, std::size_t size)
{
    return ::recv(channel.handle, reinterpret_cast<char *>(bytes), int(size), 0);
}
long Send(const Channel &channel, const std::uint8_t *bytes, std::size_t size)
{
    return ::send(channel.handle, reinterpret_cast<const char *>(bytes), int(size), 0);
}
bool Interrupted()
{
    return false;
}
void CloseChannel(Handle handle)
{
    ::closesocket(handle);
}
#else
long Receive(const Channel &channel, std::uint8_t *bytes, std::size_t size)
{
    return channel.socket ? ::recv(channel.handle, bytes, size, 0)
                          : ::read(channel.handle, bytes, size);
}
long Send(const Channel &channel, const std::uint8_t *bytes, std::size_t size)
{
    return channel.socket ? ::send(channel.handle, bytes, size, MSG_NOSIGNAL)
                          : ::write(channel.handle, bytes, size);
}
bool Interrupted()
{
    return errno == EINTR || errno == EAGAIN;
}
void CloseChannel(Handle handle)
{
    ::close(handle);
}
#endif

bool SendAll(const Channel &channel, const std::uint8_t *bytes, std::size_t size)
{
    while (size > 0) {
        const long sent = Send(channel, bytes, size);
        if (sent < 0 && Interrupted())
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= std::size_t(sent);
    }
    return true;
}

// SIGTERM and SIGINT reach the poll through a pipe. Windows has no such
// signal for a program that has no window: there it is killed.
#ifndef _WIN32
int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}
#endif

void InstallSignalHandlers()
{
#ifdef _WIN32
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        Fail("WSAStartup");
#else
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        Fail("pipe");
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
#endif
}

enum class Wait { Readable, Idle, Signal };

// Waits until `handle` can be read, `idleMilliseconds` passed (-1: no
// limit) or a signal came.
Wait WaitFor(Handle handle, int idleMilliseconds)
{
#ifdef _WIN32
    std::array<WSAPOLLFD, 1> fds = {WSAPOLLFD{handle, POLLRDNORM, 0}};
    const int ready = ::WSAPoll(fds.data(), ULONG(fds.size()), idleMilliseconds);
    if (ready < 0)
        Fail("WSAPoll");
    return ready == 0 ? Wait::Idle : Wait::Readable;
#else
    std::array<pollfd, 2> fds = {pollfd{handle, POLLIN, 0}, pollfd{g_signalPipe[0], POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds.data(), fds.size(), idleMilliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            Fail("poll");
        if (fds[1].revents != 0)
            return Wait::Signal;
        if (ready == 0)
            return Wait::Idle;
        return Wait::Readable;
    }
#endif
}

// Serves `channel` until its end (false) or a signal (true).
bool Serve(const Channel &channel, Programmer &programmer)
{
    std::array<std::uint8_t, 512> buffer{};
    for (;;) {
        const Wait wait =
            WaitFor(channel.handle, programmer.InCommand() ? kIdleResetMilliseconds : -1);
        if (wait == Wait::Signal)
            return true;
        if (wait == Wait::Idle) {
            programmer.StartSession();
            continue;
        }
        const long size = Receive(channel, buffer.data(), buffer.size());
        if (size < 0 && Interrupted())
            continue;
        if (size <= 0)
            return false;
        for (long i = 0; i < size; ++i) {
            const std::vector<std::uint8_t> answer = programmer.Take(buffer[std::size_t(i)]);
            if (!answer.empty() && !SendAll(channel, answer.data(), answer.size()))
                return false;
        }
    }
}

int ServePty(const Options &options, Programmer &programmer)
{
#ifdef _WIN32
    (void)options;
    (void)programmer;
    Usage("--pty needs Linux; use --tcp");
#else
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        Fail("openpty");
    // Raw from the start: an echoing terminal would hand the answers back
    // as commands before avrdude has set it up.
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave, TCSANOW, &settings);
    const char *name = ::ptsname(master);
    if (!name)
        Fail("ptsname");
    const std::string temporary = options.ptyLink + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(name, temporary.c_str()) != 0 || !ReplaceFile(temporary, options.ptyLink))
        Fail("cannot link " + options.ptyLink);
    programmer.StartSession();
    // The slave stays open here, so a closing avrdude hangs nothing up; a
    // quiet second starts the next session instead.
    const bool signalled = Serve(Channel{master, false}, programmer);
    RemoveFile(options.ptyLink);
    ::close(slave);
    ::close(master);
    if (!signalled) {
        std::fprintf(stderr, "fake-programmer: the terminal ended\n");
        return 1;
    }
    return 0;
#endif
}

int ServeTcp(const Options &options, Programmer &programmer)
{
    const Handle listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener == kNoHandle)
        Fail("socket");
#ifndef _WIN32
    ::fcntl(listener, F_SETFD, FD_CLOEXEC);
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, 4) != 0)
        Fail("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    if (::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        Fail("getsockname");
    const std::string port = std::to_string(ntohs(address.sin_port)) + "\n";
    WriteFileAtomically(options.tcpPortFile, reinterpret_cast<const std::uint8_t *>(port.data()),
                        port.size());
    bool signalled = false;
    while (!signalled) {
        if (WaitFor(listener, -1) == Wait::Signal)
            break;
        const Handle connection = ::accept(listener, nullptr, nullptr);
        if (connection == kNoHandle)
            continue;
#ifndef _WIN32
        ::fcntl(connection, F_SETFD, FD_CLOEXEC);
#endif
        // One small answer per command: Nagle would hold each one back.
        const int one = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&one),
                     sizeof one);
        programmer.StartSession();
        signalled = Serve(Channel{connection, true}, programmer);
        CloseChannel(connection);
    }
    RemoveFile(options.tcpPortFile);
    CloseChannel(listener);
    return 0;
}

int Main(int argc, char **argv)
{
    const Options options = ReadOptions(argc, argv);
    InstallSignalHandlers();
    Chip chip(options);
    Programmer programmer(chip, options);
    return options.ptyLink.empty() ? ServeTcp(options, programmer)
                                   : ServePty(options, programmer);
}

} // namespace

#ifdef _WIN32
// The arguments as UTF-8, whatever the system's code page.
int wmain(int argc, wchar_t **argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(Utf8(argv[i]));
    std::vector<char *> pointers;
    for (std::string &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Main(argc, pointers.data());
}
#else
int main(int argc, char **argv)
{
    return Main(argc, argv);
}
#endif
