// Program entry: reads the command line, chooses the backend, runs the main
// form and reports the exit status.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FormRun.h"
#include "app/ScenarioTests.h"
#include "lint/ScenarioLint.h"
#include "lint/TextExtract.h"
#include "app/LibraryVersions.h"
#include "platform/fonts/FontDefaults.h"
#include "platform/headless/HeadlessDefaults.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/ProcessSignals.h"
#include "platform/ProgramArguments.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "platform/fonts/FontFolderLocator.h"
#include "platform/web/WebFonts.h"
#include "platform/web/WebPlatform.h"
#else
#include "platform/sdl/SdlPlatform.h"
#endif
#include "shell/FrmMain.h"

using namespace pelto5;

namespace {

#ifndef __EMSCRIPTEN__
// Exit status when no display could be opened for the window.
constexpr int kExitNoDisplay = 4;
#endif

// --check: the findings on standard output; 0 without errors, 1 with.
int RunCheck(const TCommandLine& cl) {
  TLintOptions options;
  options.Json = cl.CheckJson;
  options.LibraryPath = cl.LibraryPath;
  options.Disabled.insert(cl.CheckDisabled.begin(), cl.CheckDisabled.end());
  TScenarioLint lint(options);
  lint.Run(cl.ContentPath);
  std::fputs(lint.Report().c_str(), stdout);
  return lint.ExitStatus();
}

// --extract-text: the PO template on standard output; 1 when the content
// could not be opened.
int RunExtract(const TCommandLine& cl) {
  TLintOptions options;
  options.LibraryPath = cl.LibraryPath;
  std::string out;
  const bool opened = TTextExtract::Run(cl.ContentPath, options, out);
  std::fputs(out.c_str(), opened ? stdout : stderr);
  return opened ? 0 : 1;
}

}  // namespace

// The backends every run needs, whatever it plays on: the fonts, and the
// quiet headless instance that answers when no platform is installed (at
// start-up and shut-down, and for --check).
static void SetUpBackends() {
  InstallHeadlessDefaults();
#ifdef __EMSCRIPTEN__
  // The faces shipped with the page, listed in "/fonts/faces.txt" and
  // downloaded when first drawn with.
  InstallDefaultFonts(std::make_unique<TFontFolderLocator>("/fonts", FetchWebFont));
#else
  InstallDefaultFonts();
#endif
}

static int RunMain(int argc, char** argv) {
  TProcessSignals::IgnoreFileSizeLimitSignal();
  SetUpBackends();
  const std::vector<std::string> args = TProgramArguments::Utf8(argc, argv);
  TCommandLine cl;
  const TResult parsed = cl.Parse(args);
  if (!parsed) {
    std::fprintf(stderr, "pelto5: %s\n%s", parsed.Reason().c_str(), TCommandLine::Usage().c_str());
    return 2;
  }
  if (cl.Help) {
    std::fputs(TCommandLine::Usage().c_str(), stdout);
    return 0;
  }
  if (cl.Version) {
    std::printf("pelto5 %s\n%s", PELTO5_VERSION, TLibraryVersions::Text().c_str());
    return 0;
  }

  if (cl.Check) return RunCheck(cl);
  if (!cl.TestDirectory.empty()) return TScenarioTests(cl).Run();
  if (cl.ExtractText) return RunExtract(cl);
  const TResult outputs = cl.CheckOutputFolders();
  if (!outputs) {
    std::fprintf(stderr, "pelto5: %s\n", outputs.Reason().c_str());
    return 2;
  }

  if (cl.Headless) {
    THeadlessOptions options;
    options.Trace = cl.Trace;
    options.TraceAudio = cl.TraceAudio;
    options.MaxTime = cl.MaxTime;
    options.Answer = cl.Answer;
    THeadlessPlatform platform(options);
    if (!cl.EventsPath.empty()) {
      const TResult loaded = platform.LoadEvents(cl.EventsPath);
      if (!loaded) {
        std::fprintf(stderr, "pelto5: events file %s\n", loaded.Reason().c_str());
        return 2;
      }
    }
    InstallPlatform(&platform);
    const int status = RunForm(platform, cl);
    InstallPlatform(nullptr);
    return status;
  }

#ifdef __EMSCRIPTEN__
  // In the browser the page is the window.
  TWebOptions options;
  options.Trace = cl.Trace;
  TWebPlatform platform(options);
  platform.Initialize();
  InstallPlatform(&platform);
  const int status = RunForm(platform, cl);
  InstallPlatform(nullptr);
  return status;
#else
  TSdlOptions options;
  options.Scale = cl.Scale;
#ifdef _WIN32
  options.ScaleToDisplay = !cl.ScaleGiven;
#endif
  options.LinearFilter = cl.LinearFilter;
  options.Trace = cl.Trace;
  options.VirtualClock = !cl.RecordPath.empty();
  TSdlPlatform platform(options);
  const TResult initialized = platform.Initialize();
  if (!initialized) {
    std::fprintf(stderr, "pelto5: %s\n", initialized.Reason().c_str());
    return platform.NoDisplay() ? kExitNoDisplay : 1;
  }
  InstallPlatform(&platform);
  const int status = RunForm(platform, cl);
  InstallPlatform(nullptr);
  return status;
#endif
}

#ifdef __EMSCRIPTEN__
// Tells the page that the player has ended and how.
EM_JS(void, pelto5_web_ended, (int status), {
  if (Module.pelto5Page && Module.pelto5Page.ended) Module.pelto5Page.ended(status);
});
#endif

int main(int argc, char** argv) {
  // An unexpected error escaping start-up or a step is shown, not a crash.
  int status = 1;
  try {
    status = RunMain(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pelto5: unexpected error: %s\n", e.what());
  }
#ifdef __EMSCRIPTEN__
  pelto5_web_ended(status);
#endif
  return status;
}
