// The font service on FreeType. Family names are resolved by a face
// locator (fontconfig on a desktop, a folder of font files in the browser),
// with the Windows Japanese family names mapped to the metric-compatible IPA
// faces; a name that resolves to nothing falls back to
// any installed Japanese face, then to any face at all. Glyphs are rendered
// as one-bit masks, bold and italic synthesised when the face has neither.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FontService.h"
#include "platform/fonts/FaceLocator.h"

namespace pelto5 {

class TFreeTypeFontService : public TFontService {
 public:
  TFreeTypeFontService();
  // Faces found by locator instead of the build's default.
  explicit TFreeTypeFontService(std::unique_ptr<TFaceLocator> locator);
  ~TFreeTypeFontService() override;
  TFreeTypeFontService(const TFreeTypeFontService&) = delete;
  TFreeTypeFontService& operator=(const TFreeTypeFontService&) = delete;

  [[nodiscard]] bool IsInstalled(const std::string& familyName) override;
  TTextExtent Measure(std::string_view run, const TFont& font) override;
  void DrawRun(const TTextTarget& target, int x, int y, std::string_view run,
               const TFont& font) override;

  // The file of the face that draws font ("" if there is none); for tests
  // and diagnostics.
  std::string FaceFile(const TFont& font);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace pelto5
