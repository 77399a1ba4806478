// Finds the font file that draws a family: the one question the font
// service asks of the machine's font configuration. Players on a desktop
// ask fontconfig; the browser build, which has no font configuration, looks
// through the font files shipped beside the page.
#pragma once

#include <string>

namespace pelto5 {

struct TFaceQuery {
  std::string Family;            // UTF-8 family name; empty asks for any face
  bool Bold = false;
  bool Italic = false;
  bool RequireJapanese = false;  // only a face that covers Japanese will do
  char32_t Covers = 0;           // if not 0, only a face that has this character will do
};

struct TFaceFile {
  std::string Path;
  int Index = 0;  // face index inside a collection
};

class TFaceLocator {
 public:
  virtual ~TFaceLocator() = default;
  // True if a face of exactly this family is present.
  [[nodiscard]] virtual bool FamilyInstalled(const std::string& family) = 0;
  // The best face for the query; false if there is none.
  [[nodiscard]] virtual bool Match(const TFaceQuery& query, TFaceFile& face) = 0;
  // A face Match gave lacks a character: where the file at path may be a
  // subset of its face (the browser build ships faces cut down to what a
  // game draws), puts the whole face there instead. True when the file
  // changed and should be opened again; asked at most once per file.
  [[nodiscard]] virtual bool Complete(const std::string& /*path*/) { return false; }
  // True when the machine has the very face a Windows family name names
  // ("MS Gothic" on Windows itself): it is then drawn with in place of its
  // metric-compatible stand-in.
  [[nodiscard]] virtual bool GenuineFamilyInstalled(const std::string& /*family*/) { return false; }
};

}  // namespace pelto5
