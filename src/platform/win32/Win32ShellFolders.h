#pragma once
// Shell special folders and the user's temporary folder on Windows.
#ifdef _WIN32

#include "platform/Interfaces.h"

namespace qm {

class Win32ShellFolders : public IShellFolders {
  public:
    std::u16string GetSpecialFolderPath(int csidl) override;
    std::u16string GetTempFolderPath() override;
};

}  // namespace qm

#endif  // _WIN32
