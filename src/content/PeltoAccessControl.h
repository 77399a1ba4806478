// The hub between the runtime and the scenario's content: owns the script
// model and the execution state, opens the content the player was started
// with (a package, an executable with an appended package, or a plain
// script), opens the runtime library, decides the data directory, finds the
// scenario's files, and moves, calls and returns between pages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "content/PackageReader.h"
#include "graphics/ImageSource.h"
#include "base/KeyValueList.h"

namespace pelto5 {

class TPeltoFile;
class TCommandCtrl;
class TVariableCtrl;
class TPeltoProcess;
class TPeltoProcessStack;
class TLayerCtrl;
class TLasGraphic;
class TSusiePlugIn;
struct TPicture;

class TPeltoAccessControl : public TImageSource {
 public:
  TPeltoAccessControl();
  ~TPeltoAccessControl() override;
  TPeltoAccessControl(const TPeltoAccessControl&) = delete;
  TPeltoAccessControl& operator=(const TPeltoAccessControl&) = delete;

  // Opens the content at path (a native path) and prepares a run.
  bool Open(const std::string& path);
  bool OpenContent(const std::string& path);
  bool CheckFileType();
  void PrepareDataDirectory(const std::string& path);
  void CloseContent();

  // Opens the runtime library and brings its "_system" book into the
  // scenario; false if it is missing, not a library, or has no script.
  bool OpenRuntimeLibrary(const std::string& path);
  void CloseRuntimeLibrary();

  // The save container a load reads from.
  bool OpenSaveContainer(const std::string& path);
  void CloseSaveContainer();
  // A text entry from the open save container, the package or the library.
  bool LoadTextEntry(const std::string& name, TStringList& list);
  // The bytes of an entry from the same sources, in the same order.
  bool LoadEntryBytes(const std::string& name, std::string& bytes);

  // Loads an image by name: from the open save container, then the package
  // (or the disk when there is none), then the library. ".png" is read as
  // PNG, ".bmp" as BMP, ".mag" by the MAG decoder wherever it is; every
  // other kind, and a MAG the decoder refuses, goes to the image plug-ins
  // (the built-in JPEG and GIF decoders first), loaded on first need.
  bool LoadImage(const std::string& name, TLasGraphic& graphic) override;
  // Whether a source LoadImage searches holds a file of that name, decodable
  // or not.
  bool ImageExists(const std::string& name);
  // Loads (true) or releases (false) the image plug-ins; nothing happens
  // when they are already in the requested state.
  void SetPlugInsLoaded(bool loaded);
  // The folders searched for ".spi" plug-ins, in order: the content's, the
  // player's, those of $PELTO5_PLUGIN_PATH, the installed plug-in folder.
  std::vector<std::string> PlugInFolders() const;

  // Native path of a resource file on disk, or "No Entry".
  std::string FindDataFile(const std::string& name);
  // How many folders the data directory lies below the content's folder
  // (0 when it is not inside it).
  int DataDirectoryDepth() const;
  // Jump: current book and page replaced, next command index 0.
  void MovePage(const std::string& book, const std::string& page);
  // Push a return frame (the current position), reset the process, move.
  void CallPage(const std::string& book, const std::string& page);
  // The same, with the process state saved in the frame.
  void CallPageKeepState(const std::string& book, const std::string& page);
  // Pop a frame and resume there; false on an empty stack.
  bool ReturnFromCall();
  // The current position, "@StackBorder", then the stack lines.
  void GetStackInfo(TStringList& list);

  // Pushes a frame with the current position (and the process state).
  void PushReturnFrame(bool keepState);

 private:
  // One image from a container entry or from a file on disk.
  bool DecodeEntryImage(const std::string& name, const std::string& bytes, TLasGraphic& graphic);
  bool DecodeFileImage(const std::string& name, const std::string& path, TLasGraphic& graphic);
  bool DecodeByPlugIns(const std::string& bytes, TLasGraphic& graphic);

 public:

  std::unique_ptr<TPeltoFile> FPeltoFile;
  std::unique_ptr<TPeltoProcessStack> FProcessStack;
  std::unique_ptr<TPeltoProcess> FProcess;
  std::unique_ptr<TCommandCtrl> FCommandCtrl;
  std::unique_ptr<TVariableCtrl> FVariableCtrl;
  std::unique_ptr<TLayerCtrl> FLayerCtrl;
  std::unique_ptr<TSusiePlugIn> FSusiePlugIn;
  bool FPlugInsLoaded = false;

  PackageReader FPackage;
  PackageReader FLibrary;
  PackageReader FSaveReader;

  std::string FContentDirectory;  // native, ends in "/"
  std::string FDataDirectory;     // native, ends in "/"
  int32_t FNextCommandIndex = 0;
  int32_t FWindowLeft = 0;
  int32_t FWindowTop = 0;
  std::string FDefaultFontName;
  // Set before Open for a look at the content that changes nothing on disk:
  // no data directory is created and nothing is extracted into it.
  bool FReadOnly = false;
};

// The answer of FindDataFile for a file that is in neither folder.
extern const char* const kNoEntry;

}  // namespace pelto5
