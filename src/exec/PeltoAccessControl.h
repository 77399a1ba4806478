// The hub between the runtime and the scenario's content. It composes
// three parts and forwards to them: the content sources (the package, the
// runtime library, the save being loaded and the folders on disk), the
// image loading, and the running session (the script and its execution
// state). It opens the content the player was started with (a package, an
// executable with an appended package, or a plain script), opens the
// runtime library and decides the data directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/KeyValueList.h"
#include "content/ContentSources.h"
#include "exec/RunningSession.h"
#include "graphics/ScreenHost.h"

namespace pelto5 {

class TPeltoFile;
class TCommandCtrl;
class TVariableCtrl;
class TPeltoProcess;
class TPeltoProcessStack;
class TLayerCtrl;
class TLasGraphic;
class TImageLoader;

class TPeltoAccessControl : public TScreenHost {
 public:
  TPeltoAccessControl();
  ~TPeltoAccessControl() override;
  TPeltoAccessControl(const TPeltoAccessControl&) = delete;
  TPeltoAccessControl& operator=(const TPeltoAccessControl&) = delete;

  // Opens the content at path (a native path) and prepares a run.
  [[nodiscard]] bool Open(const std::string& path);
  [[nodiscard]] bool OpenContent(const std::string& path);
  // After Open or OpenContent failed on a damaged package (or executable
  // with an appended package): what is wrong with it, naming the entry;
  // empty otherwise.
  const std::string& DamagedPackageReason() const { return FDamage; }
  [[nodiscard]] bool CheckFileType();
  // "AutoExtract": the package's files marked for it go into the data
  // directory. One that cannot be written is left alone, and the files
  // wait for ExtractInstead.
  void PrepareDataDirectory(const std::string& path);
  // When the data directory could not be written for "AutoExtract":
  // extracts into folder (native, ending in "/"; made when missing) instead,
  // where the saves go, and finds files there from then on. Nothing
  // happens otherwise.
  void ExtractInstead(const std::string& folder);
  void CloseContent();

  // Opens the runtime library and brings its "_system" book into the
  // scenario; false if it is missing, not a library, or has no script.
  [[nodiscard]] bool OpenRuntimeLibrary(const std::string& path);
  void CloseRuntimeLibrary();
  // Replaces the script by text (an edited plain script), with the runtime
  // library's "_system" book brought in again. The position, the stack and
  // the variables stay; the current page is read anew.
  void ReloadScript(std::string text);

  // The save container a load reads from.
  [[nodiscard]] bool OpenSaveContainer(const std::string& path);
  void CloseSaveContainer();
  // A text entry from the open save container, the package or the library.
  [[nodiscard]] bool LoadTextEntry(const std::string& name, TStringList& list) {
    return FSources.LoadTextEntry(name, list);
  }
  // The bytes of an entry from the same sources, in the same order.
  [[nodiscard]] bool LoadEntryBytes(const std::string& name, std::string& bytes) {
    return FSources.LoadEntryBytes(name, bytes);
  }

  // Loads an image by name into graphic: from the open save container,
  // then the package (or the disk when there is none), then the library.
  // ".png" is read as PNG, ".bmp" as BMP, ".mag" by the MAG decoder wherever
  // it is; every other kind, and a MAG the decoder refuses, goes to the
  // image plug-ins (the built-in JPEG and GIF decoders first), loaded on
  // first need. A decoder's warning is shown in a warning box.
  [[nodiscard]] bool LoadImage(const std::string& name, TLasGraphic& graphic) override;
  // Whether a source LoadImage searches holds a file of that name, decodable
  // or not.
  [[nodiscard]] bool ImageExists(const std::string& name) const;
  // Loads (true) or releases (false) the image plug-ins; nothing happens
  // when they are already in the requested state.
  void SetPlugInsLoaded(bool loaded);
  // The folders searched for ".spi" plug-ins, in order: the content's, the
  // player's, those of $PELTO5_PLUGIN_PATH, the installed plug-in folder.
  std::vector<std::string> PlugInFolders() const;

  // Native path of a resource file on disk, or "No Entry".
  std::string FindDataFile(const std::string& name) const { return FSources.FindDataFile(name); }
  // How many folders the data directory lies below the content's folder
  // (0 when it is not inside it).
  int DataDirectoryDepth() const { return FSources.DataDirectoryDepth(); }
  // Jump: current book and page replaced, next command index 0.
  void MovePage(const std::string& book, const std::string& page) { FSession.MovePage(book, page); }
  // Push a return frame (the current position), reset the process, move.
  // A call past the deepest nesting is reported once and stops the run.
  void CallPage(const std::string& book, const std::string& page);
  // The same, with the process state saved in the frame.
  void CallPageKeepState(const std::string& book, const std::string& page);
  // Pop a frame and resume there; false on an empty stack.
  [[nodiscard]] bool ReturnFromCall() { return FSession.ReturnFromCall(); }
  // The current position, "@StackBorder", then the stack lines.
  void GetStackInfo(TStringList& list) const { FSession.GetStackInfo(list); }
  // Pushes a frame with the current position (and the process state).
  void PushReturnFrame(bool keepState) { FSession.PushReturnFrame(keepState); }

  // --- The parts ----------------------------------------------------------
  TContentSources& Sources() { return FSources; }
  const TContentSources& Sources() const { return FSources; }
  TRunningSession& Session() { return FSession; }
  TImageLoader& ImageLoader() { return *FImageLoader; }
  TPeltoFile& PeltoFile() { return FSession.PeltoFile(); }
  const TPeltoFile& PeltoFile() const { return FSession.PeltoFile(); }
  TPeltoProcessStack& ProcessStack() { return FSession.ProcessStack(); }
  TPeltoProcess& Process() { return FSession.Process(); }
  const TPeltoProcess& Process() const { return FSession.Process(); }
  TCommandCtrl& CommandCtrl() { return FSession.CommandCtrl(); }
  const TCommandCtrl& CommandCtrl() const { return FSession.CommandCtrl(); }
  TVariableCtrl& VariableCtrl() { return FSession.VariableCtrl(); }
  const TVariableCtrl& VariableCtrl() const { return FSession.VariableCtrl(); }
  TLayerCtrl& LayerCtrl() { return *FLayerCtrl; }

  // --- Position, folders and settings -------------------------------------
  int32_t NextCommandIndex() const { return FSession.NextCommandIndex(); }
  void SetNextCommandIndex(int32_t index) { FSession.SetNextCommandIndex(index); }
  // Native folders ending in "/".
  const std::string& ContentDirectory() const { return FSources.ContentDirectory(); }
  const std::string& DataDirectory() const { return FSources.DataDirectory(); }
  void SetContentDirectory(const std::string& folder) { FSources.SetContentDirectory(folder); }
  void SetDataDirectory(const std::string& folder) { FSources.SetDataDirectory(folder); }
  // The main window's position, kept for the main form and the settings.
  int32_t WindowLeft() const { return FWindowLeft; }
  int32_t WindowTop() const { return FWindowTop; }
  void SetWindowPosition(int32_t left, int32_t top) {
    FWindowLeft = left;
    FWindowTop = top;
  }
  // The font used when a window's configured font is not installed.
  const std::string& DefaultFontName() const override { return FDefaultFontName; }
  void SetDefaultFontName(const std::string& name) { FDefaultFontName = name; }
  // Set before Open for a look at the content that changes nothing on disk:
  // no data directory is created and nothing is extracted into it.
  void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }

  // --- What the screen controller takes -----------------------------------
  TPeltoFile& ScriptFile() override { return FSession.PeltoFile(); }
  const TStringList& ConfiguredLayerNames() const override;
  TMessagePacing& MessagePacing() override;

 private:
  // Shows that a call went past the deepest nesting, and ends the run.
  void StopForCallDepth();
  // Declared in the order of creation; destroyed in the reverse one, so the
  // image loading (with its plug-ins) goes first and the containers close
  // last.
  TContentSources FSources;
  TRunningSession FSession;
  std::unique_ptr<TLayerCtrl> FLayerCtrl;
  std::unique_ptr<TImageLoader> FImageLoader;

  int32_t FWindowLeft = 0;
  int32_t FWindowTop = 0;
  std::string FDefaultFontName;
  bool FReadOnly = false;
  bool FExtractPending = false;
  std::string FDamage;

  // Says that the package at path is damaged and asks the application to
  // end; returns false.
  bool RefuseDamagedPackage(const std::string& path, std::string reason);
};

}  // namespace pelto5
