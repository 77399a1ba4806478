#include "lint/TextExtract.h"

#include <memory>

#include "base/SjisText.h"
#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "platform/Platform.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "script/Translation.h"

namespace pelto5 {

namespace {

constexpr const char* kHeader =
    "msgid \"\"\n"
    "msgstr \"\"\n"
    "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    "\"Content-Transfer-Encoding: 8bit\\n\"\n";

}  // namespace

bool TTextExtract::Run(const std::string& path, const TLintOptions& options, std::string& out) {
  // Faults the player would show in boxes are not asked about here.
  std::unique_ptr<TPlatform> quiet = CreateQuietPlatform(TMessageResult::No);
  TPlatform& previous = Platform();
  if (quiet) InstallPlatform(quiet.get());
  TDiagnosticList diagnostics;
  bool opened = false;
  out.clear();
  {
    TLintScript script;
    opened = script.Open(path, options, diagnostics);
    if (opened) {
      out = kHeader;
      const std::string& file = script.FileName();
      for (const TLintPage& page : script.Pages()) {
        if (!page.Own) continue;
        const std::string book = sjis::ToUtf8(page.Book);
        const std::string name = sjis::ToUtf8(page.Page);
        for (size_t i = 0; i < page.Commands.size(); ++i) {
          const TLintCommand& c = page.Commands[i];
          if (c.Command.CommandType != TCommandCtrl::ctMessageDraw) continue;
          const std::string text = sjis::ToUtf8(c.Command.ReadString(cmdkey::MessageDrawText));
          out += "\n#: " + file + ":" + std::to_string(c.LineOf(cmdkey::MessageDrawText.Name)) + "\n";
          out += "msgctxt " + TTranslation::Quote(TTranslation::Context(book, name, static_cast<int>(i))) + "\n";
          out += "msgid " + TTranslation::Quote(text) + "\n";
          out += "msgstr \"\"\n";
        }
      }
    }
  }
  InstallPlatform(&previous);
  if (!opened) {
    for (const TDiagnostic& d : diagnostics.Items()) out += d.File + ":" + std::to_string(d.Line) + ": " + d.Message + "\n";
  }
  return opened;
}

}  // namespace pelto5
