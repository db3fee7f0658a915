#pragma once
// Texts the program shows in more than one place, in the window's language.

#include <QString>
#include <string_view>

#include "QuillmorVersion.h"

namespace qm {

inline constexpr std::u16string_view kVersion = kProgramVersion16;

QString ProgramTitle();
QString AskSaveChanges();
QString AskSaveWhileGameRuns();
QString GameRunningStatus();

}  // namespace qm
