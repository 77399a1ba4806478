// The property keys of every command: name, kind, default and, for keys
// that choose between fixed words, the keyword list. The command handlers
// read their properties through these entries (TPeltoCommand's overloads
// taking a TCommandKey), and the scenario check validates scripts against
// the same entries, so the two cannot disagree.
//
// Keyword lists come with an enumeration in the same order: ReadKeyword
// answers the index of the value in the list, or -1 for any other value
// (the handler's "anything else" branch).
#pragma once

#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>

namespace pelto5 {

enum class TKeyKind {
  Text,          // used as written
  ExpandedText,  // variable references replaced before use
  Integer,       // integer conversion; the default when it does not convert
  Bool,          // integer conversion, non-zero is true
  Value,         // a number or a value-variable reference, evaluated
  Operand,       // "@if" operand: a Value or an ExpandedText by the comparison type
  Keyword,       // one of the keywords; anything else takes the other branch
  ValueVarRef,   // a value variable written %name%
  StringVarRef,  // a string variable written $name$
  VariableRef,   // either of the two
  ImageFile,     // a picture, looked up like every image
  SoundFile,     // an audio file on disk
  LayerName,
  BookName,
  PageName,
  SaveFileName,  // a file in the data directory
};

struct TCommandKey {
  std::string_view Name;
  TKeyKind Kind = TKeyKind::Text;
  std::string_view Default;
  std::span<const std::string_view> Keywords{};
  // The key is written with a number n = 1 .. kMaxNumbered after its name.
  bool Numbered = false;
  // Without it (or with it empty) the command does nothing useful.
  bool Required = false;
  // Every value other than the keywords is as good as the last one: no
  // value is a mistake ("if.VariableType": all but "Value" compare texts).
  bool OthersMeanLast = false;
};

struct TCommandInfo {
  int32_t Type = 0;
  std::string_view Line;  // the command line, for instance "@MessageDraw"
  // False for command types the player accepts but does nothing with.
  bool Handled = true;
  std::span<const TCommandKey* const> Keys{};
};

class TCommandKeys {
 public:
  // The largest number of a numbered key ("Select.Text20").
  static constexpr int kMaxNumbered = 20;

  // Every command type 1 .. 25 in type order.
  static std::span<const TCommandInfo> Commands();
  // The entry of a command type; nullptr for type 0 or out of range.
  static const TCommandInfo* Command(int32_t type);
  // The key of the command whose name equals key without regard to letter
  // case (a numbered key with a number 1 .. kMaxNumbered after it, given
  // back in number); nullptr when the command has no such key.
  static const TCommandKey* Find(const TCommandInfo& command, std::string_view key,
                                 int* number = nullptr);
  // Index of value in the key's keyword list (exact, case-sensitive); -1
  // when it is not one of them.
  static int KeywordIndex(const TCommandKey& key, std::string_view value);
};

namespace cmdkey {

// --- "@if" -----------------------------------------------------------------
enum TVariableType : int { vtValue, vtString };
inline constexpr std::string_view kVariableTypes[] = {"Value", "String"};
enum TCompare : int { cmpEqual, cmpUnequal, cmpUp, cmpDown, cmpUpEqual, cmpDownEqual, cmpIn };
inline constexpr std::string_view kCompares[] = {"Equal",   "Unequal",   "Up", "Down",
                                                 "UpEqual", "DownEqual", "in"};
inline constexpr TCommandKey IfVariableType{"if.VariableType", TKeyKind::Keyword, "Value", kVariableTypes, false,
                                            false, true};
inline constexpr TCommandKey IfCompare{"if.Compare", TKeyKind::Keyword, "Equal", kCompares};
inline constexpr TCommandKey IfVariable1{"if.Variable1", TKeyKind::Operand, ""};
inline constexpr TCommandKey IfVariable2{"if.Variable2", TKeyKind::Operand, ""};

// --- "@Wait" ---------------------------------------------------------------
enum TWaitInput : int { wiKeypress, wiClickable };
inline constexpr std::string_view kWaitInputs[] = {"Keypress", "Clickable"};
inline constexpr TCommandKey WaitTimeBreak{"Wait.TimeBreak", TKeyKind::Bool, "0"};
inline constexpr TCommandKey WaitTime{"Wait.Time", TKeyKind::Integer, "0"};
inline constexpr TCommandKey WaitInputBreak{"Wait.InputBreak", TKeyKind::Bool, "0"};
inline constexpr TCommandKey WaitInput{"Wait.Input", TKeyKind::Keyword, "Keypress", kWaitInputs};

// --- "@Move", "@Call" --------------------------------------------------------
inline constexpr TCommandKey MoveBookName{"Move.BookName", TKeyKind::BookName, ""};
inline constexpr TCommandKey MovePageName{"Move.PageName", TKeyKind::PageName, ""};
inline constexpr TCommandKey CallBookName{"Call.BookName", TKeyKind::BookName, ""};
inline constexpr TCommandKey CallPageName{"Call.PageName", TKeyKind::PageName, ""};

// --- "@ValueCtrl", "@StringCtrl", "@StringInput" ----------------------------
// An empty or absent "ValueCtrl.Calc" is a plain assignment.
enum TCalc : int { calcAdd, calcSub, calcMul, calcDiv, calcMod };
inline constexpr std::string_view kCalcs[] = {"Add", "Sub", "Mul", "Div", "Mod"};
inline constexpr TCommandKey ValueCtrlValueVar{"ValueCtrl.ValueVar", TKeyKind::ValueVarRef, ""};
inline constexpr TCommandKey ValueCtrlLeftValue{"ValueCtrl.LeftValue", TKeyKind::Value, ""};
inline constexpr TCommandKey ValueCtrlRightValue{"ValueCtrl.RightValue", TKeyKind::Value, ""};
inline constexpr TCommandKey ValueCtrlCalc{"ValueCtrl.Calc", TKeyKind::Keyword, "", kCalcs};
inline constexpr TCommandKey StringCtrlStringVar{"StringCtrl.StringVar", TKeyKind::StringVarRef, ""};
inline constexpr TCommandKey StringCtrlText{"StringCtrl.Text", TKeyKind::ExpandedText, ""};
inline constexpr TCommandKey StringInputStringVar{"StringInput.StringVar", TKeyKind::StringVarRef, ""};
inline constexpr TCommandKey StringInputText{"StringInput.Text", TKeyKind::Text, ""};
inline constexpr TCommandKey StringInputCaption{"StringInput.Caption", TKeyKind::Text, ""};

// --- "@MessageDraw" ----------------------------------------------------------
// "None" shows the text at once; anything else reveals it step by step.
enum TMessageEffect : int { meAuto, meNone };
inline constexpr std::string_view kMessageEffects[] = {"Auto", "None"};
// "テキストレイヤー", the text layer of the main window.
inline constexpr std::string_view kTextLayer =
    "\x83\x65\x83\x4C\x83\x58\x83\x67\x83\x8C\x83\x43\x83\x84\x81\x5B";
inline constexpr TCommandKey MessageDrawText{"MessageDraw.Text", TKeyKind::ExpandedText, ""};
inline constexpr TCommandKey MessageDrawLayer{"MessageDraw.Layer", TKeyKind::LayerName, kTextLayer};
inline constexpr TCommandKey MessageDrawEffect{"MessageDraw.Effect", TKeyKind::Keyword, "Auto", kMessageEffects};
inline constexpr TCommandKey MessageDrawLayerMove{"MessageDraw.Layer.Move", TKeyKind::Bool, "0"};
inline constexpr TCommandKey MessageDrawAreaLeft{"MessageDraw.Area.Left", TKeyKind::Integer, "0"};
inline constexpr TCommandKey MessageDrawAreaTop{"MessageDraw.Area.Top", TKeyKind::Integer, "0"};
inline constexpr TCommandKey MessageDrawAreaWidth{"MessageDraw.Area.Width", TKeyKind::Integer, "0"};
inline constexpr TCommandKey MessageDrawAreaHeight{"MessageDraw.Area.Height", TKeyKind::Integer, "0"};

// --- "@GraphicDraw" ----------------------------------------------------------
// The transitions in the order of their effect numbers, then "None".
enum TEffectType : int { efFadein, efLeftTo, efTopTo, efRndPanel, efBlind, efSquare, efWave, efMosaic, efNone };
inline constexpr std::string_view kEffectTypes[] = {"Fadein", "LeftTo", "TopTo", "RndPanel", "Blind",
                                                    "Square", "Wave",   "Mosaic", "None"};
// "背景レイヤー", the background layer of the main window.
inline constexpr std::string_view kBackgroundLayer = "\x94\x77\x8C\x69\x83\x8C\x83\x43\x83\x84\x81\x5B";
inline constexpr TCommandKey GraphicDrawFileName{"GraphicDraw.FileName", TKeyKind::ImageFile, "", {}, false, true};
inline constexpr TCommandKey GraphicDrawLayer{"GraphicDraw.Layer", TKeyKind::LayerName, kBackgroundLayer};
inline constexpr TCommandKey GraphicDrawTransparent{"GraphicDraw.Transparent", TKeyKind::Bool, "0"};
inline constexpr TCommandKey GraphicDrawTranslucent{"GraphicDraw.Translucent", TKeyKind::Bool, "0"};
inline constexpr TCommandKey GraphicDrawLayerMove{"GraphicDraw.Layer.Move", TKeyKind::Bool, "0"};
inline constexpr TCommandKey GraphicDrawAreaLeft{"GraphicDraw.Area.Left", TKeyKind::Integer, "0"};
inline constexpr TCommandKey GraphicDrawAreaTop{"GraphicDraw.Area.Top", TKeyKind::Integer, "0"};
inline constexpr TCommandKey GraphicDrawAreaWidth{"GraphicDraw.Area.Width", TKeyKind::Integer, "0"};
inline constexpr TCommandKey GraphicDrawAreaHeight{"GraphicDraw.Area.Height", TKeyKind::Integer, "0"};
// Written by the authoring tool; read with the area but applied to nothing.
inline constexpr TCommandKey GraphicDrawAreaViewLeft{"GraphicDraw.Area.ViewLeft", TKeyKind::Integer, "0"};
inline constexpr TCommandKey GraphicDrawAreaViewTop{"GraphicDraw.Area.ViewTop", TKeyKind::Integer, "0"};
inline constexpr TCommandKey GraphicDrawAutoSize{"GraphicDraw.AutoSize", TKeyKind::Bool, "1"};
inline constexpr TCommandKey GraphicDrawEffectType{"GraphicDraw.EffectType", TKeyKind::Keyword, "None", kEffectTypes};
inline constexpr TCommandKey GraphicDrawEffectAreaLimit{"GraphicDraw.EffectAreaLimit", TKeyKind::Bool, "0"};
inline constexpr TCommandKey GraphicDrawScrnRefresh{"GraphicDraw.ScrnRefresh", TKeyKind::Bool, "1"};

// --- "@LayerCtrl" ------------------------------------------------------------
// "Clear" instead of a file name clears the layer.
enum TLayerImage : int { liClear };
inline constexpr std::string_view kLayerImageWords[] = {"Clear"};
inline constexpr TCommandKey LayerName{"Layer.Name", TKeyKind::LayerName, ""};
inline constexpr TCommandKey LayerVisibleChange{"Layer.Visible.Change", TKeyKind::Bool, "0"};
inline constexpr TCommandKey LayerVisibleShow{"Layer.Visible.Show", TKeyKind::Bool, "1"};
inline constexpr TCommandKey LayerImageChange{"Layer.Image.Change", TKeyKind::Bool, "0"};
inline constexpr TCommandKey LayerImageFileName{"Layer.Image.FileName", TKeyKind::ImageFile, "Clear", kLayerImageWords};
inline constexpr TCommandKey LayerPosChange{"Layer.Pos.Change", TKeyKind::Bool, "0"};
inline constexpr TCommandKey LayerPosLeft{"Layer.Pos.Left", TKeyKind::Value, "0"};
inline constexpr TCommandKey LayerPosTop{"Layer.Pos.Top", TKeyKind::Value, "0"};
inline constexpr TCommandKey LayerSizeChange{"Layer.Size.Change", TKeyKind::Bool, "0"};
inline constexpr TCommandKey LayerSizeWidth{"Layer.Size.Width", TKeyKind::Value, ""};
inline constexpr TCommandKey LayerSizeHeight{"Layer.Size.Height", TKeyKind::Value, ""};
inline constexpr TCommandKey LayerViewPosChange{"Layer.ViewPos.Change", TKeyKind::Bool, "0"};
inline constexpr TCommandKey LayerViewPosLeft{"Layer.ViewPos.Left", TKeyKind::Value, "0"};
inline constexpr TCommandKey LayerViewPosTop{"Layer.ViewPos.Top", TKeyKind::Value, "0"};
inline constexpr TCommandKey LayerScrnRefresh{"Layer.ScrnRefresh", TKeyKind::Bool, "1"};

// --- "@Select" ---------------------------------------------------------------
inline constexpr TCommandKey SelectAreaLeft{"Select.Area.Left", TKeyKind::Integer, "0"};
inline constexpr TCommandKey SelectAreaTop{"Select.Area.Top", TKeyKind::Integer, "0"};
inline constexpr TCommandKey SelectAreaWidth{"Select.Area.Width", TKeyKind::Integer, "0"};
inline constexpr TCommandKey SelectAreaImport{"Select.Area.Import", TKeyKind::Bool, "0"};
inline constexpr TCommandKey SelectAreaImportLayer{"Select.Area.ImportLayer", TKeyKind::LayerName, ""};
inline constexpr TCommandKey SelectTimeout{"Select.Timeout", TKeyKind::Bool, "0"};
inline constexpr TCommandKey SelectTime{"Select.Time", TKeyKind::Integer, "0"};
inline constexpr TCommandKey SelectText{"Select.Text", TKeyKind::ExpandedText, "", {}, true};
inline constexpr TCommandKey SelectPage{"Select.Page", TKeyKind::PageName, "", {}, true};
inline constexpr TCommandKey SelectTimerGauge{"Select.TimerGauge", TKeyKind::Bool, "1"};

// --- "@DynamicLayer", "@DynamicLayerClear" -------------------------------------
enum TDynamicType : int { dtImage, dtText, dtTransparent };
inline constexpr std::string_view kDynamicTypes[] = {"Image", "Text", "Transparent"};
enum TAnimeType : int { atNone, atRepeat, atOnce, atTimer };
inline constexpr std::string_view kAnimeTypes[] = {"None", "Repeat", "Once", "Timer"};
enum TClickableMode : int { cmNone, cmOpaque, cmAll };
inline constexpr std::string_view kClickableModes[] = {"None", "Opaque", "All"};
enum TClickableMove : int { cvMove, cvCall };
inline constexpr std::string_view kClickableMoves[] = {"Move", "Call"};
enum TActiveMode : int { amAuto, amDisable, amWaiting, amAlways };
inline constexpr std::string_view kActiveModes[] = {"Auto", "Disable", "Waiting", "Always"};
inline constexpr TCommandKey DynamicType{"DynamicLayer.Type", TKeyKind::Keyword, "Transparent", kDynamicTypes};
inline constexpr TCommandKey DynamicImageFileName{"DynamicLayer.Image.FileName", TKeyKind::ImageFile, ""};
inline constexpr TCommandKey DynamicAnimeCount{"DynamicLayer.Image.AnimeCount", TKeyKind::Integer, "1"};
inline constexpr TCommandKey DynamicDivideCount{"DynamicLayer.Image.DivideCount", TKeyKind::Integer, "1"};
inline constexpr TCommandKey DynamicIndexDisable{"DynamicLayer.ImageIndex.Disable", TKeyKind::Integer, "0"};
inline constexpr TCommandKey DynamicIndexEnable{"DynamicLayer.ImageIndex.Enable", TKeyKind::Integer, "0"};
inline constexpr TCommandKey DynamicIndexActive{"DynamicLayer.ImageIndex.Active", TKeyKind::Integer, "0"};
inline constexpr TCommandKey DynamicAnimeType{"DynamicLayer.Image.AnimeType", TKeyKind::Keyword, "None", kAnimeTypes};
inline constexpr TCommandKey DynamicText{"DynamicLayer.Text.Text", TKeyKind::ExpandedText, ""};
inline constexpr TCommandKey DynamicClickMode{"DynamicLayer.Clickable.Mode", TKeyKind::Keyword, "None", kClickableModes};
inline constexpr TCommandKey DynamicClickBook{"DynamicLayer.Clickable.BookName", TKeyKind::BookName, ""};
inline constexpr TCommandKey DynamicClickPage{"DynamicLayer.Clickable.PageName", TKeyKind::PageName, ""};
inline constexpr TCommandKey DynamicClickClear{"DynamicLayer.Clickable.Clear", TKeyKind::Bool, "0"};
inline constexpr TCommandKey DynamicClickCursor{"DynamicLayer.Clickable.Cursor", TKeyKind::Bool, "1"};
inline constexpr TCommandKey DynamicClickMove{"DynamicLayer.Clickable.Move", TKeyKind::Keyword, "Move", kClickableMoves};
inline constexpr TCommandKey DynamicClickKeep{"DynamicLayer.Clickable.KeepExecuteMode", TKeyKind::Bool, "0"};
inline constexpr TCommandKey DynamicAreaLeft{"DynamicLayer.Area.Left", TKeyKind::Value, "0"};
inline constexpr TCommandKey DynamicAreaTop{"DynamicLayer.Area.Top", TKeyKind::Value, "0"};
inline constexpr TCommandKey DynamicAreaWidth{"DynamicLayer.Area.Width", TKeyKind::Value, "0"};
inline constexpr TCommandKey DynamicAreaHeight{"DynamicLayer.Area.Height", TKeyKind::Value, "0"};
inline constexpr TCommandKey DynamicAttrID{"DynamicLayer.AttrID", TKeyKind::Integer, "0"};
inline constexpr TCommandKey DynamicActiveMode{"DynamicLayer.ActiveMode", TKeyKind::Keyword, "Auto", kActiveModes};
inline constexpr TCommandKey DynamicScrnRefresh{"DynamicLayer.ScrnRefresh", TKeyKind::Bool, "1"};
inline constexpr TCommandKey DynamicClearAttrID{"DynamicLayerClear.AttrID", TKeyKind::Integer, "0"};
inline constexpr TCommandKey DynamicClearScrnRefresh{"DynamicLayerClear.ScrnRefresh", TKeyKind::Bool, "1"};

// --- "@Music", "@Sound" -------------------------------------------------------
inline constexpr TCommandKey MusicFileName{"Music.FileName", TKeyKind::SoundFile, ""};
inline constexpr TCommandKey MusicLoop{"Music.Loop", TKeyKind::Integer, "0"};
inline constexpr TCommandKey SoundFileName{"Sound.FileName", TKeyKind::SoundFile, ""};
inline constexpr TCommandKey SoundWait{"Sound.Wait", TKeyKind::Bool, "0"};
inline constexpr TCommandKey SoundProtect{"Sound.Protect", TKeyKind::Bool, "1"};

// --- "@SaveCtrl", "@System" ---------------------------------------------------
enum TSaveCommand : int { scLoadValue, scSaveValue, scOpen, scCreate, scAppend, scClose, scAutoSave, scAutoLoad };
inline constexpr std::string_view kSaveCommands[] = {"LoadValue", "SaveValue", "Open",     "Create",
                                                     "Append",    "Close",     "AutoSave", "AutoLoad"};
enum TSystemCommand : int {
  syMessageSkip, syMessageEffect, syMessageDirect, syMusicEnable, syMusicDisable, sySoundEnable,
  sySoundDisable, syMusicVolume, sySoundVolume, syFullScreen, syWindowMode
};
inline constexpr std::string_view kSystemCommands[] = {
    "MessageSkip",  "MessageEffect", "MessageDirect", "MusicEnable", "MusicDisable", "SoundEnable",
    "SoundDisable", "MusicVolume",   "SoundVolume",   "FullScreen",  "WindowMode"};
inline constexpr TCommandKey SaveCtrlCommand{"SaveCtrl.Command", TKeyKind::Keyword, "", kSaveCommands, false, true};
inline constexpr TCommandKey SaveCtrlKey{"SaveCtrl.Key", TKeyKind::Text, ""};
inline constexpr TCommandKey SaveCtrlVariable{"SaveCtrl.Variable", TKeyKind::VariableRef, ""};
inline constexpr TCommandKey SaveCtrlValue{"SaveCtrl.Value", TKeyKind::ExpandedText, ""};
inline constexpr TCommandKey SaveCtrlFileName{"SaveCtrl.FileName", TKeyKind::SaveFileName, ""};
inline constexpr TCommandKey SystemCommand{"System.Command", TKeyKind::Keyword, "", kSystemCommands, false, true};
inline constexpr TCommandKey SystemVolume{"System.Volume", TKeyKind::Integer, "100"};

static_assert(std::size(kCompares) == cmpIn + 1 && std::size(kEffectTypes) == efNone + 1 &&
              std::size(kSaveCommands) == scAutoLoad + 1 && std::size(kSystemCommands) == syWindowMode + 1 &&
              std::size(kActiveModes) == amAlways + 1 && std::size(kAnimeTypes) == atTimer + 1);

}  // namespace cmdkey

}  // namespace pelto5
