#include "platform/fonts/FreeTypeFontService.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/Cp932Table.h"
#include "base/SjisText.h"
#include "platform/fonts/FontFolderLocator.h"
#include "platform/fonts/FaceOpen.h"
#include "platform/fonts/FontconfigLocator.h"
#include "platform/fonts/WindowsFontLocator.h"

namespace pelto5 {

namespace {

// Windows family names (Shift-JIS) and the installed faces standing in for
// them. Text in these families is laid out with the Windows face's metrics
// (scenarios size their message areas for them); Fixed marks the
// fixed-pitch faces, whose characters advance one em or half an em.
struct TFamilyAlias {
  const char* Name;
  const char* Family;
  bool Fixed;
};
constexpr TFamilyAlias kFamilyAliases[] = {
    {"\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e", "IPAGothic", true},            // ＭＳ ゴシック
    {"\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e", "IPAPGothic", false},  // ＭＳ Ｐゴシック
    {"\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9", "IPAMincho", true},                           // ＭＳ 明朝
    {"\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9", "IPAPMincho", false},                 // ＭＳ Ｐ明朝
    {"\x82\x6c\x82\x72\x20\x82\x74\x82\x68\x20Gothic", "IPAPGothic", false},                // ＭＳ ＵＩ Gothic
    {"MS Gothic", "IPAGothic", true},
    {"MS PGothic", "IPAPGothic", false},
    {"MS Mincho", "IPAMincho", true},
    {"MS PMincho", "IPAPMincho", false},
    {"MS UI Gothic", "IPAPGothic", false},
};

// How text of a family is measured.
enum class TMetricsKind { Face, Windows, WindowsFixed };

// The Windows Japanese faces have an ascent of 220 and a descent of 36 in
// their 256-unit em: the cell is exactly one em high.
constexpr int kWindowsAscentUnits = 220;
constexpr int kWindowsEmUnits = 256;

// Decodes UTF-8 into code points; malformed bytes become U+FFFD.
std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (i + extra >= s.size()) {
      out.push_back(0xFFFD);
      break;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (t & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

struct TGlyph {
  int Advance = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Rows = 0;
  std::vector<uint8_t> Mask;  // one byte per pixel, 0 or 1
};

struct TFace {
  FT_Face Face = nullptr;
  std::string File;
  int Index = 0;
  int CurrentEm = 0;
  bool Completed = false;  // the locator was asked for the whole face
};

// A resolved (name, bold, italic): which face and what to synthesise.
struct TResolved {
  TFace* Face = nullptr;
  bool SynthBold = false;
  bool SynthItalic = false;
  TMetricsKind Metrics = TMetricsKind::Face;
  bool Bold = false;    // the style asked for
  bool Italic = false;
};

struct TGlyphKey {
  const TFace* Face;
  int Em;
  bool Bold;
  bool Italic;
  TMetricsKind Metrics;
  char32_t CodePoint;
  bool operator==(const TGlyphKey& o) const {
    return Face == o.Face && Em == o.Em && Bold == o.Bold && Italic == o.Italic &&
           Metrics == o.Metrics && CodePoint == o.CodePoint;
  }
};

struct TGlyphKeyHash {
  size_t operator()(const TGlyphKey& k) const {
    size_t h = std::hash<const void*>()(k.Face);
    h = h * 31 + static_cast<size_t>(k.Em);
    h = h * 31 + (k.Bold ? 1 : 0) + (k.Italic ? 2 : 0) + 4 * static_cast<size_t>(k.Metrics);
    h = h * 31 + k.CodePoint;
    return h;
  }
};

constexpr size_t kGlyphCacheLimit = 8192;

// Where the faces come from: fontconfig on a desktop; in the browser
// build, the faces in "/fonts" (the web player passes a locator that also
// downloads them from the page when first drawn with).
std::unique_ptr<TFaceLocator> DefaultLocator() {
#ifdef __EMSCRIPTEN__
  return std::make_unique<TFontFolderLocator>("/fonts");
#elif defined(_WIN32)
  return std::make_unique<TWindowsFontLocator>();
#else
  return std::make_unique<TFontconfigLocator>();
#endif
}

// A character code page 932 lacks: only a translation's text holds one.
// The scenario's face draws it when it has it, a fallback face otherwise;
// every other character is the scenario face's to draw, as it always was.
bool TakesFallback(char32_t cp) { return cp >= 0x80 && cp932::FromUnicode(cp) == 0; }

const TFamilyAlias* FindAlias(const std::string& sjisName) {
  for (const TFamilyAlias& alias : kFamilyAliases) {
    if (sjisName == alias.Name || sjis::SameText(sjisName, alias.Name)) return &alias;
  }
  return nullptr;
}

// The family to look for: a Windows family's stand-in, unless the locator
// has the genuine face.
std::string ResolveAlias(TFaceLocator& locator, const std::string& utf8Name, const std::string& sjisName) {
  const TFamilyAlias* alias = FindAlias(sjisName);
  if (alias == nullptr || locator.GenuineFamilyInstalled(utf8Name)) return utf8Name;
  return alias->Family;
}

}  // namespace

struct TFreeTypeFontService::TImpl {
  FT_Library Library = nullptr;
  std::unique_ptr<TFaceLocator> Locator;
  std::map<std::string, std::unique_ptr<TFace>> Faces;  // by "file|index"
  std::map<std::string, TResolved> Resolved;            // by name + style
  std::map<std::string, bool> Installed;
  // The fallback for a character, by the character and the requested
  // style; a null face where no face has it.
  std::map<std::pair<char32_t, int>, TResolved> Fallbacks;
  std::unordered_map<TGlyphKey, TGlyph, TGlyphKeyHash> Glyphs;

  explicit TImpl(std::unique_ptr<TFaceLocator> locator) : Locator(std::move(locator)) {
    if (FT_Init_FreeType(&Library) != 0) Library = nullptr;
  }

  ~TImpl() {
    Glyphs.clear();
    for (auto& entry : Faces) {
      if (entry.second->Face) FT_Done_Face(entry.second->Face);
    }
    Faces.clear();
    if (Library) FT_Done_FreeType(Library);
  }

  bool IsInstalled(const std::string& sjisName) {
    auto it = Installed.find(sjisName);
    if (it != Installed.end()) return it->second;
    const std::string family = ResolveAlias(*Locator, sjis::ToUtf8(sjisName), sjisName);
    const bool found = Locator->FamilyInstalled(family);
    Installed.emplace(sjisName, found);
    return found;
  }

  TFace* OpenFace(const std::string& file, int index) {
    const std::string key = file + "|" + std::to_string(index);
    auto it = Faces.find(key);
    if (it != Faces.end()) return it->second->Face ? it->second.get() : nullptr;
    auto face = std::make_unique<TFace>();
    face->File = file;
    face->Index = index;
    if (!Library || OpenFaceFile(Library, file, index, &face->Face) != 0) {
      face->Face = nullptr;
    } else if (!FT_IS_SCALABLE(face->Face)) {
      FT_Done_Face(face->Face);
      face->Face = nullptr;
    }
    TFace* result = face->Face ? face.get() : nullptr;
    Faces.emplace(key, std::move(face));
    return result;
  }

  // The locator's best face for query, opened, with what it lacks of the
  // requested style; false if there is none.
  bool MatchFace(const TFaceQuery& query, TResolved& resolved) {
    TFaceFile file;
    if (!Locator->Match(query, file)) return false;
    TFace* face = OpenFace(file.Path, file.Index);
    if (!face) return false;
    // A locator may report the requested style for faces it would only
    // synthesise, so the face's own flags decide what is missing.
    resolved.Face = face;
    resolved.Bold = query.Bold;
    resolved.Italic = query.Italic;
    resolved.SynthBold = query.Bold && (face->Face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    resolved.SynthItalic = query.Italic && (face->Face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    return true;
  }

  TResolved Resolve(const TFont& font) {
    const std::string key =
        font.Name + (font.Bold ? "\x01" "B" : "\x01" "-") + (font.Italic ? "I" : "-");
    auto it = Resolved.find(key);
    if (it != Resolved.end()) return it->second;
    TResolved resolved;
    resolved.Bold = font.Bold;
    resolved.Italic = font.Italic;
    TFaceQuery query;
    query.Bold = font.Bold;
    query.Italic = font.Italic;
    query.Family = ResolveAlias(*Locator, sjis::ToUtf8(font.Name), font.Name);
    bool found = false;
    if (Locator->FamilyInstalled(query.Family)) {
      found = MatchFace(query, resolved);
      const TFamilyAlias* alias = FindAlias(font.Name);
      if (found && alias) {
        resolved.Metrics = alias->Fixed ? TMetricsKind::WindowsFixed : TMetricsKind::Windows;
      }
    }
    // A family that is not there: any Japanese face, then any face at all.
    query.Family.clear();
    query.RequireJapanese = true;
    if (!found) found = MatchFace(query, resolved);
    query.RequireJapanese = false;
    if (!found) MatchFace(query, resolved);
    Resolved.emplace(key, resolved);
    return resolved;
  }

  // The face lacks cp: when its file is a subset the locator can make
  // whole, the face is opened again from the whole file (once per face).
  // The glyphs drawn so far are dropped, as they may be notdef boxes.
  bool CompleteFace(TFace& face, char32_t cp) {
    if (face.Completed || cp < 0x20) return false;
    face.Completed = true;
    if (!Locator->Complete(face.File)) return false;
    FT_Face whole = nullptr;
    if (OpenFaceFile(Library, face.File, face.Index, &whole) != 0) return false;
    if (!FT_IS_SCALABLE(whole)) {
      FT_Done_Face(whole);
      return false;
    }
    Glyphs.clear();
    FT_Done_Face(face.Face);
    face.Face = whole;
    face.CurrentEm = 0;
    return true;
  }

  bool SetEm(TFace& face, int em) {
    if (face.CurrentEm == em) return true;
    if (FT_Set_Pixel_Sizes(face.Face, 0, static_cast<FT_UInt>(em)) != 0) return false;
    face.CurrentEm = em;
    return true;
  }

  const TGlyph* Glyph(const TResolved& resolved, int em, char32_t cp) {
    const TGlyphKey key{resolved.Face, em, resolved.SynthBold, resolved.SynthItalic,
                        resolved.Metrics, cp};
    auto it = Glyphs.find(key);
    if (it != Glyphs.end()) return &it->second;
    if (Glyphs.size() >= kGlyphCacheLimit) Glyphs.clear();
    TGlyph glyph;
    FT_UInt index = FT_Get_Char_Index(resolved.Face->Face, cp);
    if (index == 0 && CompleteFace(*resolved.Face, cp)) {
      if (!SetEm(*resolved.Face, em)) return &Glyphs.emplace(key, std::move(glyph)).first->second;
      index = FT_Get_Char_Index(resolved.Face->Face, cp);
    }
    // Cached under the resolved face, a fallback glyph costs its lookup once.
    TResolved drawing = resolved;
    if (index == 0 && TakesFallback(cp)) {
      const TResolved fallback = Fallback(resolved, cp);
      if (fallback.Face && fallback.Face != resolved.Face && SetEm(*fallback.Face, em)) {
        drawing = fallback;
        index = FT_Get_Char_Index(fallback.Face->Face, cp);
      }
    }
    FT_Face face = drawing.Face->Face;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) == 0) {
      FT_GlyphSlot slot = face->glyph;
      // Full-width glyphs of the fixed-pitch faces are one em wide, the
      // half-width ones half an em (the unhinted advance tells them apart).
      const bool fullWidth = slot->linearHoriAdvance * 4 > (static_cast<FT_Fixed>(em) << 16) * 3;
      if (drawing.SynthItalic) FT_GlyphSlot_Oblique(slot);
      if (drawing.SynthBold) FT_GlyphSlot_Embolden(slot);
      glyph.Advance = static_cast<int>((slot->advance.x + 32) >> 6);
      if (resolved.Metrics == TMetricsKind::WindowsFixed) {
        // A synthesised bold widens every cell by one pixel, as on Windows
        // (a fallback glyph keeps the cell of the fixed-pitch face).
        glyph.Advance = (fullWidth ? em : em / 2) + (resolved.SynthBold ? 1 : 0);
      }
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0 &&
          slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.Left = slot->bitmap_left;
        glyph.Top = slot->bitmap_top;
        glyph.Width = static_cast<int>(bitmap.width);
        glyph.Rows = static_cast<int>(bitmap.rows);
        glyph.Mask.assign(static_cast<size_t>(glyph.Width) * glyph.Rows, 0);
        for (int row = 0; row < glyph.Rows; ++row) {
          const int pitch = bitmap.pitch;
          const unsigned char* src =
              pitch >= 0 ? bitmap.buffer + static_cast<ptrdiff_t>(row) * pitch
                         : bitmap.buffer + static_cast<ptrdiff_t>(glyph.Rows - 1 - row) * -pitch;
          uint8_t* dst = glyph.Mask.data() + static_cast<size_t>(row) * glyph.Width;
          for (int col = 0; col < glyph.Width; ++col) {
            dst[col] = (src[col >> 3] >> (7 - (col & 7))) & 1;
          }
        }
      }
    }
    return &Glyphs.emplace(key, std::move(glyph)).first->second;
  }

  // A face that has cp, for a character the resolved face lacks; null face
  // when none has it.
  TResolved Fallback(const TResolved& resolved, char32_t cp) {
    const std::pair<char32_t, int> key{cp, (resolved.Bold ? 1 : 0) + (resolved.Italic ? 2 : 0)};
    auto it = Fallbacks.find(key);
    if (it == Fallbacks.end()) {
      TResolved found;
      TFaceQuery query;
      query.Bold = resolved.Bold;
      query.Italic = resolved.Italic;
      query.Covers = cp;
      if (!MatchFace(query, found) || FT_Get_Char_Index(found.Face->Face, cp) == 0) found = TResolved{};
      it = Fallbacks.emplace(key, found).first;
    }
    TResolved fallback = it->second;
    fallback.Metrics = resolved.Metrics;
    return fallback;
  }

  // Ascent and descent in pixels at the current em: the Windows face's for
  // the aliased families (the cell is one em, the ascent its 220/256
  // share, rounded), the face's own otherwise.
  static void Metrics(const TResolved& resolved, int em, int& ascent, int& descent) {
    if (resolved.Metrics != TMetricsKind::Face) {
      ascent = (em * kWindowsAscentUnits + kWindowsEmUnits / 2) / kWindowsEmUnits;
      descent = em - ascent;
      return;
    }
    FT_Face face = resolved.Face->Face;
    ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    if (ascent < 0) ascent = 0;
    if (descent < 0) descent = 0;
  }
};

TFreeTypeFontService::TFreeTypeFontService() : TFreeTypeFontService(DefaultLocator()) {}

TFreeTypeFontService::TFreeTypeFontService(std::unique_ptr<TFaceLocator> locator)
    : FImpl(std::make_unique<TImpl>(std::move(locator))) {}
TFreeTypeFontService::~TFreeTypeFontService() = default;

bool TFreeTypeFontService::IsInstalled(const std::string& familyName) {
  return FImpl->IsInstalled(familyName);
}

std::string TFreeTypeFontService::FaceFile(const TFont& font) {
  const TResolved resolved = FImpl->Resolve(font);
  return resolved.Face ? resolved.Face->File : std::string();
}

TTextExtent TFreeTypeFontService::Measure(std::string_view run, const TFont& font) {
  TTextExtent extent;
  const int em = FontEmPixels(font.Size);
  const TResolved resolved = FImpl->Resolve(font);
  if (!resolved.Face || !FImpl->SetEm(*resolved.Face, em)) {
    // No face at all: an em-square box per character keeps layouts going.
    extent.Height = em;
    extent.Width = static_cast<int>(DecodeUtf8(sjis::ToUtf8(run)).size()) * em / 2;
    return extent;
  }
  int ascent = 0;
  int descent = 0;
  TImpl::Metrics(resolved, em, ascent, descent);
  extent.Height = ascent + descent;
  for (char32_t cp : DecodeUtf8(sjis::ToUtf8(run))) {
    extent.Width += FImpl->Glyph(resolved, em, cp)->Advance;
  }
  return extent;
}

void TFreeTypeFontService::DrawRun(const TTextTarget& target, int x, int y, std::string_view run,
                                   const TFont& font) {
  if (!target.Pixels || target.Width <= 0 || target.Height <= 0) return;
  const int em = FontEmPixels(font.Size);
  const TResolved resolved = FImpl->Resolve(font);
  if (!resolved.Face || !FImpl->SetEm(*resolved.Face, em)) return;
  int ascent = 0;
  int descent = 0;
  TImpl::Metrics(resolved, em, ascent, descent);
  const uint32_t rgb = font.Color & 0x00FFFFFFu;
  const uint32_t pixel = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  const int baseline = y + ascent;
  int penX = x;
  for (char32_t cp : DecodeUtf8(sjis::ToUtf8(run))) {
    const TGlyph* glyph = FImpl->Glyph(resolved, em, cp);
    const int left = penX + glyph->Left;
    const int top = baseline - glyph->Top;
    for (int row = 0; row < glyph->Rows; ++row) {
      const int py = top + row;
      if (py < 0 || py >= target.Height) continue;
      const uint8_t* mask = glyph->Mask.data() + static_cast<size_t>(row) * glyph->Width;
      const int from = std::max(0, -left);
      const int to = std::min(glyph->Width, target.Width - left);
      uint32_t* dst = target.Pixels + static_cast<size_t>(py) * target.Stride + left;
      uint8_t* alpha = target.Alpha ? target.Alpha + static_cast<size_t>(py) * target.AlphaStride + left
                                    : nullptr;
      for (int col = from; col < to; ++col) {
        if (!mask[col]) continue;
        dst[col] = pixel;
        if (alpha) alpha[col] = 255;
      }
    }
    penX += glyph->Advance;
  }
}

}  // namespace pelto5
