#pragma once
// A temporary folder for one test, removed afterwards.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "storage/Paths.h"
#include "storage/Utf.h"

namespace qm::test {

class TempDir {
  public:
    TempDir() {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            path_ = base / ("quillmor-test-" + std::to_string(ProcessId()) + "-" +
                            std::to_string(Counter()++) + "-" + std::to_string(i));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
#ifdef _WIN32
        // Windows deletes no read-only file.
        for (std::filesystem::recursive_directory_iterator it(path_, ec), end; !ec && it != end;
             it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
#endif
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const {
        return path_;
    }
    std::filesystem::path Path(const std::string& name) const {
        return path_ / Name(name);
    }
    // The folder (or a file in it) as the program's text, a folder with its separator.
    std::u16string Text(const std::string& name) const {
        return TextFromPath(path_) + std::u16string(PathSeparator()) + Utf8(name);
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::filesystem::create_directories(Path(name).parent_path());
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<uint8_t> Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(Path(name));
    }
    std::size_t Count() const {
        return std::size_t(std::distance(std::filesystem::directory_iterator(path_),
                                         std::filesystem::directory_iterator()));
    }

  private:
    static int ProcessId() {
#ifdef _WIN32
        return _getpid();
#else
        return ::getpid();
#endif
    }
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    // Names are UTF-8 (a narrow name on Windows would be read in the ANSI code page).
    static std::filesystem::path Name(const std::string& s) {
        return std::filesystem::path(std::u8string(s.begin(), s.end()));
    }
    // "/" in names stands for the system's separator.
    static std::u16string Utf8(const std::string& s) {
        std::u16string text = Utf8ToUtf16(s);
        for (char16_t& c : text)
            if (c == u'/') c = PathSeparator().front();
        return text;
    }
    std::filesystem::path path_;
};

}  // namespace qm::test
