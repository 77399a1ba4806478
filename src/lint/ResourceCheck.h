// The "resources" check: pictures, sounds and fonts named literally that no
// source provides, looked up as the player looks them up (pictures: the
// package or else the data and content folders, then the runtime library;
// sounds: the data folder, then the content folder; fonts: the installed
// faces), and pictures that are present in a format no decoder reads.
#pragma once

#include <map>
#include <string>

namespace pelto5 {

class TLintScript;
class TDiagnosticList;

class TResourceCheck {
 public:
  explicit TResourceCheck(TLintScript& script, TDiagnosticList& out) : FScript(script), FOut(out) {}
  void Run();

 private:
  void CheckPicture(const std::string& name, int line);
  void CheckSound(const std::string& name, int line);
  void CheckFonts();
  // Where pictures are looked for, for the message.
  std::string PictureSources();

  TLintScript& FScript;
  TDiagnosticList& FOut;
  std::map<std::string, int> FPictures;  // name -> 0 found, 1 missing, 2 undecodable
};

}  // namespace pelto5
