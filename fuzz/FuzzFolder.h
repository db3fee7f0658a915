#pragma once
// A private folder for targets that read and write files, made once per run.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

namespace qm::fuzz {

// Removed when the run ends. (A handler registered while the folder's path was being
// made ran after the path was destroyed, and removed nothing.)
struct OwnFolder {
    std::filesystem::path path;
    OwnFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillmor-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path = pattern;
    }
    ~OwnFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

inline const std::filesystem::path& Folder() {
    static const OwnFolder folder;
    return folder.path;
}

inline void WriteFile(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace qm::fuzz
