#pragma once
// Texts the program shows in more than one place.

#include <string_view>

#include "QuillmorVersion.h"

namespace qm {

inline constexpr std::u16string_view kProgramTitle = u"クイルモア";
inline constexpr std::u16string_view kVersion = kProgramVersion16;
inline constexpr std::u16string_view kAskSaveChanges = u"内容が変更されています。保存しますか？";
inline constexpr std::u16string_view kAskSaveWhileGameRuns =
    u"ゲームが起動しています。ログイン中のキャラクターのマクロは、ログアウトやエリア移動のときに"
    u"ゲームが上書きします。このまま保存しますか？";
inline constexpr std::u16string_view kGameRunningStatus = u"ゲーム起動中";

}  // namespace qm
