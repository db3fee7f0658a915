#pragma once
// The window's words for what the core reports as values: reasons, save reports, the
// stores' notices, the set backup's refusals and the question before characters are lost.

#include <QCoreApplication>
#include <QString>
#include <string_view>
#include <system_error>
#include <vector>

#include "editor/LostCharacters.h"
#include "editor/SetBackup.h"
#include "platform/Registry.h"
#include "storage/Reason.h"
#include "storage/SavePlan.h"

namespace qm {

class Wording {
    Q_DECLARE_TR_FUNCTIONS(qm::Wording)

  public:
    static QString FileError(std::error_code error);
    static QString Why(const Reason& reason);
    // A part of a save as the report names it: a file name, or what the player knows it as.
    static QString PartLabel(std::u16string_view label);
    // The message after a save; empty when everything was saved and the folder synced.
    static QString SaveMessage(const SaveReport& report);
    // Each notice on a line of its own; empty when there are none.
    static QString Notices(const std::vector<StoreNotice>& notices);
    // "マクロ3のタイトル", "マクロ3の2行目": field f (0 to 139) of a set.
    static QString FieldName(int field);
    static QString BackupReadError(qm::BackupReadError error);
    // Asked before a save turns characters into "?": where, and which (the first few
    // places when there are many).
    static QString LostCharactersQuestion(const std::vector<LostCharacters>& lost);
};

}  // namespace qm
