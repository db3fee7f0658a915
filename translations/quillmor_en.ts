<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>qm::BookChooser</name>
    <message>
        <source>ブック名を変更...</source>
        <translation>Rename Book...</translation>
    </message>
</context>
<context>
    <name>qm::BookTitleDialog</name>
    <message>
        <source>ブック%1 の名前（全角7文字、半角15文字まで）</source>
        <translation>Name of book %1 (up to 15 bytes: 7 full-width or 15 half-width characters)</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Shift_JIS にない文字「%1」は「?」として保存されます。</source>
        <translation>Characters not in Shift_JIS, &quot;%1&quot;, are saved as &quot;?&quot;.</translation>
    </message>
</context>
<context>
    <name>qm::CaptureTab</name>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>特定のキーでスクリーンショット</source>
        <translation>One shot per press of a key</translation>
    </message>
    <message>
        <source>特定のキーで連続撮影開始／終了</source>
        <translation>A key starts and stops continuous shots</translation>
    </message>
    <message>
        <source>秒ごと</source>
        <translation>seconds apart</translation>
    </message>
    <message>
        <source>・スクリーンショットに使用するキー</source>
        <translation>· Key for screenshots</translation>
    </message>
    <message>
        <source>キーコード</source>
        <translation>Key code</translation>
    </message>
    <message>
        <source>コードを調べる</source>
        <translation>Find a code</translation>
    </message>
    <message>
        <source>PrintScreenに戻す</source>
        <translation>Back to Print Screen</translation>
    </message>
    <message>
        <source>・保存先</source>
        <translation>· Save to</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>JPEG形式</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>画質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>ファイル名を固定</source>
        <translation>Fixed file name</translation>
    </message>
    <message>
        <source>・効果音</source>
        <translation>· Sounds</translation>
    </message>
    <message>
        <source>撮影／連続撮影開始</source>
        <translation>Shot / continuous shots start</translation>
    </message>
    <message>
        <source>連続撮影終了</source>
        <translation>Continuous shots stop</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>スクリーンショットを保存するフォルダを選択してください。</source>
        <translation>Choose the folder to save screenshots in.</translation>
    </message>
    <message>
        <source>サウンドファイル</source>
        <translation>Sound files</translation>
    </message>
    <message>
        <source>スクリーンショット: %1</source>
        <translation>Screenshot: %1</translation>
    </message>
</context>
<context>
    <name>qm::ColorTab</name>
    <message>
        <source>会話</source>
        <translation>Chat</translation>
    </message>
    <message>
        <source>自分</source>
        <translation>Self</translation>
    </message>
    <message>
        <source>他人</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>システム</source>
        <translation>System</translation>
    </message>
    <message>
        <source>通常会話(Say)</source>
        <translation>Say</translation>
    </message>
    <message>
        <source>大声で話す(Shout)</source>
        <translation>Shout</translation>
    </message>
    <message>
        <source>直接会話(Tell)</source>
        <translation>Tell</translation>
    </message>
    <message>
        <source>パーティ会話(Party)</source>
        <translation>Party</translation>
    </message>
    <message>
        <source>リンクシェル会話(LinkShell)</source>
        <translation>Linkshell</translation>
    </message>
    <message>
        <source>感情表現</source>
        <translation>Emotes</translation>
    </message>
    <message>
        <source>メッセージ(Message)</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>NPC発言</source>
        <translation>NPC speech</translation>
    </message>
    <message>
        <source>自分のHP/MPの増加</source>
        <translation>Own HP/MP recovered</translation>
    </message>
    <message>
        <source>自分のHP/MPの減少</source>
        <translation>Own HP/MP lost</translation>
    </message>
    <message>
        <source>良いエフェクトが自分にかかる</source>
        <translation>Good effect on self</translation>
    </message>
    <message>
        <source>悪いエフェクトが自分にかかる</source>
        <translation>Bad effect on self</translation>
    </message>
    <message>
        <source>相手からのエフェクトに抵抗</source>
        <translation>Self resists an effect</translation>
    </message>
    <message>
        <source>相手からのアクションを回避</source>
        <translation>Self evades an action</translation>
    </message>
    <message>
        <source>自分以外のHP/MPの増加</source>
        <translation>Others&apos; HP/MP recovered</translation>
    </message>
    <message>
        <source>自分以外のHP/MPの減少</source>
        <translation>Others&apos; HP/MP lost</translation>
    </message>
    <message>
        <source>自分以外に良いエフェクトがかかる</source>
        <translation>Good effect on others</translation>
    </message>
    <message>
        <source>自分以外に悪いエフェクトがかかる</source>
        <translation>Bad effect on others</translation>
    </message>
    <message>
        <source>自分以外がエフェクトに抵抗</source>
        <translation>Others resist an effect</translation>
    </message>
    <message>
        <source>自分以外がアクションを回避</source>
        <translation>Others evade an action</translation>
    </message>
    <message>
        <source>バトルメッセージの標準カラー</source>
        <translation>Battle messages (standard)</translation>
    </message>
    <message>
        <source>救援要請実行時カラー</source>
        <translation>Call for help</translation>
    </message>
    <message>
        <source>一部のシステムメッセージ</source>
        <translation>Some system messages</translation>
    </message>
    <message>
        <source>文字カラーの変更</source>
        <translation>Colour Change</translation>
    </message>
</context>
<context>
    <name>qm::EditCommands</name>
    <message>
        <source>セットの切り取り</source>
        <translation>Cut Set</translation>
    </message>
    <message>
        <source>セットの貼り付け</source>
        <translation>Paste Set</translation>
    </message>
    <message>
        <source>セットの削除</source>
        <translation>Delete Set</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>コピー先...</source>
        <translation>Copy &amp;To...</translation>
    </message>
</context>
<context>
    <name>qm::EditHistory</name>
    <message>
        <source>変更あり</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>保存していない変更があります</source>
        <translation>There are changes not saved yet</translation>
    </message>
</context>
<context>
    <name>qm::FindDialog</name>
    <message>
        <source>検索する文字列:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>置換後の文字列:</source>
        <translation>Replace with:</translation>
    </message>
    <message>
        <source>正規表現では $&amp; が見つかった文字列、$1 から $9 がその ( ) の部分になります。</source>
        <translation>In a regular expression, $&amp; stands for the text found and $1 to $9 for its parts in ( ).</translation>
    </message>
    <message>
        <source>正規表現</source>
        <translation>Regular expression</translation>
    </message>
    <message>
        <source>すべてのキャラクター</source>
        <translation>Every open character</translation>
    </message>
    <message>
        <source>タイトル</source>
        <comment>search the titles</comment>
        <translation>Titles</translation>
    </message>
    <message>
        <source>行</source>
        <comment>search the lines</comment>
        <translation>Lines</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>置換の確認</source>
        <translation>Preview Replace</translation>
    </message>
    <message>
        <source>置換する</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>キャラクター</source>
        <translation>Character</translation>
    </message>
    <message>
        <source>ブック</source>
        <translation>Book</translation>
    </message>
    <message>
        <source>セット</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>マクロ</source>
        <translation>Macro</translation>
    </message>
    <message>
        <source>欄</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>置換</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>検索する文字列を入力してください。</source>
        <translation>Enter the text to find.</translation>
    </message>
    <message>
        <source>正規表現として読めません（%1）。</source>
        <translation>This is no regular expression (%1).</translation>
    </message>
    <message>
        <source>「タイトル」と「行」の少なくとも一方を選んでください。</source>
        <translation>Choose &quot;Titles&quot;, &quot;Lines&quot; or both.</translation>
    </message>
    <message>
        <source>開いているキャラクターがありません。</source>
        <translation>No character is open.</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>%1行目</source>
        <translation>Line %1</translation>
    </message>
    <message>
        <source>見つかりませんでした。</source>
        <translation>Nothing was found.</translation>
    </message>
    <message>
        <source>%1 個の欄が見つかりました。</source>
        <translation>Fields found: %1.</translation>
    </message>
    <message>
        <source>%1/%2 バイト</source>
        <translation>%1/%2 bytes</translation>
    </message>
    <message>
        <source>Shift_JIS にない文字: %1</source>
        <translation>Not in Shift_JIS: %1</translation>
    </message>
    <message>
        <source>%1 が変わります</source>
        <translation>would change %1</translation>
    </message>
    <message>
        <source>文字として読めないバイトがあります</source>
        <translation>holds bytes that are no text</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>（%1）%2 → %3</source>
        <translation>(%1) %2 → %3</translation>
    </message>
    <message>
        <source>%1 個の欄は置換できません。一部だけの置換はしないため、どの欄も変更しません。</source>
        <translation>Fields that cannot be replaced: %1. A replace is never made in part, so no field is changed.</translation>
    </message>
    <message>
        <source>%1 個の欄を置換します。確かめてから「置換する」を押してください。</source>
        <translation>Fields to replace: %1. Check them, then press &quot;Replace&quot;.</translation>
    </message>
    <message>
        <source>置換する箇所はありません。</source>
        <translation>There is nothing to replace.</translation>
    </message>
    <message>
        <source>一覧を作った後で検索の条件かマクロが変わったため、置換していません。</source>
        <translation>The search or the macros changed after this list was made, so nothing was replaced.</translation>
    </message>
    <message>
        <source>%1 個の欄を置換しました。</source>
        <translation>Fields replaced: %1.</translation>
    </message>
</context>
<context>
    <name>qm::GameSettingsTab</name>
    <message>
        <source>複数のテクスチャを用意</source>
        <translation>Mipmaps (several texture sizes)</translation>
    </message>
    <message>
        <source>凹凸の表示(バンプマッピング)</source>
        <translation>Bump mapping</translation>
    </message>
    <message>
        <source>サウンドを鳴らす</source>
        <translation>Sound on</translation>
    </message>
    <message>
        <source>ハードウェアカーソルの使用</source>
        <translation>Hardware cursor</translation>
    </message>
    <message>
        <source>オープニングムービーを流す</source>
        <translation>Play the opening movie</translation>
    </message>
    <message>
        <source>[新規作成]時の背景簡略化</source>
        <translation>Simple background in character creation</translation>
    </message>
    <message>
        <source>画面</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>ディスプレイ解像度</source>
        <translation>Display resolution</translation>
    </message>
    <message>
        <source>内部解像度</source>
        <translation>Internal resolution</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>画質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>テクスチャ</source>
        <translation>Textures</translation>
    </message>
    <message>
        <source>地図(マップ)</source>
        <translation>Maps</translation>
    </message>
    <message>
        <source>草木のアニメーション</source>
        <translation>Plant animation</translation>
    </message>
    <message>
        <source>サウンド</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>高速－低品質</source>
        <translation>Fast, low quality</translation>
    </message>
    <message>
        <source>中速－やや高品質</source>
        <translation>Medium, better quality</translation>
    </message>
    <message>
        <source>低速－高品質</source>
        <translation>Slow, high quality</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>あり</source>
        <translation>On</translation>
    </message>
    <message>
        <source>あり－高品質</source>
        <translation>On, high quality</translation>
    </message>
    <message>
        <source>環境設定の変更</source>
        <translation>Game Settings Change</translation>
    </message>
</context>
<context>
    <name>qm::MacroTab</name>
    <message>
        <source>ブック%1 セット%2の移動先</source>
        <translation>Move book %1, set %2 to</translation>
    </message>
    <message>
        <source>ブック%1 セット%2のコピー先</source>
        <translation>Copy book %1, set %2 to</translation>
    </message>
    <message>
        <source>ブック%1%2 セット%3</source>
        <translation>Book %1%2, set %3</translation>
    </message>
    <message>
        <source>セット１</source>
        <translation>Set 1</translation>
    </message>
    <message>
        <source>セット２</source>
        <translation>Set 2</translation>
    </message>
    <message>
        <source>セット３</source>
        <translation>Set 3</translation>
    </message>
    <message>
        <source>セット４</source>
        <translation>Set 4</translation>
    </message>
    <message>
        <source>セット５</source>
        <translation>Set 5</translation>
    </message>
    <message>
        <source>セット６</source>
        <translation>Set 6</translation>
    </message>
    <message>
        <source>セット７</source>
        <translation>Set 7</translation>
    </message>
    <message>
        <source>セット８</source>
        <translation>Set 8</translation>
    </message>
    <message>
        <source>セット９</source>
        <translation>Set 9</translation>
    </message>
    <message>
        <source>セット10</source>
        <translation>Set 10</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>マクロ</source>
        <translation>Macro</translation>
    </message>
    <message>
        <source>ブック%1</source>
        <translation>Book %1</translation>
    </message>
    <message>
        <source>マクロの実行サンプルに表示される自分の名前を設定します</source>
        <translation>Your name as the macro sample shows it</translation>
    </message>
    <message>
        <source>セット</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>タイトルの入力</source>
        <translation>Title Typing</translation>
    </message>
    <message>
        <source>行の入力</source>
        <translation>Line Typing</translation>
    </message>
    <message>
        <source>%1 バイト：1行は60バイトまでです。このままでは保存されません。</source>
        <translation>%1 bytes: a line holds at most 60 bytes. As it is, it will not be saved.</translation>
    </message>
    <message>
        <source>Shift_JIS にない文字「%1」は「?」として保存されます。</source>
        <translation>Characters not in Shift_JIS, &quot;%1&quot;, are saved as &quot;?&quot;.</translation>
    </message>
    <message>
        <source>行の分割</source>
        <translation>Line Split</translation>
    </message>
    <message>
        <source>行の結合</source>
        <translation>Line Join</translation>
    </message>
    <message>
        <source>自分の名前の入力</source>
        <translation>Name Typing</translation>
    </message>
    <message>
        <source>マクロファイル</source>
        <translation>Macro files</translation>
    </message>
    <message>
        <source>ファイルを読み込めませんでした。<byte value="xd"/>
%1</source>
        <translation>The file could not be read.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>マクロファイルではありません（%1 バイトしかありません）。<byte value="xd"/>
%2</source>
        <translation>This is not a macro file (it has only %1 bytes).<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>マクロブック（Ctrl+PageUp / Ctrl+PageDown で切り替え、ダブルクリックで名前を変更）</source>
        <translation>Macro book (Ctrl+PageUp / Ctrl+PageDown to switch, double-click to rename)</translation>
    </message>
    <message>
        <source>ブック名を変更...</source>
        <translation>Rename Book...</translation>
    </message>
    <message>
        <source>「%1」</source>
        <translation> &quot;%1&quot;</translation>
    </message>
    <message>
        <source>：マクロファイルあり</source>
        <translation>: has macro files</translation>
    </message>
    <message>
        <source>：マクロファイルなし</source>
        <translation>: no macro files</translation>
    </message>
    <message>
        <source>（名前のファイルを読めません）</source>
        <translation> (its name file cannot be read)</translation>
    </message>
    <message>
        <source>「%1」はブック名のファイルとして読めないため、ブック%2〜%3の名前は変更できません。</source>
        <translation>&quot;%1&quot; cannot be read as a book name file, so the names of books %2 to %3 cannot be changed.</translation>
    </message>
    <message>
        <source>Shift_JIS にない文字「%1」は「?」として保存されます。この名前にしますか？</source>
        <translation>Characters not in Shift_JIS, &quot;%1&quot;, are saved as &quot;?&quot;. Use this name?</translation>
    </message>
    <message>
        <source>ブック名の変更</source>
        <translation>Book Rename</translation>
    </message>
    <message>
        <source>ブック名は Shift_JIS で15バイトまでです。</source>
        <translation>A book name holds at most 15 bytes in Shift_JIS.</translation>
    </message>
    <message>
        <source>ブック名のファイルではありません（%1 バイトではありません）。<byte value="xd"/>
%2</source>
        <translation>This is not a book name file (it is not %1 bytes).<byte value="xd"/>
%2</translation>
    </message>
</context>
<context>
    <name>qm::SetDragHandle</name>
    <message>
        <source>%1に改行が含まれているため、復元できるように書き出せません。</source>
        <translation>%1 holds a line break, so the set cannot be written in a form that restores it.</translation>
    </message>
    <message>
        <source>「%1」からセットを復元できませんでした。<byte value="xd"/>
%2<byte value="xd"/>
セットは変更されていません。</source>
        <translation>The set could not be restored from &quot;%1&quot;.<byte value="xd"/>
%2<byte value="xd"/>
The set is unchanged.</translation>
    </message>
    <message>
        <source>セットの復元</source>
        <translation>Set Restore</translation>
    </message>
    <message>
        <source>セット%1のバックアップファイル「%2」を作成できませんでした。<byte value="xd"/>
%3</source>
        <translation>The backup file &quot;%2&quot; of set %1 could not be made.<byte value="xd"/>
%3</translation>
    </message>
</context>
<context>
    <name>qm::Texts</name>
    <message>
        <source>クイルモア</source>
        <translation>Quillmor</translation>
    </message>
    <message>
        <source>内容が変更されています。保存しますか？</source>
        <translation>The content has changed. Save it?</translation>
    </message>
    <message>
        <source>ゲームが起動しています。ログイン中のキャラクターのマクロは、ログアウトやエリア移動のときにゲームが上書きします。このまま保存しますか？</source>
        <translation>The game is running. The game writes over the macros of the character logged in when it logs out or changes area. Save anyway?</translation>
    </message>
    <message>
        <source>ゲーム起動中</source>
        <translation>Game running</translation>
    </message>
</context>
<context>
    <name>qm::Wording</name>
    <message>
        <source>通常のファイルではありません（デバイスやパイプなど）</source>
        <translation>not a regular file (a device, a pipe or the like)</translation>
    </message>
    <message>
        <source>書き込みが許可されていません</source>
        <translation>writing is not permitted</translation>
    </message>
    <message>
        <source>ディスクの空き容量が足りません</source>
        <translation>not enough free disk space</translation>
    </message>
    <message>
        <source>フォルダが見つかりません</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>同じ名前のフォルダがあります</source>
        <translation>a folder has the same name</translation>
    </message>
    <message>
        <source>リンクが循環しています</source>
        <translation>the links form a loop</translation>
    </message>
    <message>
        <source>ほかのプログラムが使用中です</source>
        <translation>another program is using it</translation>
    </message>
    <message>
        <source>同じ名前のファイルがあります</source>
        <translation>a file has the same name</translation>
    </message>
    <message>
        <source>書き込みに失敗しました (%1)</source>
        <translation>writing failed (%1)</translation>
    </message>
    <message>
        <source>ゲームと PlayOnline を終了してから、もう一度保存してください。</source>
        <translation>Quit the game and PlayOnline, then save again.</translation>
    </message>
    <message>
        <source>読み込めないため、書き換えられません (%1)</source>
        <translation>it cannot be read, so it cannot be rewritten (%1)</translation>
    </message>
    <message>
        <source>読み込めなかったため、文字カラーを保存できません。</source>
        <translation>It could not be read, so the text colours cannot be saved.</translation>
    </message>
    <message>
        <source>%1に改行が含まれています</source>
        <translation>%1 holds a line break</translation>
    </message>
    <message>
        <source>シフトJISの文字でないバイトが含まれているため、復元できるように書き出せません。</source>
        <translation>The set holds bytes that are no Shift_JIS characters, so it cannot be written in a form that restores it.</translation>
    </message>
    <message>
        <source>次の値をレジストリに書き込めませんでした: %1</source>
        <translation>These values could not be written to the registry: %1</translation>
    </message>
    <message>
        <source>%1には -32768 から 32767 までの数を入力してください。</source>
        <translation>Enter a number from -32768 to 32767 as the %1.</translation>
    </message>
    <message>
        <source>内部解像度の「幅」</source>
        <translation>internal resolution&apos;s &quot;Width&quot;</translation>
    </message>
    <message>
        <source>内部解像度の「高さ」</source>
        <translation>internal resolution&apos;s &quot;Height&quot;</translation>
    </message>
    <message>
        <source>設定ファイルの場所が分かりません（HOME が設定されていません）。</source>
        <translation>The place of the settings file is unknown (HOME is not set).</translation>
    </message>
    <message>
        <source>設定ファイルを確認できません: %1</source>
        <translation>The settings file cannot be checked: %1</translation>
    </message>
    <message>
        <source>設定ファイルを読めません: %1</source>
        <translation>The settings file cannot be read: %1</translation>
    </message>
    <message>
        <source>壊れた設定ファイルを退避できません: %1</source>
        <translation>The damaged settings file cannot be set aside: %1</translation>
    </message>
    <message>
        <source>設定ファイルが壊れていたため、「%1」に名前を変えて残しました。設定は既定値に戻ります。</source>
        <translation>The settings file was damaged; it was kept as &quot;%1&quot;. The settings return to their defaults.</translation>
    </message>
    <message>
        <source>設定ファイルを書き込めません: %1</source>
        <translation>The settings file cannot be written: %1</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>この場所には書き込めません。</source>
        <translation>Nothing can be written in this place.</translation>
    </message>
    <message>
        <source>Wine のプレフィックス「%1」でゲームか PlayOnline が動いているため、ゲームの設定をレジストリに書き込めません。</source>
        <translation>The game or PlayOnline runs in the Wine prefix &quot;%1&quot;, so the game settings cannot be written to its registry.</translation>
    </message>
    <message>
        <source>Wine のプレフィックス「%1」でゲームか PlayOnline が動いているため wine reg で書き込もうとしましたが、できませんでした。</source>
        <translation>The game or PlayOnline runs in the Wine prefix &quot;%1&quot;, so the settings were written through wine reg, which failed.</translation>
    </message>
    <message>
        <source>wine reg が失敗しました (終了コード %1)。</source>
        <translation>wine reg failed (exit code %1).</translation>
    </message>
    <message>
        <source>wine reg を実行できませんでした。</source>
        <translation>wine reg could not be run.</translation>
    </message>
    <message>
        <source>wine が見つかりません。</source>
        <translation>wine was not found.</translation>
    </message>
    <message>
        <source>Windows のプログラムを起動するための wine が見つかりません。</source>
        <translation>wine, which starts Windows programs, was not found.</translation>
    </message>
    <message>
        <source>Wine のプレフィックスが選ばれていないため、ゲームの設定を書き込めません。</source>
        <translation>No Wine prefix is chosen, so the game settings cannot be written.</translation>
    </message>
    <message>
        <source>「%1」は Wine のプレフィックスではありません（system.reg がありません）。</source>
        <translation>&quot;%1&quot; is not a Wine prefix (it has no system.reg).</translation>
    </message>
    <message>
        <source>「%1」が見つかりません。</source>
        <translation>&quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>「%1」が大きすぎて読み込めません。</source>
        <translation>&quot;%1&quot; is too large to be read.</translation>
    </message>
    <message>
        <source>「%1」を読み込めませんでした。</source>
        <translation>&quot;%1&quot; could not be read.</translation>
    </message>
    <message>
        <source>「%1」は Wine のレジストリファイルではありません。</source>
        <translation>&quot;%1&quot; is not a Wine registry file.</translation>
    </message>
    <message>
        <source>レジストリのキーの名前が正しくありません。</source>
        <translation>A registry key name is not valid.</translation>
    </message>
    <message>
        <source>レジストリに書き込めません: %1（書き込みが許可されていません。管理者として実行してください）</source>
        <translation>Cannot write to the registry: %1 (writing is not permitted; run as administrator)</translation>
    </message>
    <message>
        <source>レジストリに書き込めません: %1（%2）</source>
        <translation>Cannot write to the registry: %1 (%2)</translation>
    </message>
    <message>
        <source>エラー %1</source>
        <translation>error %1</translation>
    </message>
    <message>
        <source>このシステムではゲームは Wine を使わずに動きます。</source>
        <translation>On this system the game runs without Wine.</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <source>実行できるファイルではありません。</source>
        <translation>The file is not a program.</translation>
    </message>
    <message>
        <source>起動に失敗しました。</source>
        <translation>It could not be started.</translation>
    </message>
    <message>
        <source>起動に失敗しました。（%1）</source>
        <translation>It could not be started (%1).</translation>
    </message>
    <message>
        <source>一時フォルダを作成できません（%1）</source>
        <translation>The temporary folder cannot be made (%1)</translation>
    </message>
    <message>
        <source>一時フォルダを作成できません</source>
        <translation>The temporary folder cannot be made</translation>
    </message>
    <message>
        <source>一時ファイルを作成できません（%1）</source>
        <translation>The temporary file cannot be made (%1)</translation>
    </message>
    <message>
        <source>一時ファイルを作成できません</source>
        <translation>The temporary file cannot be made</translation>
    </message>
    <message>
        <source>画面を取り込めませんでした。</source>
        <translation>The screen could not be captured.</translation>
    </message>
    <message>
        <source>スクリーンショットの保存先フォルダを作れませんでした: %1 (%2)</source>
        <translation>The screenshot folder could not be made: %1 (%2)</translation>
    </message>
    <message>
        <source>スクリーンショットを保存できませんでした: %1</source>
        <translation>The screenshot could not be saved: %1</translation>
    </message>
    <message>
        <source>レジストリ</source>
        <translation>Registry</translation>
    </message>
    <message>
        <source>ゲームの環境設定</source>
        <translation>Game settings</translation>
    </message>
    <message>
        <source>保存しましたが、フォルダへの書き込みを確定できませんでした (%1)。停電などがあると失われる可能性があります。</source>
        <translation>Saved, but the folder could not be synced (%1). A power cut could lose the save.</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>「%1」を保存できませんでした。</source>
        <translation>&quot;%1&quot; could not be saved.</translation>
    </message>
    <message>
        <source>保存したもの: %1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>保存していないもの: %1</source>
        <translation>Not saved: %1</translation>
    </message>
    <message>
        <source>変更は保存されていません。</source>
        <translation>The changes have not been saved.</translation>
    </message>
    <message>
        <source>設定は既定値で始まり、保存されません。</source>
        <translation>The settings start from their defaults and will not be saved.</translation>
    </message>
    <message>
        <source>マクロ%1のタイトル</source>
        <translation>the title of macro %1</translation>
    </message>
    <message>
        <source>マクロ%1の%2行目</source>
        <translation>line %2 of macro %1</translation>
    </message>
    <message>
        <source>ファイルではありません。</source>
        <translation>It is not a file.</translation>
    </message>
    <message>
        <source>ファイルを読み込めませんでした。</source>
        <translation>The file could not be read.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます（64KBまで）。セットのバックアップではありません。</source>
        <translation>The file is too large (64 KB at most). It is not a set backup.</translation>
    </message>
    <message>
        <source>シフトJISのテキストではありません。セットのバックアップではありません。</source>
        <translation>It is not Shift_JIS text. It is not a set backup.</translation>
    </message>
    <message>
        <source>改行（CR LF）で終わる行がありません。セットのバックアップではありません。</source>
        <translation>No line ends with a line break (CR LF). It is not a set backup.</translation>
    </message>
    <message>
        <source>次の文字は Shift_JIS にないため、「?」として保存されます。</source>
        <translation>These characters are not in Shift_JIS and will be saved as &quot;?&quot;.</translation>
    </message>
    <message>
        <source>ブック%1 セット%2 マクロ%3</source>
        <translation>Book %1 set %2 macro %3</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>title</translation>
    </message>
    <message>
        <source>%1行目</source>
        <translation>line %1</translation>
    </message>
    <message>
        <source>ほか %1 か所</source>
        <translation>and %1 more places</translation>
    </message>
    <message>
        <source>このまま保存しますか？</source>
        <translation>Save anyway?</translation>
    </message>
    <message>
        <source>Wine に新しいプレフィックスを作らせないため、起動しません。</source>
        <translation> It is not started, so that Wine does not make a new prefix.</translation>
    </message>
    <message>
        <source>ファイル名を入力してください。</source>
        <translation>Enter a file name.</translation>
    </message>
    <message>
        <source>ファイル名にフォルダの区切り（/ や \）は使えません。</source>
        <translation>A file name cannot hold a folder separator (/ or \).</translation>
    </message>
    <message>
        <source>ファイル名に「:」は使えません。</source>
        <translation>A file name cannot hold &quot;:&quot;.</translation>
    </message>
    <message>
        <source>ファイル名に「%1」は使えません（&lt; &gt; &quot; | ? * と制御文字は使えません）。</source>
        <translation>A file name cannot hold &quot;%1&quot; (&lt; &gt; &quot; | ? * and control characters are not allowed).</translation>
    </message>
    <message>
        <source>ファイル名の最後に「.」や空白は使えません。</source>
        <translation>A file name cannot end in &quot;.&quot; or a blank.</translation>
    </message>
    <message>
        <source>「%1」は Windows が機器の名前に使うため、ファイル名にできません。</source>
        <translation>&quot;%1&quot; cannot be a file name: Windows uses it for a device.</translation>
    </message>
    <message>
        <source>このファイル名は使えません。</source>
        <translation>This file name cannot be used.</translation>
    </message>
    <message>
        <source>読み取り専用のドライブです</source>
        <translation>the drive is read-only</translation>
    </message>
    <message>
        <source>ファイルの大きさの上限を超えます</source>
        <translation>the file size limit is exceeded</translation>
    </message>
    <message>
        <source>パスまたは名前が長すぎます</source>
        <translation>the path or a name is too long</translation>
    </message>
    <message>
        <source>ゲームのファイルにしては大きすぎます</source>
        <translation>too large to be a game file</translation>
    </message>
    <message>
        <source>ブック名のファイルとして読めないため、書き換えません</source>
        <translation>it cannot be read as a book name file, so it is not rewritten</translation>
    </message>
    <message>
        <source>ゲームの入っている Wine プレフィックスが分かりません。</source>
        <translation>The Wine prefix that holds the game is not known.</translation>
    </message>
    <message>
        <source>「%1」は Wine のプレフィックスではありません。</source>
        <translation>&quot;%1&quot; is not a Wine prefix.</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>次の欄は長すぎるため保存されません（保存される前の内容のままです）。</source>
        <translation>These fields are too long and will not be saved (they keep what they held before).</translation>
    </message>
    <message>
        <source>%1：%2 バイト（%3 バイトまで）</source>
        <translation>%1: %2 bytes (at most %3)</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>qm::dCheckKeyCode</name>
    <message>
        <source>コードを調べる</source>
        <translation>Find a code</translation>
    </message>
    <message>
        <source>現在押されたキー：</source>
        <translation>Key pressed now:</translation>
    </message>
</context>
<context>
    <name>qm::wMenu</name>
    <message>
        <source>次のキャラクターを保存します。よろしいですか？%1</source>
        <translation>These characters will be saved. Go ahead?%1</translation>
    </message>
    <message>
        <source>セットの移動</source>
        <translation>Move Set</translation>
    </message>
    <message>
        <source>ブック%1 セット%2をブック%3 セット%4に移動しました</source>
        <translation>Moved book %1, set %2 to book %3, set %4</translation>
    </message>
    <message>
        <source>ブック%1 セット%2のコピー先</source>
        <translation>Copy book %1, set %2 to</translation>
    </message>
    <message>
        <source>「%1」のブック%2 セット%3</source>
        <translation>&quot;%1&quot;, book %2, set %3</translation>
    </message>
    <message>
        <source>ログイン中のキャラクターのマクロは、ゲームがログアウトやエリア移動のときに上書きします。</source>
        <translation>The game writes over the macros of the character logged in when it logs out or changes area.</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>名前をつけて保存</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>マクロ</source>
        <translation>Macros</translation>
    </message>
    <message>
        <source>文字カラー</source>
        <translation>Text Colours</translation>
    </message>
    <message>
        <source>環境設定</source>
        <translation>Game Settings</translation>
    </message>
    <message>
        <source>スクリーンショット</source>
        <translation>Screenshots</translation>
    </message>
    <message>
        <source>編集するキャラクターのフォルダを選択してください</source>
        <translation>Choose the character&apos;s folder to edit</translation>
    </message>
    <message>
        <source>「%1」にはキャラクターのマクロファイル（mcr.dat など）がありません。<byte value="xd"/>
<byte value="xd"/>
このフォルダを空のマクロとして開きますか？<byte value="xd"/>
「いいえ」を選ぶと、フォルダを選び直せます。</source>
        <translation>&quot;%1&quot; holds no macro files of a character (mcr.dat and the like).<byte value="xd"/>
<byte value="xd"/>
Open this folder with empty macros?<byte value="xd"/>
Choose &quot;No&quot; to pick another folder.</translation>
    </message>
    <message>
        <source>「%1」を読み込めませんでした。<byte value="xd"/>
ファイルではないか、読み込みが許可されていません。<byte value="xd"/>
このフォルダは開きません。</source>
        <translation>&quot;%1&quot; could not be read.<byte value="xd"/>
It is not a file, or reading it is not permitted.<byte value="xd"/>
The folder is not opened.</translation>
    </message>
    <message>
        <source>「%1」を読み込めませんでした。<byte value="xd"/>
%2<byte value="xd"/>
このフォルダは開きません。</source>
        <translation>&quot;%1&quot; could not be read.<byte value="xd"/>
%2<byte value="xd"/>
The folder is not opened.</translation>
    </message>
    <message>
        <source>警告！<byte value="xd"/>
このマクロは現在のバージョンと互換性がありません。保存をすると使えなくなる可能性があります。</source>
        <translation>Warning!<byte value="xd"/>
These macros are not compatible with the current version. Saving may make them unusable.</translation>
    </message>
    <message>
        <source>警告！<byte value="xd"/>
このマクロは現在のバージョンと互換性がありません。保存をすると使えなくなる可能性がありますがよろしいですか？</source>
        <translation>Warning!<byte value="xd"/>
These macros are not compatible with the current version. Saving may make them unusable. Save anyway?</translation>
    </message>
    <message>
        <source>保存する場所を選択してください</source>
        <translation>Choose where to save</translation>
    </message>
    <message>
        <source>クリップボードに書き込めませんでした。</source>
        <translation>The clipboard could not be written.</translation>
    </message>
    <message>
        <source>マクロの切り取り</source>
        <translation>Cut Macro</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>マクロの貼り付け</source>
        <translation>Paste Macro</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>デスクトップにドラッグすることでバックアップできます。バックアップは、この上にドラッグすることで復元できます。</source>
        <translation>Drag this to the desktop to back the set up; drag a backup onto it to restore the set.</translation>
    </message>
    <message>
        <source>レジストリ: HKLM\%1</source>
        <translation>Registry: HKLM\%1</translation>
    </message>
    <message>
        <source>Wineプレフィックスなし</source>
        <translation>No Wine prefix</translation>
    </message>
    <message>
        <source>Wineプレフィックス: %1&#x3000;%2</source>
        <translation>Wine prefix: %1   %2</translation>
    </message>
    <message>
        <source>ゲームのWineプレフィックスが見つかりません。ファイル メニューの「Wineプレフィックスを選択...」で選べます。</source>
        <translation>The game&apos;s Wine prefix was not found. Choose it with &quot;Choose Wine Prefix...&quot; in the File menu.</translation>
    </message>
    <message>
        <source>ゲームの入っている Wine プレフィックスのフォルダを選択してください</source>
        <translation>Choose the folder of the Wine prefix that holds the game</translation>
    </message>
    <message>
        <source>Wineプレフィックスを選択...</source>
        <translation>Choose Wine &amp;Prefix...</translation>
    </message>
    <message>
        <source>クイルモアの設定を保存できませんでした。</source>
        <translation>Quillmor&apos;s settings could not be saved.</translation>
    </message>
    <message>
        <source>PlayOnline を起動できませんでした。
%1</source>
        <translation>PlayOnline could not be started.
%1</translation>
    </message>
    <message>
        <source>システムの言語に合わせる</source>
        <translation>The system&apos;s language</translation>
    </message>
    <message>
        <source>大きさが344バイトではありません</source>
        <translation>is not 344 bytes long</translation>
    </message>
    <message>
        <source>MD5 が合いません</source>
        <translation>has a wrong MD5</translation>
    </message>
    <message>
        <source>読み込めません</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <translation>  </translation>
    </message>
    <message>
        <source>「%1」は%2。ブック%3〜%4の名前は表示も保存もしません。</source>
        <translation>&quot;%1&quot; %2. The names of books %3 to %4 are neither shown nor saved.</translation>
    </message>
    <message>
        <source>ほかの内容を保存しますか？</source>
        <translation>Save the rest?</translation>
    </message>
    <message>
        <source>保存しました（%1 ファイル）</source>
        <translation>Saved (%1 files)</translation>
    </message>
    <message>
        <source>名前をつけて保存しました: %1</source>
        <translation>Saved as: %1</translation>
    </message>
    <message>
        <source>&#x3000;保存されなかった欄: %1</source>
        <translation>  Fields not saved: %1</translation>
    </message>
    <message>
        <source>「%1」のレジストリにはゲームのキーがありません。<byte value="xd"/>
ゲームの設定はこのプレフィックスから読み書きしません（PlayOnline の起動には、ゲームのフォルダに届くときだけ使います）。</source>
        <translation>The registry of &quot;%1&quot; holds no keys of the game.<byte value="xd"/>
The game settings are not read from or written to this prefix (it starts PlayOnline only when its drives reach the game&apos;s folder).</translation>
    </message>
    <message>
        <source>PlayOnline を起動する Wine プレフィックスが見つかりません。<byte value="xd"/>
このまま起動すると Wine が空のプレフィックスを新しく作るため、起動しません。<byte value="xd"/>
<byte value="xd"/>
ゲームの入っている Wine プレフィックスのフォルダを選びますか？</source>
        <translation>No Wine prefix to start PlayOnline in was found.<byte value="xd"/>
Starting it now would make Wine create a new, empty prefix, so it is not started.<byte value="xd"/>
<byte value="xd"/>
Choose the folder of the Wine prefix that holds the game?</translation>
    </message>
    <message>
        <source>選んだプレフィックスのドライブからは「%1」に届かないため、起動しません。</source>
        <translation>The drives of the chosen prefix do not reach &quot;%1&quot;, so it is not started.</translation>
    </message>
    <message>
        <source>PlayOnline を起動しています…</source>
        <translation>Starting PlayOnline…</translation>
    </message>
    <message>
        <source>PlayOnline を起動しています…（Wineプレフィックス: %1）</source>
        <translation>Starting PlayOnline… (Wine prefix: %1)</translation>
    </message>
    <message>
        <source>すべてのキャラクターを保存</source>
        <translation>Save A&amp;ll Characters</translation>
    </message>
    <message>
        <source>キャラクターの表示名...</source>
        <translation>Character &amp;Label...</translation>
    </message>
    <message>
        <source>キャラクター:</source>
        <translation>Character:</translation>
    </message>
    <message>
        <source>編集するキャラクター。切り替えても、それぞれの変更と元に戻す履歴は残ります。</source>
        <translation>The character to edit. Each keeps its changes and its undo history when you switch.</translation>
    </message>
    <message>
        <source>「%1」の表示名（空にするとフォルダ名）:</source>
        <translation>Label for "%1" (empty: the folder name):</translation>
    </message>
    <message>
        <source>次のキャラクターに保存していない変更があります。すべて保存しますか？%1</source>
        <translation>These characters have unsaved changes. Save them all?%1</translation>
    </message>
    <message>
        <source>ブックのコピー</source>
        <translation>Copy Book</translation>
    </message>
    <message>
        <source>セットのコピー</source>
        <translation>Copy Set</translation>
    </message>
    <message>
        <source>ブック%1を「%2」のブック%3にコピーしました</source>
        <translation>Copied book %1 to book %3 of "%2"</translation>
    </message>
    <message>
        <source>セット%1を「%2」のブック%3 セット%4にコピーしました</source>
        <translation>Copied set %1 to book %3, set %4 of "%2"</translation>
    </message>
    <message>
        <source>検索(&amp;F)...</source>
        <translation>&amp;Find...</translation>
    </message>
    <message>
        <source>置換(&amp;R)...</source>
        <translation>&amp;Replace...</translation>
    </message>
    <message>
        <source>置換</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>キャラクターを選択</source>
        <translation>Choose a character</translation>
    </message>
</context>
<context>
    <name>qm::CopyTargetDialog</name>
    <message>
        <source>ブック%1 セット%2 のコピー先を選んでください。</source>
        <translation>Choose where to copy book %1, set %2.</translation>
    </message>
    <message>
        <source>キャラクター</source>
        <translation>Character</translation>
    </message>
    <message>
        <source>ブック</source>
        <translation>Book</translation>
    </message>
    <message>
        <source>セット</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>セット%1</source>
        <translation>Set %1</translation>
    </message>
    <message>
        <source>ブック全体（10セットとブック名）</source>
        <translation>Whole book (10 sets and its name)</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ブック%1</source>
        <translation>Book %1</translation>
    </message>
    <message>
        <source>ブック%1: %2</source>
        <translation>Book %1: %2</translation>
    </message>
</context>
</TS>
