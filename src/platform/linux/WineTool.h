#pragma once
// Wine's own registry tool, for changing a prefix's registry while its wineserver runs:
// the server then owns system.reg and the only safe way in is through the server.
// Everything goes to the 32-bit view (/reg:32), the one the game sees.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Reason.h"

namespace qm {

class IWineRegTool {
  public:
    virtual ~IWineRegTool() = default;
    // False when the tool cannot be run at all (no wine installed).
    virtual bool Available() = 0;
    // "wine reg import file /reg:32" for the prefix. The file is in the registry editor's
    // export format.
    virtual bool Import(const std::filesystem::path& prefix, const std::filesystem::path& regFile,
                        Reason* error) = 0;
    // "wine reg export HKLM\key file /reg:32 /y": the key and everything below it.
    virtual bool Export(const std::filesystem::path& prefix, std::u16string_view key,
                        const std::filesystem::path& regFile, Reason* error) = 0;
};

// Runs the wine found on PATH, with WINEPREFIX set and its debug output off.
class WineRegTool : public IWineRegTool {
  public:
    // wine: the program to run; empty: "wine" looked up on PATH.
    explicit WineRegTool(std::filesystem::path wine = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

    bool Available() override;
    bool Import(const std::filesystem::path& prefix, const std::filesystem::path& regFile,
                Reason* error) override;
    bool Export(const std::filesystem::path& prefix, std::u16string_view key,
                const std::filesystem::path& regFile, Reason* error) override;

  private:
    bool Run(const std::filesystem::path& prefix, const std::vector<std::string>& arguments,
             Reason* error);

    std::filesystem::path wine_;
    std::chrono::milliseconds timeout_;
};

// The program's path when it is an executable file found on PATH; empty otherwise.
std::filesystem::path FindOnPath(std::string_view program);

// Runs a program with extra environment entries ("NAME=value"), standard input and output
// on /dev/null, and waits at most `timeout` for it (then it is killed). The exit status,
// or -1 when it could not be started, was killed or did not end normally.
int RunAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& extraEnvironment, std::chrono::milliseconds timeout);

}  // namespace qm
