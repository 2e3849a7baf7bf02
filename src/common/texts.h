// Every text the plug-in shows or compares, in one table: the names and the bilingual pairs
// (Japanese as designed, English as set when the language is not Japanese). UTF-8; the Win32
// layer converts where a window or the host needs another encoding.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "common/version.h"

namespace pinote {

inline constexpr char kPluginName[] = "Quillet for Becky!2";
inline constexpr char kVersionText[] = PINOTE_VERSION_TEXT;
inline constexpr char kVendorText[] = "Quillet for Becky!2 contributors";
inline constexpr char kLibraryFileName[] = "Pinote.dll";

struct UiText {
  const char* japanese;
  const char* english;
};

// The text of `t` in the chosen language.
[[nodiscard]] constexpr const char* Pick(const UiText& t, bool japanese) noexcept {
  return japanese ? t.japanese : t.english;
}

// A table text's `pattern` with %1 to %9 replaced by the arguments (a number past the last
// argument, and any other "%", is kept as written). Arguments are put in as they are, never
// searched again.
[[nodiscard]] std::string FillText(std::string_view pattern,
                                   std::initializer_list<std::string_view> args);

namespace ui {

// The face of the default font, when no font is stored for the language (9 points).
inline constexpr UiText kDefaultFontFace{"ＭＳ Ｐゴシック", "Arial"};
inline constexpr UiText kDescription{"メモ書きプラグイン", "Memo Plugin"};
// Message boxes without a caption of their own (what happened to the files, failures) carry the
// plug-in's name; the version-mismatch box keeps the library's short name.
inline constexpr UiText kPluginNameTitle{kPluginName, kPluginName};
inline constexpr UiText kVersionMismatchTitle{"Pinote", "Pinote"};
inline constexpr UiText kVersionMismatch{
    "Quillet for Becky!2 のバージョンと\r\nBecky! のバージョンが合っていないようです。\r\n\r\n"
    "Quillet for Becky!2 のバージョンは\r\n" PINOTE_VERSION_TEXT " です。",
    "Version Mismatch\r\nbetween Quillet for Becky!2 & Becky!\r\n\r\n"
    "Quillet for Becky!2 is " PINOTE_VERSION_TEXT "."};

// The host's menus: what the plug-in adds, and the host's own texts it looks for (both
// languages are looked for, whatever the plug-in's language).
inline constexpr UiText kPluginHelpMenu{"プラグインヘルプ", "Plugin Help"};
inline constexpr UiText kAboutPluginsMenu{"プラグインについて", "About Plugins"};
inline constexpr UiText kOpenMemoItem{"Quilletを開く", "Open the Quillet"};
inline constexpr UiText kAppendItem{"Quilletに選択文字列を追加",
                                    "Quillet: Append the selected string"};
inline constexpr UiText kHostHelpMenu{"ヘルプ", "&Help"};
inline constexpr UiText kHostToolMenu{"ツール", "&Tool"};
inline constexpr UiText kHostAboutItem{"Becky!について", "&About \"Becky!\""};

// Help file missing, naming every file tried: "<Pinote.hlp> がありません\r\n<Pinote.html> がありません
// \r\n<PinoteE.html> がありません", or "<PinoteE.hlp>\r\nnor\r\n<Pinote.hlp>\r\nnor\r\n<PinoteE.html>
// \r\nnor\r\n<Pinote.html>\r\nis not found."
inline constexpr UiText kHelpMissingTitle{"エラー", "Error"};
inline constexpr char kHelpMissingJapanese[] = " がありません";
inline constexpr char kHelpMissingNor[] = "\r\nnor\r\n";
inline constexpr char kHelpMissingEnd[] = "\r\nis not found.";

// Memo window.
inline constexpr UiText kImportant{"重要", "Important"};
inline constexpr UiText kSender{"差出人", "Sender"};
inline constexpr UiText kSenderAddress{"差出人のアドレス", "Sender Address"};
inline constexpr UiText kOtherAddress{"差出人の他のアドレス", "Other Address"};
inline constexpr UiText kCannotKeep{"このアドレスのメモは保存できません",
                                    "No memo can be kept for this address"};
inline constexpr UiText kToolMenu{"ツール(&T)", "&Tool"};
inline constexpr UiText kLookItem{"指定したデータを見る (&Look) ...", "&Look"};
// "H" is Hide's key in the same menu.
inline constexpr UiText kHistoryItem{"このメモの履歴を見る (H&istory) ...", "H&istory"};
inline constexpr UiText kUnifyItem{"他のアドレスと統合する (&Unify) ...", "&Unify"};
inline constexpr UiText kSeparateItem{"他のアドレスと分離する (&Separate) ...", "&Separate"};
inline constexpr UiText kHideItem{"このウィンドウを隠す (&Hide)", "&Hide"};
inline constexpr UiText kOptionItem{"オプション (&Option) ...", "&Option"};
inline constexpr UiText kHelpMenu{"ヘルプ(&H)", "&Help"};
inline constexpr UiText kContentsItem{"目次 (&Contents)", "&Contents"};
inline constexpr UiText kVersionItem{"バージョン情報 (&Version) ...", "&Version"};
// The memo for everyone at a domain; %1 is the domain ("example.co.jp").
inline constexpr UiText kDomainMemoItem{"%1 の全員に共通のメモ (&Memo)",
                                        "&Memo for everyone at %1"};
inline constexpr UiText kDomainMemoHint{"%1 の全員に共通のメモもあります",
                                        "There is also a memo for everyone at %1"};
inline constexpr UiText kPersonAndDomainTitle{"個人とドメイン", "Person and Domain"};
inline constexpr UiText kPersonAndDomain{
    "個人のアドレスとドメインは統合できません。ドメインのメモはそのドメインの全員に共通です。",
    "Can't unify a person with a domain: a domain memo is for everyone at the domain."};
inline constexpr UiText kCopyTitle{"差出人", "Sender"};
inline constexpr UiText kCopyQuestion{"クリップボードに入れますか？", "Copy to the Clipboard?"};
inline constexpr UiText kSameAddressTitle{"同一アドレス", "Same Address"};
inline constexpr UiText kSameAddress{"同じアドレスに統合することはできません。",
                                     "Can't unify with the same address."};
inline constexpr UiText kUnifiedTitle{"統合済み", "Unified"};
inline constexpr UiText kUnified{"既に統合されています。",
                                 "These addresses have already been unified."};
// Unify with an address that Pinote.dat cannot hold (empty, or starting with a space or "@").
inline constexpr UiText kCannotUnifyTitle{"統合できません", "Cannot Unify"};
inline constexpr UiText kCannotUnify{"このアドレスのメモは保存できないため、統合できません。",
                                     "This address cannot be kept in the memo file, so it "
                                     "cannot be unified."};
// Characters typed into a memo that the system's code page cannot hold; they follow the text.
inline constexpr UiText kUnkeptCharacters{
    "次の文字はメモに保存できないため、「?」として保存されます。",
    "These characters cannot be kept in the memo file and are saved as \"?\"."};

// A memo line's link that may start a program (or reach another computer), before it is
// opened; the target follows the question.
inline constexpr UiText kOpenLinkTitle{"プログラムの起動", "Start a Program?"};
inline constexpr UiText kOpenLinkQuestion{
    "メモの行が次のものを開こうとしています。プログラムが起動するおそれがあります。\r\n"
    "開きますか？",
    "The memo line asks to open the following, which may start a program.\r\nOpen it?"};

// What happened on disk, told once in a box captioned with the plug-in's name; %1... are filled
// in. The counts: one person or setting, or several.
inline constexpr UiText kConflictCopyNotice{
    "このメモは別の所でも同時に変更されていました。こちらで入力した内容を保存し、もう一方の内容は次のファイルに残しました:\r\n%1",
    "This memo was also changed elsewhere at the same time. Your text was saved; the other "
    "version is kept in\r\n%1"};
inline constexpr UiText kOnePerson{"1 人分のメモ", "1 person"};
inline constexpr UiText kPeople{"%1 人分のメモ", "%1 people"};
inline constexpr UiText kOneSetting{"1 件の設定", "1 setting"};
inline constexpr UiText kSettings{"%1 件の設定", "%1 settings"};
inline constexpr UiText kCopyMergedAndMoved{
    "%2（%3 の競合コピー）から %1を取り込み、元のファイルを次の場所に移しました:\r\n%4",
    "%1 merged from %2 (a %3 conflict copy), moved to\r\n%4"};
inline constexpr UiText kCopyMergedNotMoved{
    "%2（%3 の競合コピー）から %1を取り込みました。このファイルは移せなかったため元の場所に残しますが、もう取り込みません:\r\n%4",
    "%1 merged from %2 (a %3 conflict copy); it could not be moved and stays where it is, but "
    "it is not merged again:\r\n%4"};
inline constexpr UiText kCopyUnreadable{
    "%1（%2 の競合コピー）は読めなかったため、そのままにしました。後でもう一度読みます:\r\n%3",
    "%1 (a %2 conflict copy) could not be read and was left alone; it is read again "
    "later:\r\n%3"};
// A file that a sync tool may have made, though the user may have named a file of their own so:
// %1 the file, %2 the tool, %3 the file it would be a copy of, %4 the merged folder.
inline constexpr UiText kPossibleCopyQuestion{
    "%1 は、%2 が別のコンピューターで作った %3 の競合コピーかもしれません。\r\n\r\n"
    "%3 に取り込みますか？ 取り込むと中身を加え、このファイルは %4 に移します。"
    "ご自分で作ったファイルなら「いいえ」を選んでください。そのまま残し、もう尋ねません。",
    "%1 may be a conflict copy that %2 made of %3 on another computer.\r\n\r\n"
    "Merge it into %3? Its contents are added and the file is moved to %4. If you made this "
    "file yourself, answer No: it is left as it is and not asked about again."};
inline constexpr UiText kCopyNotMemoFile{
    "%1（%2 の競合コピー）にはメモがないため、そのままにしました。",
    "%1 (a %2 conflict copy) holds no memo and was left alone."};
// A save of Pinote.dat that failed: one box when the trouble starts, and a note in the memo
// window until a save succeeds again.
inline constexpr UiText kSaveBusy{
    "他のプログラムがメモのファイルを保存中のため、変更をまだ保存できません:\r\n%1\r\n\r\n"
    "入力した内容は失われず、次の変更と一緒に保存されます。",
    "Another program is saving the memo file, so your change is not saved yet:\r\n%1\r\n\r\n"
    "Your text is kept and saved with the next change."};
inline constexpr UiText kSaveFailed{
    "変更を保存できませんでした:\r\n%1\r\n\r\n%2\r\n\r\n"
    "入力した内容は失われず、次の変更と一緒に保存されます。",
    "Your change could not be saved to\r\n%1\r\n\r\n%2\r\n\r\n"
    "Your text is kept and saved with the next change."};
inline constexpr UiText kBusyNote{"未保存: 他のプログラムがメモのファイルを保存中です",
                                  "Not saved yet: another program is saving the memo file"};
inline constexpr UiText kFailedNote{"未保存: メモのファイルに書き込めません",
                                    "Not saved yet: the memo file cannot be written"};
// The last try, when the memo window goes, to save edits that failed saves left in memory.
inline constexpr UiText kNotSavedAtEnd{
    "最後の変更を保存できませんでした:\r\n%1\r\n\r\n%2\r\n\r\nこの変更は保存されずに失われます。",
    "Your last changes could not be saved to\r\n%1\r\n\r\n%2\r\n\r\nThey are lost."};
// Any other file another program held locked through the wait (the settings file).
inline constexpr UiText kFileBusy{
    "他のプログラムが次のファイルを保存中のため、今は保存できませんでした:\r\n%1\r\n\r\n"
    "内容は失われず、次の機会に保存されます。",
    "Another program is saving this file, so it was not saved now:\r\n%1\r\n\r\n"
    "Nothing is lost: it is saved the next time."};

// Unify dialog; its OK button says what the command does.
inline constexpr UiText kKeyword{"絞り込みのキーワード", "Keyword"};
inline constexpr UiText kAddressList{"アドレスのリスト", "Address List"};
inline constexpr UiText kMemoForAddress{"選択したアドレスのメモ", "Memo for the Address"};
inline constexpr UiText kUnifyOk{"統合", "OK"};
inline constexpr UiText kLookButton{"見る", "See"};
inline constexpr UiText kUnifyButton{"統合する", "Unify"};
inline constexpr UiText kCancel{"キャンセル", "Cancel"};

// History dialog: the earlier texts of the shown memo, %1 the shown address in its title; each
// line says where its text came from, %1 the file.
inline constexpr UiText kHistoryTitle{"メモの履歴 - %1", "Memo History - %1"};
inline constexpr UiText kHistoryWhen{"日時", "When"};
inline constexpr UiText kHistoryFrom{"取り出し元", "From"};
inline constexpr UiText kHistoryText{"選択した時点のメモ", "Memo at That Time"};
inline constexpr UiText kHistoryCopy{"コピー(&C)", "&Copy"};
inline constexpr UiText kHistoryRestore{"このメモに戻す(&R)", "&Restore"};
inline constexpr UiText kClose{"閉じる", "Close"};
inline constexpr UiText kFromDailyBackup{"毎日のバックアップ %1", "daily backup %1"};
inline constexpr UiText kFromConflictCopy{"競合の控え %1", "conflict copy %1"};
inline constexpr UiText kFromSyncToolCopy{"同期ソフトのコピー %1", "sync-tool copy %1"};
inline constexpr UiText kNoEarlierText{"以前の内容はありません。", "No earlier text is kept."};
inline constexpr UiText kOneFileUnread{"読めないファイルが 1 個あります。",
                                       "1 file could not be read."};
inline constexpr UiText kFilesUnread{"読めないファイルが %1 個あります。",
                                     "%1 files could not be read."};
// Restore over a memo that no kept file holds: it could not be brought back afterwards.
inline constexpr UiText kRestoreTitle{"メモを戻す", "Restore"};
inline constexpr UiText kRestoreLosesCurrent{
    "今のメモはどのバックアップにも残っていないため、戻すと今の内容は失われます。\r\n戻しますか？",
    "The memo as it is now is in no backup: restoring loses it.\r\nRestore anyway?"};

// Options dialog.
inline constexpr UiText kViewPage{"表示", "View"};
inline constexpr UiText kFontPage{"フォント", "Font"};
inline constexpr UiText kAppearPage{"見え隠れ", "Appear/Disappear"};
inline constexpr UiText kNameListPage{"名簿", "Name List"};
inline constexpr UiText kAlwaysTop{"常に手前に表示する", "Always Top"};
inline constexpr UiText kShowImportance{"重要かどうかを表示する", "Show Importance Check"};
inline constexpr UiText kShowSender{"差出人を表示する", "Show Sender"};
inline constexpr UiText kShowAddress{"差出人のアドレスを表示する", "Show Sender Address"};
inline constexpr UiText kShowOtherAddress{"差出人の他のアドレスを表示する", "Show Other Address"};
inline constexpr UiText kFontSample{" フォント見本", "Font Sample"};
inline constexpr UiText kFontButton{"フォント ...", "Font ..."};
inline constexpr UiText kBackgroundButton{"背景色 ...", "Background ..."};
inline constexpr UiText kStandardButton{"標準", "Standard"};
inline constexpr UiText kAppearOnStart{"起動時に現す", "Appear on Start"};
inline constexpr UiText kOnLoading{"メールを開いたとき", "On Loading a Mail"};
inline constexpr UiText kAppearAlways{"常に現わす", "Always Appear"};
inline constexpr UiText kAppearIfMemo{"メモがあれば現わす", "Appear if Memo exists"};
inline constexpr UiText kAppearIfImportant{"重要なメモがあれば現わす",
                                           "Appear if Important memo exists"};
inline constexpr UiText kAppearNever{"現わさない", "Not Appear"};
inline constexpr UiText kDisappearNever{"隠さない", "Not Disappear"};
inline constexpr UiText kDisappearIfNoMemo{"メモがなければ隠す", "Disappear if Memo doesn't exist"};
inline constexpr UiText kDisappearIfNotImportant{"重要なメモがなければ隠す",
                                                 "Disappear if Important memo doesn't exist"};
inline constexpr UiText kDisappearAlways{"常に隠す", "Always Disappear"};
inline constexpr UiText kNameListFile{"名簿ファイル", "Path of Name List File"};
inline constexpr UiText kBrowse{"...", "..."};
inline constexpr UiText kOk{"ＯＫ", "OK"};
inline constexpr UiText kHelp{"ヘルプ", "Help"};
// The file chooser's filter, "|" between its parts; the same Japanese text in both languages.
inline constexpr char kNameListFilter[] =
    "データファイル (*.dat)|*.dat|すべてのファイル (*.*)|*.*|";

// About dialog: the copyright and licence lines are not translated; the last two tell where the
// help and the memo files are, the folder being filled in when the dialog opens.
inline constexpr UiText kAboutTitle{"Pinote について", "About Pinote"};
inline constexpr char kCopyrightLine[] = "(C) 2026 Quillet for Becky!2 contributors";
inline constexpr char kLicenceLine[] = "MIT License";
inline constexpr UiText kFilesFolderLine{"ヘルプとメモのファイルがあるフォルダー：",
                                         "Help and memo files are in:"};

}  // namespace ui
}  // namespace pinote
