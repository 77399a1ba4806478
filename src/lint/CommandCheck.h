// The "commands" check: unknown command names (with the nearest known
// name), property keys that belong to no key of their command (with the
// nearest key), keys given twice, and values their key does not accept.
#pragma once

#include <string>

namespace pelto5 {

class TLintScript;
class TDiagnosticList;
struct TLintCommand;
struct TCommandKey;

class TCommandCheck {
 public:
  static void Run(TLintScript& script, TDiagnosticList& out);

 private:
  static void CheckCommand(const std::string& file, const TLintCommand& command, TDiagnosticList& out);
  static void CheckValue(const std::string& file, int line, const TCommandKey& key, const std::string& value,
                         TDiagnosticList& out);
};

}  // namespace pelto5
