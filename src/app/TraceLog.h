#pragma once
// The trace log "Debug.txt": one CP932 line per event, CR LF, appended, written only
// when tracing was switched on (Shift held at start).

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qm {

struct LocalDateTime;

// What other modules are given to write trace lines through.
using TraceFn = std::function<void(std::u16string_view)>;

class TraceLog {
  public:
    TraceLog(std::filesystem::path file, bool enabled)
        : file_(std::move(file)), enabled_(enabled) {}

    bool Enabled() const { return enabled_; }
    // Opens, appends one line and closes, so each line is on disk when this returns.
    // Failures are not reported: the log never disturbs the program.
    void TraceLine(std::u16string_view text) const;
    TraceFn Fn() const {
        return [this](std::u16string_view text) { TraceLine(text); };
    }

  private:
    std::filesystem::path file_;
    bool enabled_;
};

// "12-06-2026 21:07:03": month-day-year and a 24-hour time, the form of the trace
// head and end lines and of the /clock command.
std::u16string FormatDateTime(const LocalDateTime& t);

}  // namespace qm
