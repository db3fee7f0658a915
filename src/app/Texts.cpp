#include "app/Texts.h"

#include <QCoreApplication>

namespace qm {

QString ProgramTitle() {
    return QCoreApplication::translate("qm::Texts", "クイルモア");
}

QString AskSaveChanges() {
    return QCoreApplication::translate("qm::Texts", "内容が変更されています。保存しますか？");
}

QString AskSaveWhileGameRuns() {
    return QCoreApplication::translate(
        "qm::Texts",
        "ゲームが起動しています。ログイン中のキャラクターのマクロは、ログアウトやエリア移動のときに"
        "ゲームが上書きします。このまま保存しますか？");
}

QString GameRunningStatus() {
    return QCoreApplication::translate("qm::Texts", "ゲーム起動中");
}

}  // namespace qm
