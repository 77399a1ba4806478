#include "lint/ResourceCheck.h"

#include "content/PackageReader.h"
#include "exec/PeltoAccessControl.h"
#include "graphics/LasGraphic.h"
#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "platform/FileSystem.h"
#include "platform/FontService.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

constexpr const char* kCheck = "resources";
enum { kFound, kMissing, kUndecodable };
// The header sections whose "FontName" names a font.
constexpr const char* kWindowSections[] = {"Pelto", "MessageWindow", "SelectWindow",
                                           "UserWindow1", "UserWindow2", "UserWindow3"};

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

void TResourceCheck::Run() {
  using namespace cmdkey;
  TPeltoFile& file = FScript.File();
  if (!FScript.IsLibrary()) {
    const std::string opening = file.ReadString("Pelto", "Opening", "");
    if (!opening.empty() && opening != "Default") CheckPicture(opening, FScript.HeaderLine("Pelto", "Opening"));
  }
  for (const TLintPage& page : FScript.Pages()) {
    if (!page.Own) continue;
    for (const TLintCommand& command : page.Commands) {
      const TPeltoCommand& c = command.Command;
      switch (c.CommandType) {
        case TCommandCtrl::ctGraphicDraw:
          if (!c.ReadString(GraphicDrawFileName).empty()) {
            CheckPicture(c.ReadString(GraphicDrawFileName), command.LineOf(GraphicDrawFileName.Name));
          }
          break;
        case TCommandCtrl::ctLayerCtrl:
          if (c.ReadBool(LayerImageChange) &&
              TCommandKeys::KeywordIndex(LayerImageFileName, c.ReadString(LayerImageFileName)) != liClear) {
            CheckPicture(c.ReadString(LayerImageFileName), command.LineOf(LayerImageFileName.Name));
          }
          break;
        case TCommandCtrl::ctDynamicLayer:
          if (c.ReadKeyword(DynamicType) == dtImage) {
            CheckPicture(c.ReadString(DynamicImageFileName), command.LineOf(DynamicImageFileName.Name));
          }
          break;
        case TCommandCtrl::ctMusic:
          CheckSound(c.ReadString(MusicFileName), command.LineOf(MusicFileName.Name));
          break;
        case TCommandCtrl::ctSound:
          CheckSound(c.ReadString(SoundFileName), command.LineOf(SoundFileName.Name));
          break;
        default:
          break;
      }
    }
  }
  CheckFonts();
}

std::string TResourceCheck::PictureSources() {
  TPeltoAccessControl& access = FScript.Access();
  std::string sources;
  if (access.Sources().IsOpen(TContainer::Package)) {
    sources = "the package";
  } else {
    if (!access.DataDirectory().empty()) sources = "\"" + sjis::FromUtf8(access.DataDirectory()) + "\", ";
    sources += "\"" + sjis::FromUtf8(access.ContentDirectory()) + "\"";
  }
  if (access.Sources().IsOpen(TContainer::Library)) sources += " or the runtime library";
  return sources;
}

void TResourceCheck::CheckPicture(const std::string& name, int line) {
  auto it = FPictures.find(sjis::UpperAscii(name));
  if (it == FPictures.end()) {
    TPeltoAccessControl& access = FScript.Access();
    TLasGraphic graphic;
    int result = kFound;
    if (!access.LoadImage(name, graphic)) result = access.ImageExists(name) ? kUndecodable : kMissing;
    it = FPictures.emplace(sjis::UpperAscii(name), result).first;
  }
  if (it->second == kMissing) {
    FOut.Add(FScript.FileName(), line, TSeverity::Error,
             "picture " + Quoted(name) + " is not in " + PictureSources(), kCheck);
  } else if (it->second == kUndecodable) {
    FOut.Add(FScript.FileName(), line, TSeverity::Error,
             "picture " + Quoted(name) + " is present, but the player cannot decode it (a format no decoder reads, or a damaged file)", kCheck);
  }
}

void TResourceCheck::CheckSound(const std::string& name, int line) {
  if (name.empty()) return;
  TPeltoAccessControl& access = FScript.Access();
  if (access.FindDataFile(name) != kNoEntry) return;
  std::string hint;
  if (const PackageEntry* entry = access.Sources().FindEntryRecord(TContainer::Package, name)) {
    // Extracted into the data folder when the player starts.
    if (FScript.File().ReadBool("Pelto", "AutoExtract", false) && TContentSources::ExtractedAtStart(*entry)) {
      return;
    }
    hint = "; it is in the package, but sounds are played from files on disk only";
  }
  std::string folders;
  if (!access.DataDirectory().empty()) folders = "\"" + sjis::FromUtf8(access.DataDirectory()) + "\" or ";
  folders += "\"" + sjis::FromUtf8(access.ContentDirectory()) + "\"";
  FOut.Add(FScript.FileName(), line, TSeverity::Error,
           "sound " + Quoted(name) + " is not in " + folders + hint, kCheck);
}

void TResourceCheck::CheckFonts() {
  TPeltoFile& file = FScript.File();
  for (const char* section : kWindowSections) {
    const std::string font = file.ReadString(section, "FontName", "");
    if (font.empty() || FontService().IsInstalled(font)) continue;
    FOut.Add(FScript.FileName(), FScript.HeaderLine(section, "FontName"), TSeverity::Warning,
             "font " + Quoted(font) + " is not installed; the player draws with its default font instead", kCheck);
  }
}

}  // namespace pelto5
