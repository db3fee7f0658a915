#ifdef _WIN32

#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <string>
#include <utility>

#include "macro/Cp932.h"
#include "storage/Utf.h"

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
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

std::u16string SystemMessage(long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (n && buffer) text.assign(buffer, buffer + n);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
        text.pop_back();
    return text;
}

}  // namespace

std::optional<RegRawValue> Win32RegistryBackend::Query(Hive, std::u16string_view key,
                                                       std::u16string_view name) {
    KeyHandle h;
    const HKEY root = root_ == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const REGSAM view = root_ == Root::Machine32 ? KEY_WOW64_32KEY : 0;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_QUERY_VALUE | view, h.Out()) != ERROR_SUCCESS)
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
    const HKEY root = root_ == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const REGSAM view = root_ == Root::Machine32 ? KEY_WOW64_32KEY : 0;
    LSTATUS rc = RegCreateKeyExW(root, Wide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE | view, nullptr, h.Out(), nullptr);
    if (rc != ERROR_SUCCESS) {
        Failed(key, rc);
        return false;
    }
    std::vector<BYTE> bytes;
    if (IsTextType(value.type)) {
        for (char16_t c : Cp932Decode(value.data)) {
            bytes.push_back(static_cast<BYTE>(c & 0xFF));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
    } else {
        bytes.assign(value.data.begin(), value.data.end());
    }
    rc = RegSetValueExW(h.Get(), Wide(name).c_str(), 0, value.type, bytes.data(),
                        static_cast<DWORD>(bytes.size()));
    if (rc != ERROR_SUCCESS) {
        Failed(key, rc);
        return false;
    }
    lastError_ = {};
    noticed_ = {};
    return true;
}

// One notice per key and reason: a refused key refuses every value of a save.
void Win32RegistryBackend::Failed(std::u16string_view key, long code) {
    const std::u16string where =
        (root_ == Root::CurrentUser ? u"HKEY_CURRENT_USER\\" : u"HKEY_LOCAL_MACHINE\\") +
        std::u16string(key);
    if (code == ERROR_ACCESS_DENIED)
        lastError_ = Reason{.kind = ReasonKind::RegistryDenied, .subject = where};
    else
        lastError_ = Reason{.kind = ReasonKind::RegistryError,
                            .subject = where,
                            .detail = SystemMessage(code),
                            .number = code};
    if (lastError_ != noticed_) {
        noticed_ = lastError_;
        notice_ = {{lastError_}};
    }
}

std::vector<StoreNotice> Win32RegistryBackend::TakeNotice() {
    return std::exchange(notice_, {});
}

}  // namespace qm

#endif  // _WIN32
