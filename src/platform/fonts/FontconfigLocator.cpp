#include "platform/fonts/FontconfigLocator.h"

#include <fontconfig/fontconfig.h>

namespace pelto5 {

bool TFontconfigLocator::Ready() {
  if (!FTried) {
    FTried = true;
    FReady = FcInit() == FcTrue;
  }
  return FReady;
}

bool TFontconfigLocator::FamilyInstalled(const std::string& family) {
  if (family.empty() || !Ready()) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, static_cast<char*>(nullptr));
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  const bool found = set && set->nfont > 0;
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

bool TFontconfigLocator::Match(const TFaceQuery& query, TFaceFile& face) {
  if (!Ready()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!query.Family.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(query.Family.c_str()));
  }
  if (query.RequireJapanese) {
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddLangSet(pattern, FC_LANG, langs);
    FcLangSetDestroy(langs);
  }
  if (query.Covers != 0) {
    FcCharSet* chars = FcCharSetCreate();
    FcCharSetAddChar(chars, query.Covers);
    FcPatternAddCharSet(pattern, FC_CHARSET, chars);
    FcCharSetDestroy(chars);
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, query.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, query.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  bool ok = false;
  if (match) {
    FcChar8* file = nullptr;
    FcLangSet* langs = nullptr;
    const bool japanese = FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
                          FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) ==
                              FcLangEqual;
    // The best match may still lack the character when no face has it.
    FcCharSet* chars = nullptr;
    const bool covers = query.Covers == 0 || (FcPatternGetCharSet(match, FC_CHARSET, 0, &chars) == FcResultMatch &&
                                              FcCharSetHasChar(chars, query.Covers) == FcTrue);
    if ((!query.RequireJapanese || japanese) && covers &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      face.Path = reinterpret_cast<const char*>(file);
      face.Index = 0;
      FcPatternGetInteger(match, FC_INDEX, 0, &face.Index);
      ok = true;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return ok;
}

}  // namespace pelto5
