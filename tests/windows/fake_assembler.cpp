// The fake assemblers of tests/data/fake-assemblers for Windows, where the
// run calls the assembler through a batch file and the command processor
// and a shell script cannot stand in for it. One program, copied under each
// fake's name ("writes-hex.exe", "hangs.exe", ...); the name says how it
// behaves, exactly as the script of that name does. Plain C++ and the
// Windows API: nothing of the code under test.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Arguments {
    std::wstring source; // after -fI
    std::wstring hex;    // after -o
};

Arguments ReadArguments(int argc, wchar_t **argv)
{
    Arguments arguments;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"-fI")
            arguments.source = argv[++i];
        else if (option == L"-o")
            arguments.hex = argv[++i];
    }
    return arguments;
}

std::wstring BaseName(const wchar_t *path)
{
    std::wstring name = path;
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name = name.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

void Print(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

bool WriteBytes(const std::wstring &path, const std::string &bytes)
{
    FILE *file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The HEX records a real assembler makes of the ".db" lines of the source:
// their decimal bytes in order from address 0, sixteen to a record.
std::string TableHex(const std::wstring &source)
{
    std::ifstream in(source.c_str(), std::ios::binary);
    std::vector<unsigned> bytes;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = line.substr(0, line.find(';'));
        size_t db = std::string::npos;
        for (size_t i = 0; i + 3 < line.size(); ++i) {
            if (line[i] == '.' && (line[i + 1] | 0x20) == 'd' && (line[i + 2] | 0x20) == 'b'
                && (line[i + 3] == ' ' || line[i + 3] == '\t')) {
                db = i + 4;
            }
        }
        if (db == std::string::npos)
            continue;
        std::stringstream values(line.substr(db));
        for (std::string value; std::getline(values, value, ',');) {
            std::string digits;
            for (char c : value) {
                if (c != ' ' && c != '\t')
                    digits += c;
            }
            const bool number = !digits.empty()
                && digits.find_first_not_of("0123456789") == std::string::npos;
            bytes.push_back(number ? unsigned(std::stoul(digits) % 256) : 0);
        }
    }
    std::string hex;
    char field[8];
    for (size_t address = 0; address < bytes.size(); address += 16) {
        const size_t count = std::min<size_t>(16, bytes.size() - address);
        unsigned sum = unsigned(count + address / 256 + address % 256);
        std::snprintf(field, sizeof field, ":%02X", unsigned(count));
        hex += field;
        std::snprintf(field, sizeof field, "%04X00", unsigned(address));
        hex += field;
        for (size_t i = 0; i < count; ++i) {
            std::snprintf(field, sizeof field, "%02X", bytes[address + i]);
            hex += field;
            sum += bytes[address + i];
        }
        std::snprintf(field, sizeof field, "%02X\r\n", (256 - sum % 256) % 256);
        hex += field;
    }
    return hex + ":00000001FF\r\n";
}

std::wstring BesideSource(const std::wstring &source, const wchar_t *extension)
{
    return source.substr(0, source.size() - 3) + extension;
}

int WritesHex(const Arguments &arguments)
{
    std::printf("Fake assembler: %ls\n", arguments.source.c_str());
    if (GetFileAttributesW(arguments.source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("cannot read %ls\n", arguments.source.c_str());
        return 2;
    }
    WriteBytes(arguments.hex, TableHex(arguments.source));
    WriteBytes(BesideSource(arguments.source, L"obj"), "obj");
    Print("Assembly complete.");
    return 0;
}

// Started by leaves-a-writer: writes on into the object file until killed.
int Writer(const std::wstring &object)
{
    for (;;) {
        if (FILE *file = _wfopen(object.c_str(), L"ab")) {
            std::fputs("obj\n", file);
            std::fclose(file);
        }
        Sleep(20);
    }
}

// A wrapper that does not wait for what it started: a child goes on writing
// the object file and leaves its process id in a ".pid" file beside the
// source.
int LeavesAWriter(const Arguments &arguments)
{
    const int status = WritesHex(arguments);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = std::wstring(L"\"") + self + L"\" --writer \""
        + BesideSource(arguments.source, L"obj") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return 3;
    }
    const std::wstring pid = BesideSource(arguments.source, L"pid");
    WriteBytes(pid + L".new", std::to_string(process.dwProcessId) + "\n");
    MoveFileExW((pid + L".new").c_str(), pid.c_str(), MOVEFILE_REPLACE_EXISTING);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    // Byte for byte what the scripts print: LF, not CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc == 3 && std::wstring(argv[1]) == L"--writer")
        return Writer(argv[2]);
    const std::wstring name = BaseName(argv[0]);
    const Arguments arguments = ReadArguments(argc, argv);
    if (name == L"writes-hex")
        return WritesHex(arguments);
    if (name == L"leaves-a-writer")
        return LeavesAWriter(arguments);
    if (name == L"table-hex") // table-hex SOURCE HEX, as the script
        return argc == 3 && WriteBytes(argv[2], TableHex(argv[1])) ? 0 : 1;
    if (name == L"empty-hex") {
        Print("Fake assembler: empty HEX");
        return WriteBytes(arguments.hex, {}) ? 0 : 1;
    }
    if (name == L"error-exit") {
        Print("servo000.asm(12) : Error : Unknown mnemonic");
        return 1;
    }
    if (name == L"hangs") {
        Print("Started.");
        Sleep(60000);
        return 0;
    }
    if (name == L"hex-without-table") {
        Print("Fake assembler: no table");
        return WriteBytes(arguments.hex, ":0400000001020304F2\r\n:00000001FF\r\n") ? 0 : 1;
    }
    if (name == L"no-hex") {
        Print("Error: Unknown option");
        return 0;
    }
    if (name == L"prints-without-end") {
        for (;;)
            Print("servo000.asm(1) : Error : Unknown mnemonic");
    }
    if (name == L"slow") {
        Sleep(1000);
        WriteBytes(arguments.hex, TableHex(arguments.source));
        Print("Slow but complete.");
        return 0;
    }
    if (name == L"stderr-output") {
        std::fprintf(stderr, "Warning: on standard error\n");
        return WriteBytes(arguments.hex, TableHex(arguments.source)) ? 0 : 1;
    }
    // Not an assembler: a command processor (ComSpec) that cannot enter the
    // batch file's folder. It echoes the batch line on standard output and
    // complains on standard error, as cmd does, and starts nothing.
    if (name == L"cannot-enter-folder") {
        Print("C:\\>cd \"C:\\Nirgends\\\"");
        std::fprintf(stderr, "Das System kann den angegebenen Pfad nicht finden.\r\n");
        return 1;
    }
    std::fprintf(stderr, "fake assembler: unknown name %ls\n", name.c_str());
    return 127;
}
