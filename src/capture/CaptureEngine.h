#pragma once
// One screenshot: where it goes and how it is written. No state between shots.

#include <string>
#include <string_view>

#include "platform/ImageWriter.h"
#include "platform/Interfaces.h"

namespace qm {

struct ToolPreferences;

// Full path of the next screenshot without its extension: the capture folder, the
// platform separator, then either the fixed name (when it is locked) or the date and time
// as month, day, year, hour, minute, second: 05062004210703. The folder and name are used
// as they stand; a folder that already ends in a separator gives a doubled one.
std::u16string CaptureBasePath(const ToolPreferences& prefs, const LocalDateTime& now);

// Why a fixed file name cannot be used, or empty when it can: it must name one file in the
// capture folder on every system the game runs on, so no path separator, no ":" and none
// of the characters or names Windows refuses.
Reason CaptureNameProblem(std::u16string_view name);

struct ShotResult {
    bool ok = false;
    std::u16string file;  // the file written, or the one that could not be written
    Reason error;         // why, when !ok
};

// JPEG quality as the writer receives it: the slider's range 10 to 100.
int ClampJpegQuality(int quality);

// Grabs the game window (or the whole screen when the game is not running) and writes it
// as basePath + ".jpg" at the JPEG quality, or basePath + ".bmp", creating the folder when
// it is missing. A shot named by the time never replaces a file: when the name is taken
// (two shots in one second) it gets "_2", "_3", ... before the extension, and the name is
// claimed by creating the file, so two shots cannot choose the same one. A fixed name is
// overwritten, shot after shot. Failures are returned, never thrown, and nothing is shown
// to the user.
ShotResult TakeScreenshot(std::u16string_view basePath, const ToolPreferences& prefs,
                          IScreenGrabber& screen, IImageWriter& writer);

}  // namespace qm
