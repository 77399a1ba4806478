#include "shell/ScriptWatch.h"

#include <algorithm>

#include "base/SjisText.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/DynamicLayerList.h"
#include "graphics/ScreenControl.h"
#include "lint/ScenarioLint.h"
#include "platform/FileSystem.h"
#include "platform/FontService.h"
#include "shell/MessageHistory.h"

namespace pelto5 {

namespace {

constexpr int kMainWindow = 0;
constexpr int kBandFontSize = 10;
constexpr uint32_t kBandColor = 0x00A00000;  // dark red, 0x00RRGGBB
constexpr uint32_t kBandText = 0x00FFFFFF;

}  // namespace

TScriptWatch::TScriptWatch(TPeltoAccessControl& access, TScreenControl& screen, std::string scriptPath,
                           const std::string& saveFolder)
    : FAccess(access), FScreen(screen), FScriptPath(std::move(scriptPath)) {
  FFolder = TFileSystem::DirectoryOf(FScriptPath);
  if (FFolder.empty()) FFolder = "./";
  if (!saveFolder.empty() && TFileSystem::AbsolutePath(saveFolder) == TFileSystem::AbsolutePath(FFolder)) {
    FFolder.clear();
  }
}

TScriptWatch::TStamps TScriptWatch::Stamps() const {
  TStamps stamps;
  uint64_t stamp = 0;
  if (TFileSystem::FileStamp(FScriptPath, stamp)) stamps[FScriptPath] = stamp;
  if (FFolder.empty()) return stamps;
  for (const std::string& name : TFileSystem::ListFiles(FFolder, "*")) {
    if (TFileSystem::FileStamp(FFolder + name, stamp)) stamps[FFolder + name] = stamp;
  }
  return stamps;
}

bool TScriptWatch::TimerTick(bool polling) {
  if (polling && ++FTicks >= kPollTicks) {
    FTicks = 0;
    TStamps now = Stamps();
    // The first look only learns how the files stand.
    if (!FStamps.empty() && now != FStamps) FPending = true;
    FStamps = std::move(now);
  }
  if (!FPending) return false;
  FPending = false;
  return Reload();
}

std::string TScriptWatch::ParseFault() const {
  std::string head;
  if (!TFileSystem::ReadFilePrefix(FScriptPath, 3, head) || head != "///") {
    return sjis::FromUtf8(TFileSystem::FileNameOf(FScriptPath)) + ": not a script (it must begin with \"///\")";
  }
  TLintOptions options;
  for (std::string_view check : TLintOptions::kChecks) {
    if (check != "structure") options.Disabled.emplace(check);
  }
  TScenarioLint lint(options);
  lint.Run(FScriptPath);
  for (const TDiagnostic& d : lint.Diagnostics().Items()) {
    if (d.Severity == TSeverity::Error && d.Check == "structure") {
      return sjis::FromUtf8(TFileSystem::FileNameOf(d.File) + ":" + std::to_string(d.Line) + ": " + d.Message);
    }
  }
  return "";
}

bool TScriptWatch::Reload() {
  std::string text;
  std::string fault = ParseFault();
  if (fault.empty() && !TFileSystem::ReadFile(FScriptPath, text)) {
    fault = sjis::FromUtf8(FScriptPath) + ": cannot be read";
  }
  if (!fault.empty()) {
    // The running script stays; the band says why.
    FError = fault;
    FScreen.Paint(kMainWindow);
    return false;
  }
  FError.clear();
  FAccess.ReloadScript(std::move(text));
  RestartPage();
  return true;
}

void TScriptWatch::RestartPage() {
  FAccess.Process().Reset();
  FAccess.SetNextCommandIndex(0);
  // The page's waits and choices come back when it runs again.
  FScreen.RemoveDynamicLayers(kMainWindow, kAttrWaitMark);
  FScreen.RemoveDynamicLayers(kMainWindow, kAttrSelectChoice);
  // The pictures of the layers, as the files now are.
  if (TWindowRecord* main = FScreen.GetWindow(kMainWindow); main && main->Screen) {
    for (TLasLayer* layer = main->Screen->GetTopLayer(); layer; layer = layer->LowerLayer) {
      if (layer->FileName.empty()) continue;
      const bool visible = layer->Visible;
      const std::string name = layer->LayerName;
      const std::string file = layer->FileName;
      (void)FScreen.LoadLayerImage(kMainWindow, name, file, layer->Transparent, layer->Translucent);
      FScreen.SetLayerVisible(kMainWindow, name, visible);
    }
  }
  FScreen.Refresh(kMainWindow);
}

TRect TScriptWatch::DrawBand(TCanvas& canvas) const {
  if (FError.empty() || canvas.Width() <= 0 || canvas.Height() <= 0) return {};
  const int height = std::min(kBandHeight, canvas.Height());
  const int top = canvas.Height() - height;
  for (int y = top; y < canvas.Height(); ++y) {
    uint32_t* row = canvas.Row(y);
    std::fill(row, row + canvas.Width(), kBandColor);
  }
  TFont font;
  font.Name = FAccess.DefaultFontName();
  font.Size = kBandFontSize;
  const int textHeight = FontService().Measure(FError, font).Height;
  DrawShadowedRun(canvas, 4, top + std::max((height - textHeight) / 2, 0), FError, font, kBandText);
  return TRect{0, top, canvas.Width(), height};
}

}  // namespace pelto5
