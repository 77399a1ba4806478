#include "base/OwnTexts.h"

#include <cstddef>

#include "base/SjisText.h"

namespace pelto5 {

namespace {

struct TOwnTextEntry {
  TOwnText Id;
  const char* English;
  const char* Japanese;
};

// One line per text, in the order of TOwnText (checked below).
constexpr TOwnTextEntry kTexts[] = {
    {TOwnText::NothingToPlay, "There is nothing to play in this folder",
     "このフォルダには遊べるものが見つかりません"},
    {TOwnText::MoreThanOneGame, "There is more than one game in this folder; name the one to play",
     "このフォルダには遊べるものが複数あります。どれを遊ぶか指定してください"},
    {TOwnText::FileDamaged, "The file is damaged", "ファイルが破損しています"},
    {TOwnText::SaveFolderNotWritable, "The save folder cannot be written", "セーブフォルダに書き込めません"},
    {TOwnText::SavesGoTo, "Saves go to this folder instead", "セーブは次のフォルダに保存します"},
    {TOwnText::FileRefused1, "Cannot open the file \"", "ファイル「"},
    {TOwnText::FileRefused2, "\"\nA file name that points outside the data folder cannot be used.",
     "」を開けません\nデータフォルダの外を指すファイル名は使えません。"},
    {TOwnText::SaveFailed1, "The file \"", "ファイル「"},
    {TOwnText::SaveFailed2,
     "\" was not saved\nThe disk is full or writing is not allowed.\nThe previous file is kept as it was.",
     "」を保存できませんでした\nディスクの空きが足りないか、書き込みが許可されていません。\n"
     "以前のファイルはそのまま残っています。"},
    {TOwnText::SaveDirRefusedLine, "cannot write saves into --save-dir %1; they go to %2 instead",
     "--save-dir %1 にはセーブを書き込めません。セーブは %2 に保存します"},
    {TOwnText::StateDumpNotWritten, "cannot write the state dump %1", "実行状態を %1 に書き出せません"},
    {TOwnText::ScreenshotNotWritten, "cannot write the screenshot %1", "スクリーンショットを %1 に書き出せません"},
    {TOwnText::CallTooDeep1, "Pages call each other too deeply (at most ", "ページの呼び出しが深すぎます（"},
    {TOwnText::CallTooDeep2, " levels)\n\"", "段まで）\n「"},
    {TOwnText::CallTooDeep3, "\" book, \"", "」ブック、「"},
    {TOwnText::CallTooDeep4, "\" page", "」ページ"},
    {TOwnText::NoContent,
     "There is no game to play: none was named, and there is no\r\n\"%1\"\r\nbeside the player.\r\n"
     "Start the player with a game:\r\n    pelto5 GAME.pp5\r\n"
     "GAME.pp5 may also be a script file or a game folder. Opening a .pp5 file from the file manager "
     "starts it too.",
     "遊ぶゲームが指定されていません。プレイヤーの隣にも\r\n\"%1\"\r\nがありません。\r\n"
     "ゲームを指定して起動してください:\r\n    pelto5 GAME.pp5\r\n"
     "GAME.pp5 はスクリプトファイルやゲームフォルダでもかまいません。ファイルマネージャで .pp5 "
     "ファイルを開いても起動できます。"},
    {TOwnText::ChooseGameTitle, "Choose a game to play", "遊ぶゲームを選んでください"},
    {TOwnText::GameFiles, "Games", "ゲーム"},
    {TOwnText::AllFiles, "All files", "すべてのファイル"},
    {TOwnText::OkLabel, "OK", "OK"},
    {TOwnText::CancelLabel, "Cancel", "キャンセル"},
    {TOwnText::YesLabel, "Yes", "はい"},
    {TOwnText::NoLabel, "No", "いいえ"},
    {TOwnText::AbortLabel, "Abort", "中止"},
    {TOwnText::IgnoreLabel, "Ignore", "無視"},
    {TOwnText::Usage,
     "usage: pelto5 [options] [CONTENT]\n"
     "  -h, --help               usage\n"
     "  --version                version, and the versions of the libraries used\n"
     "  --scale N                initial window size as a multiple of the picture (1 to 16;\n"
     "                           default: the size saved at the last run, else 1)\n"
     "  --filter nearest|linear  how the picture is scaled to the window (default nearest)\n"
     "  --library FILE           the runtime library to use (default: peltort5.pml in the\n"
     "                           content's folder, else the player's folder, else the\n"
     "                           installed share/pelto5/)\n"
     "  --save-dir DIR           write saves and settings into DIR\n"
     "  --headless               run without a window, on a virtual clock\n"
     "  --events FILE            headless: scripted input\n"
     "  --max-time MS            headless: stop after MS virtual milliseconds (default 3600000)\n"
     "  --screenshot FILE        write the main screen as PNG at shutdown\n"
     "  --dump-state FILE        write the runtime state as UTF-8 text at shutdown\n"
     "  --answer abort|ignore|yes|no   headless: how question boxes are answered\n"
     "  --trace                  write every executed command to standard error\n"
     "  --trace-audio            headless: write every change of an audio channel to standard error\n"
     "  --check-frames           compose every frame in full as well, compare, and report at\n"
     "                           shutdown (a check of the player's own drawing)\n"
     "  --check                  check the scenario CONTENT and report its faults, without running it\n"
     "  --format gcc|json        --check: one FILE:LINE: line per finding (default), or a JSON array\n"
     "  --no-CHECK               --check: leave out one check (structure, commands, targets,\n"
     "                           resources, variables, header)\n"
     "  --                       ends the options (CONTENT may then start with \"-\")\n"
     "CONTENT is a package (.pp5), an executable with an appended package, a script\n"
     "file, or a game folder: its only .pp5 package, else its only executable with an\n"
     "appended package, else its pelto.pf5. Without CONTENT the content is this\n"
     "program's path with the extension \".pp5\"; when there is no such file, the\n"
     "window asks for one with the desktop's file chooser (zenity or kdialog), or\n"
     "says how to name one.\n"
     "Saves and settings go into the content's data directory; when that (or the\n"
     "--save-dir folder) cannot be written, into $XDG_DATA_HOME/pelto5/NAME/ (default\n"
     "~/.local/share/pelto5/NAME/, NAME being the content's file name without\n"
     "extension, or the game folder's name for its pelto.pf5, with a hash of the path\n"
     "added when another game has that NAME). Saves are read from there first, then\n"
     "from the data directory.\n"
     "Reader keys: Ctrl held skips message waits; A turns auto-advance on and off;\n"
     "wheel up or Page Up opens the message history (Escape or a right click closes it);\n"
     "F12 saves a screenshot into the save folder. Headless events reach them as\n"
     "\"MS key-down ctrl\", \"MS key-up ctrl\", \"MS key 65\", \"MS wheel N\" and \"MS key 123\".\n"
     "Messages are in Japanese when the locale (LC_ALL, LC_MESSAGES or LANG) is Japanese,\n"
     "else in English.\n"
     "Exit status: 0 normal end, 1 content could not be opened, 2 bad command line,\n"
     "3 headless run stopped by --max-time, 4 no display for the window (use --headless).\n",
     "使い方: pelto5 [オプション] [CONTENT]\n"
     "  -h, --help               この使い方\n"
     "  --version                バージョンと、使っているライブラリのバージョン\n"
     "  --scale N                ウィンドウの最初の大きさ（画面の N 倍、1 から 16。\n"
     "                           既定: 前回保存した大きさ、なければ 1）\n"
     "  --filter nearest|linear  画面をウィンドウに合わせて拡大する方法（既定 nearest）\n"
     "  --library FILE           使うランタイムライブラリ（既定: コンテンツのフォルダの\n"
     "                           peltort5.pml、なければプレイヤーのフォルダ、なければ\n"
     "                           インストール先の share/pelto5/）\n"
     "  --save-dir DIR           セーブと設定を DIR に書き込む\n"
     "  --headless               ウィンドウを開かず、仮想の時計で実行する\n"
     "  --events FILE            headless: 入力の台本\n"
     "  --max-time MS            headless: 仮想の時間で MS ミリ秒たったら止める（既定 3600000）\n"
     "  --screenshot FILE        終了時にメイン画面を PNG で書き出す\n"
     "  --dump-state FILE        終了時に実行状態を UTF-8 のテキストで書き出す\n"
     "  --answer abort|ignore|yes|no   headless: 質問のボックスへの答え方\n"
     "  --trace                  実行したコマンドをすべて標準エラーに書く\n"
     "  --trace-audio            headless: オーディオチャンネルの変化をすべて標準エラーに書く\n"
     "  --check-frames           毎フレームを全面でも合成して比べ、終了時に報告する\n"
     "                           （プレイヤー自身の描画の検査）\n"
     "  --check                  シナリオ CONTENT を実行せずに検査して問題を報告する\n"
     "  --format gcc|json        --check: 指摘ごとに FILE:LINE: の行（既定）、または JSON の配列\n"
     "  --no-CHECK               --check: 検査をひとつ外す（structure, commands, targets,\n"
     "                           resources, variables, header）\n"
     "  --                       オプションの終わり（そのあとの CONTENT は \"-\" で始まってもよい）\n"
     "CONTENT はパッケージ（.pp5）、パッケージを付けた実行ファイル、スクリプトファイル、\n"
     "またはゲームフォルダです。ゲームフォルダでは、その中のただひとつの .pp5 パッケージ、\n"
     "なければただひとつのパッケージ付き実行ファイル、なければ pelto.pf5 を遊びます。\n"
     "CONTENT がなければ、このプログラムのパスの拡張子を \".pp5\" にしたファイルを遊びます。\n"
     "そのファイルもなければ、デスクトップのファイル選択（zenity か kdialog）でたずねるか、\n"
     "ゲームの指定のしかたを表示します。\n"
     "セーブと設定はコンテンツのデータフォルダに保存します。そこ（または --save-dir の\n"
     "フォルダ）に書き込めないときは $XDG_DATA_HOME/pelto5/NAME/（既定\n"
     "~/.local/share/pelto5/NAME/）に保存します。NAME はコンテンツのファイル名から拡張子を\n"
     "除いたもの、ゲームフォルダの pelto.pf5 ではフォルダの名前で、ほかのゲームが同じ NAME を\n"
     "使っているときはパスのハッシュを付けます。セーブはまずそこから、次にデータフォルダから\n"
     "読みます。\n"
     "読むときのキー: Ctrl を押している間はメッセージの待ちを飛ばします。A で自動送りの\n"
     "入と切。ホイールを上か Page Up でメッセージの履歴を開きます（Escape か右クリックで\n"
     "閉じる）。F12 でセーブフォルダにスクリーンショットを保存します。headless のイベントでは\n"
     "\"MS key-down ctrl\"、\"MS key-up ctrl\"、\"MS key 65\"、\"MS wheel N\"、\"MS key 123\" です。\n"
     "メッセージはロケール（LC_ALL、LC_MESSAGES、LANG）が日本語なら日本語、ほかは英語です。\n"
     "終了ステータス: 0 正常終了、1 コンテンツを開けなかった、2 コマンドラインの誤り、\n"
     "3 headless の実行が --max-time で止まった、4 ウィンドウを開くディスプレイがない\n"
     "（--headless を使ってください）。\n"},
    {TOwnText::NeedsValue, "option %1 needs a value", "オプション %1 には値が必要です"},
    {TOwnText::MoreThanOneContent, "more than one content file: %1", "コンテンツが二つ以上あります: %1"},
    {TOwnText::ScaleRange, "--scale needs an integer from 1 to 16, not \"%1\"",
     "--scale には 1 から 16 の整数を指定してください（\"%1\" ではなく）"},
    {TOwnText::FilterValues, "--filter takes nearest or linear, not \"%1\"",
     "--filter には nearest か linear を指定してください（\"%1\" ではなく）"},
    {TOwnText::MaxTimeValue, "--max-time needs a number of milliseconds, not \"%1\"",
     "--max-time にはミリ秒の数を指定してください（\"%1\" ではなく）"},
    {TOwnText::AnswerValues, "--answer takes abort, ignore, yes or no, not \"%1\"",
     "--answer には abort、ignore、yes、no のどれかを指定してください（\"%1\" ではなく）"},
    {TOwnText::FormatValues, "--format takes gcc or json, not \"%1\"",
     "--format には gcc か json を指定してください（\"%1\" ではなく）"},
    {TOwnText::UnknownOption, "unknown option %1", "知らないオプションです: %1"},
    {TOwnText::CheckNeedsContent, "--check needs a CONTENT to check", "--check には検査する CONTENT が必要です"},
    {TOwnText::EventsNeedHeadless, "--events needs --headless", "--events には --headless が必要です"},
    {TOwnText::OutputFolderMissing, "%1 %2: the folder %3 does not exist", "%1 %2: フォルダ %3 がありません"},
    {TOwnText::PauseLabel, "Pause", "一時停止"},
    {TOwnText::ResumeLabel, "Resume", "再開"},
    {TOwnText::StepLabel, "Step", "ステップ"},
    {TOwnText::BreakValue, "--break takes BOOK/PAGE or BOOK/PAGE#INDEX, not \"%1\"",
     "--break には BOOK/PAGE か BOOK/PAGE#INDEX を指定してください（\"%1\" ではなく）"},
    {TOwnText::TestNeedsContent, "--test needs a CONTENT to test", "--test にはテストする CONTENT が必要です"},
    {TOwnText::JUnitNeedsTest, "--junit needs --test", "--junit には --test が必要です"},
    {TOwnText::WatchPackage, "--watch: %1 is a package, which cannot be edited in place; nothing is watched",
     "--watch: %1 はパッケージで、その場で編集できないため、何も監視しません"},
    {TOwnText::ReloadWithoutWatch, "a reload event without --watch does nothing",
     "--watch なしの reload イベントは何もしません"},
    {TOwnText::RecordNotWritten, "--record %1: the recording cannot be written; this run is not recorded",
     "--record %1: 記録を書き込めません。この実行は記録しません"},
    {TOwnText::AuthorUsage,
     "For authors:\n"
     "  --break BOOK/PAGE[#INDEX]  pause before that command (default the page's first;\n"
     "                           repeatable); opens the debug window, whose Pause, Resume\n"
     "                           and Step controls (F5, F10) go on from there. Headless:\n"
     "                           \"MS debug-pause\", \"MS debug-resume\", \"MS debug-step\"\n"
     "  --test DIR               play every DIR/*.events headless and compare each\n"
     "                           \"shot NAME.png\" with DIR/NAME.png (a missing one is written;\n"
     "                           a different one leaves NAME.diff.png). Exit status 0 all\n"
     "                           equal, 1 a difference, 2 bad input\n"
     "  --junit FILE             --test: also write a JUnit XML report\n"
     "  --watch                  when the script or a file of its folder changes, read the\n"
     "                           script again and restart the current page (not packages).\n"
     "                           Headless runs reload only at \"MS reload\"\n"
     "  --record FILE            write the input as an events file that --headless --events\n"
     "                           replays to the same state (F12 pictures become shot lines)\n",
     "作者のために:\n"
     "  --break BOOK/PAGE[#INDEX]  そのコマンドの前で一時停止する（既定はページの最初のコマンド。\n"
     "                           繰り返し指定できる）。デバッグウィンドウを開き、その一時停止・\n"
     "                           再開・ステップ（F5、F10）で続ける。headless では\n"
     "                           \"MS debug-pause\"、\"MS debug-resume\"、\"MS debug-step\"\n"
     "  --test DIR               DIR/*.events をすべて headless で実行し、\"shot NAME.png\" を\n"
     "                           DIR/NAME.png と比べる（ないものは書き出し、違うものは\n"
     "                           NAME.diff.png を残す）。終了ステータス 0 すべて同じ、\n"
     "                           1 違いがある、2 入力の誤り\n"
     "  --junit FILE             --test: JUnit XML の報告も書き出す\n"
     "  --watch                  スクリプトかそのフォルダのファイルが変わったら、スクリプトを\n"
     "                           読み直して今のページを最初からやり直す（パッケージは不可）。\n"
     "                           headless では \"MS reload\" のときだけ読み直す\n"
     "  --record FILE            入力を、--headless --events で同じ状態まで再生できるイベント\n"
     "                           ファイルに書き出す（F12 の画像は shot の行になる）\n"},
    {TOwnText::ReadingUsage,
     "Reading aids:\n"
     "  --text-out DEST          write every message page, message box and text-input\n"
     "                           prompt as it begins to show: DEST is - (standard output)\n"
     "                           or a file, FIFO or named pipe (appended), one JSON object\n"
     "                           a line, or clipboard (the text alone; headless:\n"
     "                           \"clipboard: TEXT\" on standard error)\n"
     "  --extract-text           write a PO template of every message text of CONTENT to\n"
     "                           standard output, without running it\n"
     "  --translation FILE.po    show the messages in FILE.po's translation where it has\n"
     "                           one for the text the script has now\n"
     "Tab, Shift+Tab and the arrow keys move a focus ring over the choices and clickable\n"
     "areas of a wait, Enter or Space clicks it; a game controller works too. V turns\n"
     "reading aloud on and off (kept in $XDG_CONFIG_HOME/pelto5/player.ini).\n",
     "読書の助け:\n"
     "  --text-out DEST          メッセージの各ページ、メッセージボックス、文字入力の問いを\n"
     "                           表示し始めるときに書き出す: DEST は - （標準出力）か\n"
     "                           ファイル、FIFO か名前付きパイプ（追記、1 行に JSON\n"
     "                           オブジェクト一つ）、\n"
     "                           または clipboard（テキストだけ。headless では標準エラーに\n"
     "                           \"clipboard: TEXT\"）\n"
     "  --extract-text           CONTENT のすべてのメッセージのテキストを PO テンプレートとして\n"
     "                           標準出力に書き出す（実行はしない）\n"
     "  --translation FILE.po    FILE.po に今のスクリプトのテキストの翻訳があれば、それを\n"
     "                           メッセージに表示する\n"
     "Tab、Shift+Tab、矢印キーで待ちの選択肢やクリックできる領域にフォーカスの枠を動かし、\n"
     "Enter か Space でクリックします。ゲームコントローラーも使えます。V で読み上げを\n"
     "オン・オフします（$XDG_CONFIG_HOME/pelto5/player.ini に残ります）。\n"},
    {TOwnText::TextOutDropped, "--text-out %1: a line could not be written at once and was dropped (nobody "
                               "reading?); later lines that cannot go out are dropped too",
     "--text-out %1: すぐに書き込めない行を捨てました（読み手がいない？）。この後も書き込めない行は捨てます"},
    {TOwnText::NoClipboard, "--text-out clipboard: there is no clipboard here; the texts are not kept",
     "--text-out clipboard: ここにはクリップボードがありません。テキストは残りません"},
    {TOwnText::NoSpeechService,
     "reading aloud needs a speech service (speech-dispatcher with a voice such as espeak-ng); there is none",
     "読み上げには音声サービス（speech-dispatcher と espeak-ng などの声）が必要ですが、見つかりません"},
    {TOwnText::SpeechOn, "reading aloud on", "読み上げ オン"},
    {TOwnText::SpeechOff, "reading aloud off", "読み上げ オフ"},
    {TOwnText::ExtractNeedsContent, "--extract-text needs a CONTENT to take the texts from",
     "--extract-text にはテキストを取り出す CONTENT が必要です"},
};

constexpr bool InOrder() {
  size_t i = 0;
  for (const TOwnTextEntry& entry : kTexts) {
    if (static_cast<size_t>(entry.Id) != i++) return false;
  }
  return i == static_cast<size_t>(TOwnText::Count);
}
static_assert(InOrder(), "kTexts holds every TOwnText once, in order");

bool StartsWithJa(const char* value) { return value[0] == 'j' && value[1] == 'a'; }

}  // namespace

const char* OwnTextUtf8(TOwnText id, TLanguage language) {
  const size_t index = static_cast<size_t>(id);
  if (index >= static_cast<size_t>(TOwnText::Count)) return "";
  const TOwnTextEntry& entry = kTexts[index];
  return language == TLanguage::Japanese ? entry.Japanese : entry.English;
}

std::string OwnText(TOwnText id, TLanguage language) { return sjis::FromUtf8(OwnTextUtf8(id, language)); }

TLanguage LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value && *value) return StartsWithJa(value) ? TLanguage::Japanese : TLanguage::English;
  }
  return TLanguage::English;
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
      if (n < values.size()) {
        out += *(values.begin() + n);
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

}  // namespace pelto5
