#include "app/TraceLog.h"

#include <cstdio>

#include "macro/Cp932.h"
#include "platform/Interfaces.h"
#include "storage/Paths.h"

namespace qm {

void TraceLog::TraceLine(std::u16string_view text) const {
    if (!enabled_) return;
    std::vector<uint8_t> bytes = Cp932Encode(text);
    bytes.push_back('\r');
    bytes.push_back('\n');
    if (std::FILE* f = OpenFile(file_, "ab")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

std::u16string FormatDateTime(const LocalDateTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d %02d:%02d:%02d", t.month, t.day, t.year,
                  t.hour, t.minute, t.second);
    return Utf8ToUtf16(buffer);
}

}  // namespace qm
