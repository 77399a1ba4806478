#include "base/MessageTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/SjisText.h"

namespace pelto5::msg {
namespace {

struct TSpelledText {
  const char* Name;
  const char* Entry;
  const char* Utf8;
};

// Each escaped entry against its text as the user reads it: a slip in one
// escape (a wrong byte, a lost byte) makes the conversion differ.
TEST(MessageTexts, EscapesSpellTheJapaneseTexts) {
  const TSpelledText texts[] = {
      {"kUnknownBlock", kUnknownBlock,
       "ファイル内に未知のブロックが存在します\r\nファイル保護のため処理を停止します\r\n"},
      {"kTooManyCommands", kTooManyCommands, "１ページあたりのコマンド数が多すぎます"},
      {"kTooManyPageLines", kTooManyPageLines, "１ページあたりの行数が多すぎます"},
      {"kLineTooLong", kLineTooLong, "ファイルが破損しています\r\n[Line too long: line "},
      {"kUnpairedDollar", kUnpairedDollar, "メッセージ解析エラー：\"$\"の数が合いません。"},
      {"kUnpairedPercent", kUnpairedPercent, "メッセージ解析エラー：\"%\"の数が合いません。"},
      {"kNotFound", kNotFound, "が見つかりません"},
      {"kBadHeaderId", kBadHeaderId,
       "ファイルのヘッダIDが違います。\nこのファイルはペルトフォージ５で利用できるファイルではありません"},
      {"kBadFileType", kBadFileType, "ファイルタイプが違います\nこのファイルは正常に読み込めないかもしれません"},
      {"kNewerCommands", kNewerCommands,
       "このファイルには現バージョンで対応していない\nコマンドが含まれている可能性があります\n"
       "最新版のペルトフォージを入手することをおすすめします"},
      {"kCreateDataFolder1", kCreateDataFolder1, "実行に必要なファイルの展開や、セーブファイルの保存のため\r\n\""},
      {"kCreateFolder2", kCreateFolder2, "\" フォルダを作成します。\r\nよろしいですか？"},
      {"kCreateFolderFailed", kCreateFolderFailed, "フォルダの作成に失敗しました"},
      {"kBadLayerKind", kBadLayerKind, "Layer Section が不正です\nfail from TLayerCtrl::GetSectionName()"},
      {"kImageFailed1", kImageFailed1, "画像ファイル「"},
      {"kImageFailed2", kImageFailed2,
       "」の読み込みに失敗しました\nこのファイルが存在しないか、このファイルを読み込むためのSusieプラグインが必要です。"},
      {"kDynamicLayerFail", kDynamicLayerFail,
       "debug - Dynamic layer create fail \r\nダイナミックレイヤーの生成に失敗しました"},
      {"kBrokenSaveStack", kBrokenSaveStack,
       "セーブファイルが異常です。スタックの取得に失敗しました。\n処理を続けることができません。"},
      {"kIfWithoutEndif", kIfWithoutEndif, "ブロック構文エラー\r\nＩＦコマンドに対応するＥＮＤＩＦがありません"},
      {"kElseWithoutEndif", kElseWithoutEndif,
       "ブロック構文エラー\r\nＥＬＳＥコマンドに対応するＥＮＤＩＦがありません"},
      {"kStackUnderflow", kStackUnderflow,
       "スタックアンダーフローです。\nサブルーチンコールが行われていないのに\n復帰しようとしました。"},
      {"kDivisionByZero", kDivisionByZero, "debug: error report:\n ０で除算しました"},
      {"kImageLoadError1", kImageLoadError1, "画像「"},
      {"kImageLoadError2", kImageLoadError2, "」の読み込みができません"},
      {"kCreateSaveFolder1", kCreateSaveFolder1, "セーブファイルの保存のため\r\n\""},
      {"kBadSaveVariable", kBadSaveVariable, "セーブコントロール：\n代入先の変数名が不正です"},
      {"kUnknownSystem1", kUnknownSystem1, "debug: error report:\n不明なシステムコマンド「"},
      {"kUnknownSystem2", kUnknownSystem2, "」が発行されました"},
      {"kMissingPage1", kMissingPage1, "存在しないページへのアクセスが発生しました。\n「"},
      {"kMissingPage2", kMissingPage2, "」ブック、「"},
      {"kMissingPage3", kMissingPage3, "」ページ"},
      {"kNoLibrary", kNoLibrary, "ペルトライブラリが開けません\r\nCan't open - \"peltort5.pml\""},
      {"kDebugTabProcess", kDebugTabProcess, "プロセス"},
      {"kDebugTabScreen", kDebugTabScreen, "画面"},
      {"kDebugTabVariables", kDebugTabVariables, "変数"},
      {"kDebugSection", kDebugSection, "プロパティ"},
      {"kDebugBookName", kDebugBookName, "ブック名"},
      {"kDebugPageName", kDebugPageName, "ページ名"},
      {"kDebugCommandIndex", kDebugCommandIndex, "行番号"},
      {"kDebugHidden", kDebugHidden, "非表示"},
  };
  for (const TSpelledText& text : texts) {
    EXPECT_EQ(std::string(text.Entry), sjis::FromUtf8(text.Utf8)) << text.Name;
  }
}

// The block-damage messages share their first line; each ends with the
// block and the flag it names, which is all that tells them apart.
TEST(MessageTexts, BlockDamageMessagesNameTheirBlock) {
  const std::string damaged = sjis::FromUtf8("ファイルが破損しています\r\n");
  const std::pair<const char*, const char*> texts[] = {
      {kHeadMissClose, "[Header block miss close flag]"}, {kHeadMissStart, "[Header block miss start flag]"},
      {kBookMissClose, "[Book block miss close flag]"},   {kBookMissStart, "[Book block miss start flag]"},
      {kPageMissClose, "[Page block miss close flag]"},   {kPageMissStart, "[Page block miss start flag]"},
  };
  for (const auto& [entry, flag] : texts) EXPECT_EQ(std::string(entry), damaged + flag);
}

}  // namespace
}  // namespace pelto5::msg
