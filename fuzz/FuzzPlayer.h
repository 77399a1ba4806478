// A headless player for fuzz targets that need the whole engine: a quiet
// headless platform, a small script in a temporary folder with its data
// folder, and the access control, screen, music and save system on top.
// Each input gets a fresh player, so nothing carries over between inputs;
// the folder is made once per process and removed at exit.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "audio/MusicCtrl.h"
#include "exec/PeltoAccessControl.h"
#include "graphics/ScreenControl.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "save/SaveSystem.h"

namespace pelto5 {

class TFuzzFolder {
 public:
  TFuzzFolder() {
    char pattern[] = "/tmp/pelto5-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    FPath = pattern;
    std::filesystem::create_directory(FPath + "/story");
    for (const bool legacy : {false, true}) {
      std::ofstream script(ScriptPath(legacy), std::ios::binary);
      script << "///\r\n///\r\n<Head=\"Pelto\">\r\nFileType=PV5\r\nStartBook=B\r\nStartPage=P\r\n"
             << (legacy ? "LegacyMode=1\r\n" : "")
             << "<Head End>\r\n<Book=\"B\">\r\n<Page=\"P\">\r\n@rem\r\n<Page End>\r\n<Book End>\r\n";
    }
  }
  ~TFuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  // The legacy script's saves carry the background picture.
  std::string ScriptPath(bool legacy) const { return FPath + (legacy ? "/legacy.pf5" : "/story.pf5"); }
  std::string DataPath(std::string_view name) const { return FPath + "/story/" + std::string(name); }

  static TFuzzFolder& Instance() {
    static TFuzzFolder folder;
    return folder;
  }

 private:
  std::string FPath;
};

class TFuzzPlayer {
 public:
  explicit TFuzzPlayer(bool legacy = false) : FPlatform(QuietOptions()) {
    InstallPlatform(&FPlatform);
    Access = std::make_unique<TPeltoAccessControl>();
    if (!Access->Open(TFuzzFolder::Instance().ScriptPath(legacy))) std::abort();
    Screen = std::make_unique<TScreenControl>();
    Screen->AccessControl = Access.get();
    Screen->InitWindows();
    Music = std::make_unique<TMusicCtrl>();
    Save = std::make_unique<TSaveSystem>(*Access, *Screen, *Music);
  }
  ~TFuzzPlayer() {
    Save.reset();
    Music.reset();
    Screen.reset();
    Access.reset();
    InstallPlatform(nullptr);
  }
  TFuzzPlayer(const TFuzzPlayer&) = delete;
  TFuzzPlayer& operator=(const TFuzzPlayer&) = delete;

  // Writes the input as a file of the data folder; returns its path.
  static std::string WriteDataFile(std::string_view name, const uint8_t* data, size_t size) {
    const std::string path = TFuzzFolder::Instance().DataPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) std::abort();
    return path;
  }

  std::unique_ptr<TPeltoAccessControl> Access;
  std::unique_ptr<TScreenControl> Screen;
  std::unique_ptr<TMusicCtrl> Music;
  std::unique_ptr<TSaveSystem> Save;

 private:
  static THeadlessOptions QuietOptions() {
    THeadlessOptions options;
    options.EchoToStderr = false;
    return options;
  }

  THeadlessPlatform FPlatform;
};

}  // namespace pelto5
