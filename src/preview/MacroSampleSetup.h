#pragma once
// Builds the sample the macro preview shows: a random target name from the folder's
// name list, a random map position and TP, then the six lines interpreted in order.
// The window's painter and the command-line companion both go through here, so the
// same seed gives the same lines in both.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "macro/AcqNames.h"
#include "preview/ChatInterpreter.h"

namespace qm {

class IRandom;
struct LocalDateTime;

// The sample before any line is run. Draws, in this order: one value for the target
// name (only when the list has entries), two for the position, one for the TP.
MacroSample MakeMacroSample(std::u16string_view ownName, std::span<const AcqEntry> acqNames,
                            IRandom& random);

// The produced log lines of a macro, as the preview prints them top to bottom.
std::vector<OutputLine> RunMacroPreview(std::u16string_view ownName,
                                        std::span<const std::u16string> lines,
                                        std::span<const AcqEntry> acqNames, IRandom& random,
                                        const LocalDateTime& now);

// The window texture resource for the background number of the configuration record:
// 101 + v for v in 0 to 7, otherwise 101.
int WindowTextureNumber(int32_t backgroundValue);

}  // namespace qm
