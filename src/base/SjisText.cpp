#include "base/SjisText.h"

// Windows has no iconv: the table converts there, exactly as glibc does.
#if __has_include(<iconv.h>)
#include <iconv.h>
#define PELTO5_HAS_ICONV 1
#endif

#include <cerrno>
#include <cstdint>
#include <vector>

#include "base/Cp932Table.h"

namespace pelto5::sjis {

namespace {

constexpr bool IsAsciiLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
constexpr unsigned char FoldAscii(unsigned char c) {
  return IsAsciiLower(c) ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}
constexpr bool IsBlank(unsigned char c) { return c <= 0x20; }

#ifdef PELTO5_HAS_ICONV

// Converts with iconv; an unconvertible or truncated sequence is replaced by
// "?" and conversion resumes after one input character.
std::string Convert(std::string_view in, const char* to, const char* from, bool inputIsSjis) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 3 / 2 + 4);
  std::vector<char> buffer(in.size() * 4 + 16);
  size_t pos = 0;
  while (pos < in.size()) {
    char* inPtr = const_cast<char*>(in.data() + pos);
    size_t inLeft = in.size() - pos;
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), outPtr - buffer.data());
    pos = in.size() - inLeft;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip one character of the input.
    out.push_back('?');
    if (inputIsSjis) {
      pos += CharLength(in, pos);
    } else {
      const unsigned char c = static_cast<unsigned char>(in[pos]);
      size_t n = 1;
      if (c >= 0xC0) {
        n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        size_t k = 1;
        while (k < n && pos + k < in.size() &&
               (static_cast<unsigned char>(in[pos + k]) & 0xC0) == 0x80) {
          ++k;
        }
        n = k;
      }
      pos += n;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

// True when iconv knows code page 932 (glibc); the browser build's C
// library does not, and converts with the table.
bool IconvHasCp932() {
  static const bool has = [] {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
  }();
  return has;
}

#else

std::string Convert(std::string_view in, const char*, const char*, bool) { return std::string(in); }
bool IconvHasCp932() { return false; }

#endif


// Shift-JIS to UTF-8 by the table; a code without a character becomes "?".
std::string TableToUtf8Impl(std::string_view in) {
  std::string out;
  out.reserve(in.size() * 3 / 2 + 4);
  for (size_t pos = 0; pos < in.size();) {
    const size_t n = CharLength(in, pos);
    if (n == kWideLength) {
      AppendUtf8(out, WideCharAt(in, pos));
      pos += n;
      continue;
    }
    uint32_t code = static_cast<unsigned char>(in[pos]);
    if (n == 2) code = code << 8 | static_cast<unsigned char>(in[pos + 1]);
    const char32_t cp = code < 0x80 ? static_cast<char32_t>(code) : cp932::ToUnicode(code);
    if (code >= 0x80 && cp == 0) {
      out.push_back('?');
    } else {
      AppendUtf8(out, cp);
    }
    pos += n;
  }
  return out;
}

// UTF-8 to Shift-JIS by the table; a malformed sequence or a character
// code page 932 lacks becomes "?".
std::string TableFromUtf8Impl(std::string_view in) {
  std::string out;
  out.reserve(in.size() + 4);
  for (size_t pos = 0; pos < in.size();) {
    const unsigned char c = static_cast<unsigned char>(in[pos]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++pos;
      continue;
    }
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    char32_t cp = n == 4 ? c & 0x07 : n == 3 ? c & 0x0F : c & 0x1F;
    size_t k = 1;
    while (k < n && pos + k < in.size() && (static_cast<unsigned char>(in[pos + k]) & 0xC0) == 0x80) {
      cp = cp << 6 | (static_cast<unsigned char>(in[pos + k]) & 0x3F);
      ++k;
    }
    const uint32_t code = n > 1 && k == n ? cp932::FromUnicode(cp) : 0;
    if (code == 0) {
      out.push_back('?');
    } else {
      if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
    pos += k;
  }
  return out;
}

}  // namespace

// A character a wide sequence may carry: not in code page 932, no control,
// no surrogate, within Unicode.
static bool TakesWideSequence(char32_t cp) {
  return cp >= 0xA0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) && cp932::FromUnicode(cp) == 0;
}

char32_t WideCharAt(std::string_view s, size_t pos) {
  if (pos >= s.size() || static_cast<unsigned char>(s[pos]) != kWideMark || s.size() - pos < kWideLength) return 0;
  char32_t cp = 0;
  for (size_t k = 1; k < kWideLength; ++k) {
    const unsigned char c = static_cast<unsigned char>(s[pos + k]);
    if (c < 0xA0 || c > 0xDF) return 0;
    cp = cp << 6 | (c - 0xA0);
  }
  return TakesWideSequence(cp) ? cp : 0;
}

void AppendWideChar(std::string& out, char32_t cp) {
  if (!TakesWideSequence(cp)) return;
  out.push_back(static_cast<char>(kWideMark));
  for (int shift = 18; shift >= 0; shift -= 6) out.push_back(static_cast<char>(0xA0 + ((cp >> shift) & 0x3F)));
}

size_t CharLength(std::string_view s, size_t pos) {
  if (pos >= s.size()) return 0;
  const unsigned char c = static_cast<unsigned char>(s[pos]);
  if (IsLeadByte(c) && pos + 1 < s.size()) return 2;
  if (c == kWideMark && WideCharAt(s, pos) != 0) return kWideLength;
  return 1;
}

size_t FindChar(std::string_view s, char c, size_t from) {
  for (size_t i = from; i < s.size(); i += CharLength(s, i)) {
    if (s[i] == c) return i;
  }
  return std::string_view::npos;
}

size_t FindLastChar(std::string_view s, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (s[i] == c) found = i;
  }
  return found;
}

size_t FindText(std::string_view s, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= s.size() ? from : std::string_view::npos;
  for (size_t i = from; i + needle.size() <= s.size(); i += CharLength(s, i)) {
    if (s.compare(i, needle.size(), needle) == 0) return i;
  }
  return std::string_view::npos;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size();) {
    const size_t n = CharLength(out, i);
    if (n == 1) out[i] = static_cast<char>(FoldAscii(static_cast<unsigned char>(out[i])));
    i += n;
  }
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    const size_t n = CharLength(a, i);
    if (n != CharLength(b, i)) return false;
    if (n > 1) {
      if (a.compare(i, n, b, i, n) != 0) return false;
    } else if (FoldAscii(static_cast<unsigned char>(a[i])) !=
               FoldAscii(static_cast<unsigned char>(b[i]))) {
      return false;
    }
    i += n;
  }
  return true;
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  if (prefix.size() > s.size()) return false;
  // The prefix must end on a character boundary of s.
  size_t i = 0;
  while (i < prefix.size()) i += CharLength(s, i);
  if (i != prefix.size()) return false;
  return SameText(s.substr(0, prefix.size()), prefix);
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  // A trail byte is never <= 0x20, so trimming from the end is safe.
  while (e > 0 && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(0, e));
}

std::string_view TrimmedView(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  size_t e = s.size();
  // A trail byte is never <= 0x20, so trimming from the end is safe.
  while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimmedView(s)); }

namespace {

std::string PlainToUtf8(std::string_view s) {
  if (!IconvHasCp932()) return TableToUtf8Impl(s);
  return Convert(s, "UTF-8", "CP932", true);
}

}  // namespace

std::string ToUtf8(std::string_view s) {
  bool ascii = true;
  for (char c : s) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(s);
  if (s.find(static_cast<char>(kWideMark)) == std::string_view::npos) return PlainToUtf8(s);
  // The text between wide sequences converts as any text.
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharLength(s, i);
    if (n == kWideLength) {
      out += PlainToUtf8(s.substr(start, i - start));
      AppendUtf8(out, WideCharAt(s, i));
      start = i + n;
    }
    i += n;
  }
  return out + PlainToUtf8(s.substr(start));
}

std::string FromUtf8Wide(std::string_view s) {
  // Runs of characters code page 932 has (and malformed bytes) convert as
  // FromUtf8 converts them; each other character becomes a wide sequence.
  std::string out;
  size_t start = 0;
  size_t pos = 0;
  while (pos < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[pos]);
    const size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    char32_t cp = n == 4 ? c & 0x07 : n == 3 ? c & 0x0F : c & 0x1F;
    size_t k = 1;
    while (k < n && pos + k < s.size() && (static_cast<unsigned char>(s[pos + k]) & 0xC0) == 0x80) {
      cp = cp << 6 | (static_cast<unsigned char>(s[pos + k]) & 0x3F);
      ++k;
    }
    const size_t shortest = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (n > 1 && k == n && n == shortest && TakesWideSequence(cp)) {
      out += FromUtf8(s.substr(start, pos - start));
      AppendWideChar(out, cp);
      start = pos + k;
    }
    pos += k;
  }
  return out + FromUtf8(s.substr(start));
}

std::string FromUtf8(std::string_view s) {
  bool ascii = true;
  for (char c : s) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(s);
  if (!IconvHasCp932()) return TableFromUtf8Impl(s);
  return Convert(s, "CP932", "UTF-8", false);
}

std::string ToUtf8ByTable(std::string_view s) { return TableToUtf8Impl(s); }

std::string FromUtf8ByTable(std::string_view s) { return TableFromUtf8Impl(s); }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace pelto5::sjis
