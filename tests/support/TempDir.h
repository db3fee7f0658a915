#pragma once
// A temporary folder for one test, removed afterwards.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "storage/Paths.h"

namespace qm::test {

class TempDir {
  public:
    TempDir() {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            path_ = base / ("quillmor-test-" + std::to_string(::getpid()) + "-" +
                            std::to_string(Counter()++) + "-" + std::to_string(i));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Path(const std::string& name) const { return path_ / name; }
    // The folder (or a file in it) as the program's text, a folder with its separator.
    std::u16string Text(const std::string& name) const {
        return TextFromPath(path_) + std::u16string(PathSeparator()) + Utf8(name);
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::filesystem::create_directories((path_ / name).parent_path());
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<uint8_t> Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
    std::size_t Count() const {
        return std::size_t(std::distance(std::filesystem::directory_iterator(path_),
                                         std::filesystem::directory_iterator()));
    }

  private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    static std::u16string Utf8(const std::string& s) {
        return TextFromPath(std::filesystem::path(s));
    }
    std::filesystem::path path_;
};

}  // namespace qm::test
