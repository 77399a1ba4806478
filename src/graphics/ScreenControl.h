// The facade through which the system draws: six windows, each a screen
// with its header settings, the default layers, layers found by name, the
// layer operations of the presentation commands, the character-by-character
// replay of a rendered message with its waits and wait marks, and the
// dynamic layers of the main window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/DynamicLayerList.h"
#include "graphics/LasScreen.h"
#include "graphics/ScreenHost.h"
#include "platform/Canvas.h"

namespace pelto5 {

struct PackageReader;
struct PackageWriter;

struct TWindowRecord {
  std::unique_ptr<TLasScreen> Screen;
  int ImageWidth = 0;
  int ImageHeight = 0;
  int RelativeToMainX = 0;
  int RelativeToMainY = 0;
  std::string FontName;
  bool Bold = false;
  bool Italic = false;
  bool FontShadow = false;
  uint32_t FontShadowColor = 0x00C0C0C0;
};

// A message text and its translation, both with their variables expanded.
struct TTextTranslation {
  std::string Original;
  std::string Translated;
};

struct TLayerRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

class TScreenControl {
 public:
  static constexpr int kWindowCount = 6;
  enum TMessageMode { MessageEffect = 0, MessageDirect = 1 };

  TScreenControl();
  ~TScreenControl();

  // --- Set-up ---------------------------------------------------------
  void InitWindows();
  void InitWindow(int window, const std::string& section, int defaultX, int defaultY,
                  int defaultWidth, int defaultHeight);
  void CreateDefaultLayers();
  void SetCanvas(int index, TCanvas* canvas);
  TWindowRecord* GetWindow(int index);
  void SetRandomSeed(uint32_t seed) { FRandom.seed(seed); }

  // --- Layers -----------------------------------------------------------
  TLasLayer* FindLayer(int index, const std::string& layerName);
  bool LoadLayerImage(int index, const std::string& layerName, const std::string& fileName,
                      bool transparent, bool translucent);
  [[nodiscard]] bool LoadGraphic(TLasGraphic& graphic, const std::string& fileName, bool transparent,
                                 bool translucent);
  bool ClearLayer(int index, const std::string& layerName);
  bool CreateLayerSurface(int index, const std::string& layerName, int width, int height);
  int DrawLayerText(int index, const std::string& layerName, const std::string& text);
  // Draws a translation in place of the scenario's text original: its
  // lines break at spaces, and saves store the layer as original would
  // leave it.
  int DrawTranslatedText(int index, const std::string& layerName, const std::string& text,
                         const std::string& original);
  bool SetLayerVisible(int index, const std::string& layerName, bool visible);
  [[nodiscard]] bool GetLayerVisible(int index, const std::string& layerName);
  bool SetLayerPos(int index, const std::string& layerName, int left, int top);
  bool SetLayerSize(int index, const std::string& layerName, int width, int height);
  bool SetLayerViewPos(int index, const std::string& layerName, int left, int top);
  bool GetLayerRect(int index, const std::string& layerName, TLayerRect& rect);
  void MergeLayer1IntoBase(int index);

  // --- Showing ----------------------------------------------------------
  void Compose(int index);
  void Paint(int index);
  void Refresh(int index);
  void Effect(int index, int effectType, int x, int y, int width, int height);

  // --- Messages and dynamic layers --------------------------------------
  [[nodiscard]] bool DrawMessage(int index, const std::string& layerName);
  // Reports that the whole page last laid out in the layer has been shown
  // (the replay reached its end, or the message was drawn at once).
  void MessagePageShown(int index, const std::string& layerName);
  // Reports that a page of the message in the layer begins to show: the
  // message's first page (firstPage), or a later one it runs on to.
  void MessagePageBegun(int index, const std::string& layerName, bool firstPage);

  // Listeners of what the reader has been shown (the player's message
  // history and auto-advance); they change nothing the scenario sees.
  // OnMessagePageShown gets the page's marked-up text; OnMessageKeyWait the
  // number of characters revealed since the previous key wait.
  std::function<void(const std::string& pageText)> OnMessagePageShown;
  std::function<void(int characters)> OnMessageKeyWait;
  // Gets the marked-up text of each message page as it begins to show.
  std::function<void(const std::string& pageText, bool firstPage)> OnMessagePageBegun;
  void ShowWaitMark(const std::string& fileName, int x, int y, int width, int height);
  bool AddDynamicLayer(int index, std::unique_ptr<TDynamicLayerList> entry);
  bool RemoveDynamicLayers(int index, int attrId);
  [[nodiscard]] bool AnimateDynamicLayers(bool repaint);
  [[nodiscard]] bool TimerDynamicLayers(bool repaint, int remainingSeconds);

  // --- Save containers (the records are those of TScreenState) ----------
  // Window 0's layers, dynamic layers and, if asked, the background
  // picture into an open save container; true when every entry was written.
  [[nodiscard]] bool SaveInfo(PackageWriter& writer, bool withBackground);
  // The same entries back into window 0; composes and paints it when every
  // part was restored.
  [[nodiscard]] bool LoadInfo(PackageReader& reader, bool withBackground);
  // After a load (its variables restored): a text layer of window 0 whose
  // saved text is a page of a translated message's original text shows the
  // translation again, at the same page (its last page for the original's
  // last). Does nothing without TranslationsOf.
  void TranslateRestoredText();
  // The translated messages whose original a saved layer text may be a
  // page of, the likeliest first (set while a translation is in use).
  std::function<std::vector<TTextTranslation>(const std::string& savedText)> TranslationsOf;

  TScreenHost* AccessControl = nullptr;
  int MessageMode = MessageEffect;
  std::array<TWindowRecord, kWindowCount> Windows;

 private:
  TLasScreen* ScreenOf(int index);
  // The layer of that name, or null; reports nothing.
  const TLasLayer* LayerQuietly(int index, const std::string& layerName);
  // The layer set up for a new message text, or null.
  TLasLayer* PrepareTextLayer(int index, const std::string& layerName);

  std::mt19937 FRandom;
  int FRevealedCharacters = 0;  // revealed since the last key wait
};

// "テキストレイヤー", the main window's text layer.
extern const char* const kTextLayerName;

}  // namespace pelto5
