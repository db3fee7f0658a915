#pragma once
// A machine without Wine: every `wine reg` call is unavailable.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/linux/WineTool.h"

namespace qm::test {

class NoWineTool : public IWineRegTool {
  public:
    bool Available() override { return false; }
    bool Import(const std::filesystem::path&, const std::filesystem::path&, Reason*) override {
        return false;
    }
    bool Export(const std::filesystem::path&, std::u16string_view, const std::filesystem::path&,
                Reason*) override {
        return false;
    }
};

}  // namespace qm::test
