#include "storage/CommandLine.h"

#include <algorithm>

#include "storage/Paths.h"
#include "storage/Utf.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
#endif

namespace qm {

#ifdef _WIN32

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view arg(wide[i]);
        args.push_back(Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return args;
}

std::filesystem::path PathFromArgument(std::string_view arg) {
    return PathFromText(Utf8ToUtf16(arg));
}

std::string ArgumentFromPath(const std::filesystem::path& path) {
    return Utf16ToUtf8(TextFromPath(path));
}

void UseBinaryStdStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool WriteStdText(std::FILE* stream, std::string_view utf8) {
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
        GetConsoleMode(handle, &mode)) {
        // What stdio holds must come out first.
        std::fflush(stream);
        const std::u16string text = Utf8ToUtf16(utf8);
        std::size_t done = 0;
        while (done < text.size()) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<std::size_t>(text.size() - done, 8192));
            if (!WriteConsoleW(handle, text.data() + done, chunk, &written, nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        return true;
    }
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

#else

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::filesystem::path PathFromArgument(std::string_view arg) {
    return std::filesystem::path(std::string(arg));
}

std::string ArgumentFromPath(const std::filesystem::path& path) {
    return path.native();
}

void UseBinaryStdStreams() {}

bool WriteStdText(std::FILE* stream, std::string_view utf8) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

#endif

}  // namespace qm
