#include "platform/fonts/FontFolderLocator.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/fonts/FaceOpen.h"
#include "base/SjisText.h"

namespace pelto5 {

namespace {

// Family names compare as fontconfig compares them: ASCII letters without
// regard to case, spaces ignored.
std::string Fold(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c == ' ') continue;
    out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return out;
}

// A name-table string in UTF-16BE (the Unicode and Windows platforms) as
// UTF-8; "" for other encodings.
std::string NameToUtf8(const FT_SfntName& name) {
  if (name.platform_id != TT_PLATFORM_MICROSOFT && name.platform_id != TT_PLATFORM_APPLE_UNICODE) {
    return {};
  }
  std::string out;
  for (FT_UInt i = 0; i + 1 < name.string_len; i += 2) {
    char32_t unit = static_cast<char32_t>(name.string[i] << 8 | name.string[i + 1]);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < name.string_len) {
      const char32_t low = static_cast<char32_t>(name.string[i + 2] << 8 | name.string[i + 3]);
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    sjis::AppendUtf8(out, unit);
  }
  return out;
}

bool IsFontFile(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == "ttf" || ext == "otf" || ext == "ttc" || ext == "otc";
}

// Splits line at tabs.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

constexpr const char* kIndexName = "faces.txt";

}  // namespace

TFontFolderLocator::TFontFolderLocator(std::string folder, TFetch fetch)
    : FFolder(std::move(folder)), FFetch(std::move(fetch)) {}

void TFontFolderLocator::Scan() {
  if (FScanned) return;
  FScanned = true;
  if (!ReadIndex()) ScanFiles();
}

bool TFontFolderLocator::ReadIndex() {
  std::string text;
  if (!TFileSystem::ReadFile(FFolder + "/" + kIndexName, text)) return false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    const std::vector<std::string> fields = Fields(line);
    // A file name with a folder in it would leave the font folder.
    if (fields.size() < 5 || fields[0].empty() || fields[0].find('/') != std::string::npos ||
        fields[0] == "..") {
      continue;
    }
    TEntry entry;
    entry.File = {FFolder + "/" + fields[0], 0};
    entry.Bold = fields[1] == "1";
    entry.Italic = fields[2] == "1";
    entry.Japanese = fields[3] == "1";
    for (size_t i = 4; i < fields.size(); ++i) {
      if (!fields[i].empty()) entry.Families.push_back(Fold(fields[i]));
    }
    FEntries.push_back(std::move(entry));
  }
  return true;
}

void TFontFolderLocator::ScanFiles() {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return;
  for (const std::string& name : TFileSystem::ListFiles(FFolder, "*")) {
    if (!IsFontFile(name)) continue;
    const std::string path = FFolder + "/" + name;
    FT_Long faces = 1;
    for (FT_Long index = 0; index < faces; ++index) {
      FT_Face face = nullptr;
      if (OpenFaceFile(library, path, index, &face) != 0) break;
      faces = face->num_faces;
      if (FT_IS_SCALABLE(face)) {
        TEntry entry;
        entry.File = {path, static_cast<int>(index)};
        entry.Bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        entry.Italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        entry.Japanese = FT_Get_Char_Index(face, 0x3042) != 0 && FT_Get_Char_Index(face, 0x65E5) != 0;
        if (face->family_name) entry.Families.push_back(Fold(face->family_name));
        const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
        for (FT_UInt i = 0; i < count; ++i) {
          FT_SfntName sfntName;
          if (FT_Get_Sfnt_Name(face, i, &sfntName) != 0) continue;
          if (sfntName.name_id != TT_NAME_ID_FONT_FAMILY &&
              sfntName.name_id != TT_NAME_ID_TYPOGRAPHIC_FAMILY) {
            continue;
          }
          const std::string family = Fold(NameToUtf8(sfntName));
          if (!family.empty() &&
              std::find(entry.Families.begin(), entry.Families.end(), family) == entry.Families.end()) {
            entry.Families.push_back(family);
          }
        }
        FEntries.push_back(std::move(entry));
      }
      FT_Done_Face(face);
    }
  }
  FT_Done_FreeType(library);
}

bool TFontFolderLocator::Covers(TEntry& entry, char32_t cp) {
  if (!entry.RangesRead) {
    entry.RangesRead = true;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (TFileSystem::FileExists(entry.File.Path) && FT_Init_FreeType(&library) == 0) {
      if (OpenFaceFile(library, entry.File.Path, entry.File.Index, &face) == 0) {
        FT_UInt index = 0;
        for (FT_ULong c = FT_Get_First_Char(face, &index); index != 0; c = FT_Get_Next_Char(face, c, &index)) {
          const auto code = static_cast<char32_t>(c);
          if (!entry.Ranges.empty() && entry.Ranges.back() + 1 == code) {
            entry.Ranges.back() = code;
          } else {
            entry.Ranges.push_back(code);
            entry.Ranges.push_back(code);
          }
        }
        FT_Done_Face(face);
      }
      FT_Done_FreeType(library);
    }
  }
  for (size_t i = 0; i + 1 < entry.Ranges.size(); i += 2) {
    if (cp >= entry.Ranges[i] && cp <= entry.Ranges[i + 1]) return true;
  }
  return false;
}

TFontFolderLocator::TEntry* TFontFolderLocator::Find(const TFaceQuery& query) {
  const std::string family = Fold(query.Family);
  TEntry* best = nullptr;
  int bestScore = -1;
  for (TEntry& entry : FEntries) {
    if (!family.empty() &&
        std::find(entry.Families.begin(), entry.Families.end(), family) == entry.Families.end()) {
      continue;
    }
    if (query.RequireJapanese && !entry.Japanese) continue;
    // The requested style first; among the rest the plainer face, since a
    // missing style is synthesised from it.
    const int score = (entry.Bold == query.Bold ? 2 : entry.Bold ? 0 : 1) +
                      (entry.Italic == query.Italic ? 2 : entry.Italic ? 0 : 1) * 3;
    if (score > bestScore && (query.Covers == 0 || Covers(entry, query.Covers))) {
      best = &entry;
      bestScore = score;
    }
  }
  return best;
}

bool TFontFolderLocator::FamilyInstalled(const std::string& family) {
  if (family.empty()) return false;
  Scan();
  TFaceQuery query;
  query.Family = family;
  return Find(query) != nullptr;
}

bool TFontFolderLocator::Match(const TFaceQuery& query, TFaceFile& face) {
  Scan();
  const TEntry* entry = Find(query);
  if (!entry) return false;
  if (!TFileSystem::FileExists(entry->File.Path) && !(FFetch && FFetch(entry->File.Path, false))) return false;
  face = entry->File;
  return true;
}

bool TFontFolderLocator::Complete(const std::string& path) {
  if (!FFetch) return false;
  for (TEntry& entry : FEntries) {
    if (entry.File.Path != path || entry.Completed) continue;
    entry.Completed = true;
    return FFetch(path, true);
  }
  return false;
}

}  // namespace pelto5
