// libFuzzer target: any bytes as a script. The script is parsed and
// indexed, every command of every page of every book is fetched through
// the command cache, and every property value is expanded with variables
// (header values included through the "@section:key" built-ins).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/PeltoCommand.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"

namespace {

pelto5::THeadlessOptions Quiet() {
  pelto5::THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

void ExpandProperties(pelto5::TVariableCtrl& variables, const pelto5::TPeltoCommand& command) {
  for (const std::string& line : command.Properties) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    bool failed = false;
    variables.ExpandText(std::string_view(line).substr(equals + 1), failed);
  }
  // The typed reads every handler makes.
  static_cast<void>(command.ReadInteger("Layer.Pos.Left", 0));
  static_cast<void>(command.ReadBool("Move.Call", false));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelto5;
  THeadlessPlatform platform(Quiet());
  InstallPlatform(&platform);
  TPeltoFile file;
  file.LoadFromStream(std::string(reinterpret_cast<const char*>(data), size));
  file.Reindex();
  TVariableCtrl variables;
  variables.FFile = &file;
  variables.Set_Value("%a%", 7);
  variables.Set_Text("$s$", "text");
  TCommandCtrl commands;
  commands.SetFile(&file);
  TStringList books;
  file.GetBookList(books);
  for (const std::string& book : books) {
    TStringList pages;
    file.GetPageList(book, pages);
    for (const std::string& page : pages) {
      const int lines = file.GetPageLineCount(book, page);
      if (lines > 0) file.GetPageLine(book, page, lines - 1);
      commands.SetBookName(book);
      commands.SetPageName(page);
      const int count = commands.GetCommandCount();
      if (count < 0 || count > TCommandCtrl::kMaxCommands) std::abort();
      for (int i = 0; i < count; ++i) {
        TPeltoCommand command;
        if (!commands.GetCommand(i, command)) std::abort();
        if (command.Level != commands.GetCommandLevel(i)) std::abort();
        ExpandProperties(variables, command);
      }
      TPeltoCommand beyond;
      if (commands.GetCommand(count, beyond)) std::abort();
    }
  }
  file.ReadString("Pelto", "StartBook", "");
  InstallPlatform(nullptr);
  return 0;
}
