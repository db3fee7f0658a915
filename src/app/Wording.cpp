#include "app/Wording.h"

#include <QStringList>

#include "config/GameSettings.h"
#include "platform/QtText.h"

namespace qm {

namespace {

QString Quoted(std::u16string_view text) {
    return Q(text);
}

QString DontMakePrefix() {
    return Wording::tr("Wine に新しいプレフィックスを作らせないため、起動しません。");
}

QString CaptureNameFaultText(const Reason& r) {
    switch (CaptureNameFault(r.number)) {
        case CaptureNameFault::Empty:
            return Wording::tr("ファイル名を入力してください。");
        case CaptureNameFault::Separator:
            return Wording::tr("ファイル名にフォルダの区切り（/ や \\）は使えません。");
        case CaptureNameFault::Colon:
            return Wording::tr("ファイル名に「:」は使えません。");
        case CaptureNameFault::Character:
            return Wording::tr(
                       "ファイル名に「%1」は使えません（< > \" | ? * と制御文字は使えません）。")
                .arg(Q(r.subject));
        case CaptureNameFault::BadEnd:
            return Wording::tr("ファイル名の最後に「.」や空白は使えません。");
        case CaptureNameFault::DeviceName:
            return Wording::tr("「%1」は Windows が機器の名前に使うため、ファイル名にできません。")
                .arg(Q(r.subject));
    }
    return Wording::tr("このファイル名は使えません。");
}

}  // namespace

QString Wording::FileError(std::error_code error) {
    switch (ClassifyFileError(error)) {
        case FileProblem::NotRegular:
            return tr("通常のファイルではありません（デバイスやパイプなど）");
        case FileProblem::Denied:
            return tr("書き込みが許可されていません");
        case FileProblem::ReadOnlyDrive:
            return tr("読み取り専用のドライブです");
        case FileProblem::NoSpace:
            return tr("ディスクの空き容量が足りません");
        case FileProblem::NoFolder:
            return tr("フォルダが見つかりません");
        case FileProblem::FolderInTheWay:
            return tr("同じ名前のフォルダがあります");
        case FileProblem::TooLarge:
            return tr("ファイルの大きさの上限を超えます");
        case FileProblem::NameTooLong:
            return tr("パスまたは名前が長すぎます");
        case FileProblem::TooLongForGame:
            return tr("ゲームのファイルにしては大きすぎます");
        case FileProblem::LinkLoop:
            return tr("リンクが循環しています");
        case FileProblem::InUse:
            return tr("ほかのプログラムが使用中です");
        case FileProblem::NameTaken:
            return tr("同じ名前のファイルがあります");
        case FileProblem::Other:
            break;
    }
    return tr("書き込みに失敗しました (%1)").arg(Q(SystemErrorText(error)));
}

QString Wording::Why(const Reason& r) {
    const QString subject = Quoted(r.subject);
    const QString closeFirst = tr("ゲームと PlayOnline を終了してから、もう一度保存してください。");
    switch (r.kind) {
        case ReasonKind::None:
            return {};
        case ReasonKind::File:
            return FileError(r.cause);
        case ReasonKind::FileUnreadable:
            return tr("読み込めないため、書き換えられません (%1)").arg(FileError(r.cause));
        case ReasonKind::ColorsUnread:
            return tr("読み込めなかったため、文字カラーを保存できません。");
        case ReasonKind::LineEndInField:
            return tr("%1に改行が含まれています").arg(FieldName(int(r.number)));
        case ReasonKind::BackupWouldNotReadBack:
            return tr(
                "シフトJISの文字でないバイトが含まれているため、復元できるように書き出せません。");
        case ReasonKind::ValuesNotStored:
            return tr("次の値をレジストリに書き込めませんでした: %1").arg(subject);
        case ReasonKind::NumberOutOfRange:
            return tr("%1には -32768 から 32767 までの数を入力してください。")
                .arg(r.number == 0 ? tr("内部解像度の「幅」") : tr("内部解像度の「高さ」"));
        case ReasonKind::SettingsFileUnknown:
            return tr("設定ファイルの場所が分かりません（HOME が設定されていません）。");
        case ReasonKind::SettingsFileUnchecked:
            return tr("設定ファイルを確認できません: %1").arg(subject);
        case ReasonKind::SettingsFileUnreadable:
            return tr("設定ファイルを読めません: %1").arg(subject);
        case ReasonKind::SettingsFileNotSetAside:
            return tr("壊れた設定ファイルを退避できません: %1").arg(subject);
        case ReasonKind::SettingsFileSetAside:
            return tr("設定ファイルが壊れていたため、「%1」に名前を変えて残しました。"
                      "設定は既定値に戻ります。")
                .arg(subject);
        case ReasonKind::SettingsFileUnwritable: {
            QString text = tr("設定ファイルを書き込めません: %1").arg(subject);
            if (r.cause) text += tr("（%1）").arg(FileError(r.cause));
            return text;
        }
        case ReasonKind::SettingsPlaceForeign:
            return tr("この場所には書き込めません。");
        case ReasonKind::GameRunning:
            return tr("Wine のプレフィックス「%1」でゲームか PlayOnline が動いているため、"
                      "ゲームの設定をレジストリに書き込めません。")
                       .arg(subject) +
                   QStringLiteral("\n") + closeFirst;
        case ReasonKind::WineRegFailed: {
            QString text = tr("Wine のプレフィックス「%1」でゲームか PlayOnline が動いているため "
                              "wine reg で書き込もうとしましたが、できませんでした。")
                               .arg(subject);
            QString inner;
            if (r.number > 0)
                inner = tr("wine reg が失敗しました (終了コード %1)。").arg(r.number);
            else if (r.number == -1)
                inner = tr("wine reg を実行できませんでした。");
            else if (r.number == -2)
                inner = tr("wine が見つかりません。");
            else if (r.cause)
                inner = FileError(r.cause);
            if (!inner.isEmpty()) text += tr("（%1）").arg(inner);
            return text + QStringLiteral("\n") + closeFirst;
        }
        case ReasonKind::WineMissing:
            return tr("Windows のプログラムを起動するための wine が見つかりません。");
        case ReasonKind::WineToolFailed:
            return r.number > 0 ? tr("wine reg が失敗しました (終了コード %1)。").arg(r.number)
                                : tr("wine reg を実行できませんでした。");
        case ReasonKind::NoWinePrefix:
            return tr("Wine のプレフィックスが選ばれていないため、ゲームの設定を書き込めません。");
        case ReasonKind::NotAWinePrefix:
            return tr("「%1」は Wine のプレフィックスではありません（system.reg がありません）。")
                .arg(subject);
        case ReasonKind::WineFileMissing:
            return tr("「%1」が見つかりません。").arg(subject);
        case ReasonKind::WineFileTooLarge:
            return tr("「%1」が大きすぎて読み込めません。").arg(subject);
        case ReasonKind::WineFileUnreadable:
            return tr("「%1」を読み込めませんでした。").arg(subject);
        case ReasonKind::WineFileDamaged:
            return tr("「%1」は Wine のレジストリファイルではありません。").arg(subject);
        case ReasonKind::BadKeyName:
            return tr("レジストリのキーの名前が正しくありません。");
        case ReasonKind::RegistryDenied:
            return tr("レジストリに書き込めません: %1（書き込みが許可されていません。"
                      "管理者として実行してください）")
                .arg(subject);
        case ReasonKind::RegistryError:
            return tr("レジストリに書き込めません: %1（%2）")
                .arg(subject, r.detail.empty() ? tr("エラー %1").arg(r.number) : Q(r.detail));
        case ReasonKind::NoWineOnThisSystem:
            return tr("このシステムではゲームは Wine を使わずに動きます。");
        case ReasonKind::ProgramMissing:
            return tr("ファイルが見つかりません。");
        case ReasonKind::ProgramNotExecutable:
            return tr("実行できるファイルではありません。");
        case ReasonKind::StartFailed:
            return r.detail.empty() ? tr("起動に失敗しました。")
                                    : tr("起動に失敗しました。（%1）").arg(Q(r.detail));
        case ReasonKind::TempFolder:
            return r.cause ? tr("一時フォルダを作成できません（%1）").arg(FileError(r.cause))
                           : tr("一時フォルダを作成できません");
        case ReasonKind::TempFile:
            return r.cause ? tr("一時ファイルを作成できません（%1）").arg(FileError(r.cause))
                           : tr("一時ファイルを作成できません");
        case ReasonKind::ScreenNotGrabbed:
            return tr("画面を取り込めませんでした。");
        case ReasonKind::ShotFolder:
            return tr("スクリーンショットの保存先フォルダを作れませんでした: %1 (%2)")
                .arg(subject, FileError(r.cause));
        case ReasonKind::TitleFileUnknown:
            return tr("ブック名のファイルとして読めないため、書き換えません");
        case ReasonKind::LauncherPrefixUnknown:
            return tr("ゲームの入っている Wine プレフィックスが分かりません。") + DontMakePrefix();
        case ReasonKind::LauncherNotAPrefix:
            return tr("「%1」は Wine のプレフィックスではありません。").arg(subject) +
                   DontMakePrefix();
        case ReasonKind::CaptureNameUnusable:
            return CaptureNameFaultText(r);
        case ReasonKind::ShotNameUnusable:
            return tr("スクリーンショットを保存できませんでした: %1").arg(CaptureNameFaultText(r));
        case ReasonKind::ShotNotSaved: {
            QString text = tr("スクリーンショットを保存できませんでした: %1").arg(subject);
            if (r.cause)
                text += QStringLiteral(" (%1)").arg(FileError(r.cause));
            else if (!r.detail.empty())
                text += QStringLiteral(" (%1)").arg(Q(r.detail));
            return text;
        }
    }
    return {};
}

QString Wording::PartLabel(std::u16string_view label) {
    if (label == kRegistryLabel) return tr("レジストリ");
    if (label == kGameSettingsLabel) return tr("ゲームの環境設定");
    return Q(label);
}

QString Wording::SaveMessage(const SaveReport& report) {
    if (report.outcome == SaveReport::Outcome::Saved) {
        if (!report.folderSync) return {};
        return tr("保存しましたが、フォルダへの書き込みを確定できませんでした (%1)。"
                  "停電などがあると失われる可能性があります。")
            .arg(FileError(report.folderSync));
    }
    const auto join = [](const std::vector<std::u16string>& labels) {
        QStringList parts;
        for (const auto& label : labels) parts << PartLabel(label);
        return parts.isEmpty() ? tr("なし") : parts.join(QStringLiteral(", "));
    };
    QString text;
    if (!report.failed.empty())
        text = tr("「%1」を保存できませんでした。").arg(PartLabel(report.failed)) +
               QStringLiteral("\r\n");
    text += Why(report.reason);
    if (report.outcome == SaveReport::Outcome::Partial) {
        text += QStringLiteral("\r\n\r\n") + tr("保存したもの: %1").arg(join(report.saved)) +
                QStringLiteral("\r\n") + tr("保存していないもの: %1").arg(join(report.unsaved));
    } else {
        text += QStringLiteral("\r\n\r\n") + tr("変更は保存されていません。");
    }
    return text;
}

QString Wording::Notices(const std::vector<StoreNotice>& notices) {
    QStringList lines;
    for (const StoreNotice& notice : notices) {
        QString line = Why(notice.reason);
        if (notice.startsEmpty)
            line += QStringLiteral("\n") + tr("設定は既定値で始まり、保存されません。");
        if (!lines.contains(line)) lines << line;
    }
    return lines.join(QStringLiteral("\n"));
}

QString Wording::FieldName(int field) {
    const int macro = field / (1 + kLinesPerMacro) + 1, part = field % (1 + kLinesPerMacro);
    if (part == 0) return tr("マクロ%1のタイトル").arg(macro);
    return tr("マクロ%1の%2行目").arg(macro).arg(part);
}

QString Wording::BackupReadError(qm::BackupReadError error) {
    switch (error) {
        case qm::BackupReadError::None:
            return {};
        case qm::BackupReadError::NotAFile:
            return tr("ファイルではありません。");
        case qm::BackupReadError::Unreadable:
            return tr("ファイルを読み込めませんでした。");
        case qm::BackupReadError::TooLarge:
            return tr("ファイルが大きすぎます（64KBまで）。セットのバックアップではありません。");
        case qm::BackupReadError::NotSetText:
            return tr("シフトJISのテキストではありません。セットのバックアップではありません。");
        case qm::BackupReadError::NoField:
            return tr("改行（CR LF）で終わる行がありません。セットのバックアップではありません。");
    }
    return {};
}

QString Wording::LostCharactersQuestion(const std::vector<LostCharacters>& lost) {
    constexpr std::size_t kShown = 10;
    const QString crlf = QStringLiteral("\r\n");
    QString text = tr("次の文字は Shift_JIS にないため、「?」として保存されます。") + crlf + crlf;
    for (std::size_t i = 0; i < lost.size() && i < kShown; ++i) {
        const LostCharacters& at = lost[i];
        // One blank between characters; a surrogate pair stays together.
        QString characters;
        for (std::size_t c = 0; c < at.characters.size(); ++c) {
            if (c > 0 && !QChar::isLowSurrogate(at.characters[c])) characters += QLatin1Char(' ');
            characters += QChar(at.characters[c]);
        }
        text += tr("%1：%2").arg(FieldPlace(at.book, at.set, at.macro, at.line), characters) + crlf;
    }
    if (lost.size() > kShown) text += tr("ほか %1 か所").arg(lost.size() - kShown) + crlf;
    text += crlf + tr("このまま保存しますか？");
    return text;
}

QString Wording::FieldPlace(int book, int set, int macro, int line) {
    const QString place =
        tr("ブック%1 セット%2 マクロ%3").arg(book + 1).arg(set + 1).arg(macro + 1);
    const QString part = line == 0 ? tr("タイトル") : tr("%1行目").arg(line);
    return tr("%1 %2").arg(place, part);
}

QString Wording::TooLongFieldsText(const std::vector<TooLongField>& fields) {
    constexpr std::size_t kShown = 10;
    const QString crlf = QStringLiteral("\r\n");
    QString text =
        tr("次の欄は長すぎるため保存されません（保存される前の内容のままです）。") + crlf + crlf;
    for (std::size_t i = 0; i < fields.size() && i < kShown; ++i) {
        const TooLongField& f = fields[i];
        text += tr("%1：%2 バイト（%3 バイトまで）")
                    .arg(FieldPlace(f.book, f.set, f.macro, f.line))
                    .arg(f.bytes)
                    .arg(f.line == 0 ? kTitleTextCapacity : kLineTextCapacity) +
                crlf;
    }
    if (fields.size() > kShown) text += tr("ほか %1 か所").arg(fields.size() - kShown) + crlf;
    return text + crlf;
}

QString Wording::NotStoredList(const std::vector<TooLongField>& fields) {
    QStringList places;
    for (const TooLongField& f : fields) places << FieldPlace(f.book, f.set, f.macro, f.line);
    return places.join(tr("、"));
}

}  // namespace qm
