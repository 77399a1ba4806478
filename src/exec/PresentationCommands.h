// The handlers of the commands that put things on the main window:
// "@MessageDraw", "@GraphicDraw", "@LayerCtrl", "@Select",
// "@DynamicLayer" and "@DynamicLayerClear".
//
// The main form's dispatch table calls them with the fetched command. They
// read the command's properties (each with its default), drive the screen
// controller on window 0 and put the process into message drawing or a
// wait; they keep no state of their own. Each returns the handler result of
// the main loop: true = run the next command in the same tick, false =
// yield until the next tick.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelto5 {

class TPeltoAccessControl;
class TPeltoCommand;
class TScreenControl;
class TLasGraphic;
class TTranslation;
struct TLayerRect;
struct TTextTranslation;

class TPresentationCommands {
 public:
  // legacyMode tells whether the scenario asked for the legacy layer
  // behaviour (header key "LegacyMode"); it is asked at every command
  // because the form reads the key after the handlers exist.
  TPresentationCommands(TPeltoAccessControl& access, TScreenControl& screen,
                        std::function<bool()> legacyMode);

  // Renders a text into a layer and shows it at once or starts its reveal.
  bool DoMessageDraw(TPeltoCommand& command);
  // Loads a picture into a layer, optionally with a transition.
  bool DoGraphicDraw(TPeltoCommand& command);
  // Changes visibility, picture, position, size and view of one layer.
  bool DoLayerCtrl(TPeltoCommand& command);
  // Shows up to 20 clickable choices and waits, optionally with a time limit.
  bool DoSelect(TPeltoCommand& command);
  // Adds one clickable or animated entry over the layers; false when the
  // entry cannot be built.
  bool DoDynamicLayer(TPeltoCommand& command);
  // Removes the entries of one attribute.
  bool DoDynamicLayerClear(TPeltoCommand& command);

  // Messages show the translation's text where it has one (--translation);
  // null for none. The translation must outlive the handlers.
  void SetTranslation(const TTranslation* translation) { FTranslation = translation; }
  // The translated messages whose script text, expanded with the variables
  // as they are now, a restored layer text may be a page of: those of the
  // page the run is on first (see TScreenControl::TranslationsOf).
  std::vector<TTextTranslation> TranslationsOf(const std::string& savedText);

  // Adds one choice of "@Select" at area's left, top and width, and sets
  // area's height to the height of the entry added (0 if it was not added).
  void AddSelectItem(const std::string& text, const std::string& book, const std::string& page,
                     TLayerRect& area, int time);

 private:
  bool LegacyMode() const { return FLegacyMode && FLegacyMode(); }
  // The translation (UTF-8) of the message command running now, whose
  // script text is written; null when it shows the script's text.
  const std::string* Translation(const std::string& written) const;
  // Compose and paint window 0 with the text layer hidden.
  void HideTextAndShow();

  TPeltoAccessControl& FAccess;
  TScreenControl& FScreen;
  std::function<bool()> FLegacyMode;
  const TTranslation* FTranslation = nullptr;
};

}  // namespace pelto5
