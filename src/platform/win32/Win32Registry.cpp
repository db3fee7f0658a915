#ifdef _WIN32

#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include "macro/Cp932.h"

namespace qm {

namespace {

std::wstring Wide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class KeyHandle {
  public:
    ~KeyHandle() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

std::optional<RegRawValue> Win32RegistryBackend::Query(Hive, std::u16string_view key,
                                                       std::u16string_view name) {
    KeyHandle h;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                      h.Out()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName = Wide(name);
    std::vector<BYTE> buffer(256);
    DWORD type = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        LSTATUS rc =
            RegQueryValueExW(h.Get(), valueName.c_str(), nullptr, &type, buffer.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            buffer.resize(size + 2);  // the value may grow between the two calls
            continue;
        }
        if (rc != ERROR_SUCCESS) return std::nullopt;
        buffer.resize(size);
        RegRawValue value;
        value.type = type;
        if (IsTextType(type)) {
            std::u16string text;
            for (std::size_t i = 0; i + 1 < buffer.size(); i += 2)
                text.push_back(static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8)));
            value.data = Cp932Encode(text);
        } else {
            value.data.assign(buffer.begin(), buffer.end());
        }
        return value;
    }
    return std::nullopt;
}

bool Win32RegistryBackend::Set(Hive, std::u16string_view key, std::u16string_view name,
                               const RegRawValue& value) {
    KeyHandle h;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, h.Out(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> bytes;
    if (IsTextType(value.type)) {
        for (char16_t c : Cp932Decode(value.data)) {
            bytes.push_back(static_cast<BYTE>(c & 0xFF));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
    } else {
        bytes.assign(value.data.begin(), value.data.end());
    }
    return RegSetValueExW(h.Get(), Wide(name).c_str(), 0, value.type, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace qm

#endif  // _WIN32
