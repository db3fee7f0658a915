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
#include "editor/TooLongFields.h"
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
    // "ブック1 セット2 マクロ3 4行目" or "… タイトル" (line 0).
    static QString FieldPlace(int book, int set, int macro, int line);
    // The part of the question before a save that lists text too long for its field, with
    // byte counts and the limit (the first few when there are many); ends with an empty line.
    static QString TooLongFieldsText(const std::vector<TooLongField>& fields);
    // For the status line after such a save: where the text was not stored.
    static QString NotStoredList(const std::vector<TooLongField>& fields);
};

}  // namespace qm
