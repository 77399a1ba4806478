#include "base/LocaleCompare.h"

#include <algorithm>
#include <cstdint>

#include "base/Cp932Table.h"
#include "base/SjisText.h"

namespace pelto5 {

namespace {

// Classes of characters, in sort order; a primary weight is the class in
// the top byte and the place within the class below it. 0 is a character
// the first comparison skips.
enum TCharClass : uint32_t { kSymbol = 1, kDigit, kLatin, kGreek, kCyrillic, kKana, kOther };

constexpr uint32_t Weight(TCharClass charClass, uint32_t place) { return (charClass << 24) | place; }

// The single-byte symbols in their sort order: the white space controls,
// the space, then the punctuation, with "+<=>" after the rest.
constexpr std::string_view kSymbolOrder = "\t\n\v\f\r !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

// Full-width katakana of the half-width ones U+FF66 .. U+FF9D.
constexpr char16_t kHalfWidthKana[] =
    u"\u30F2\u30A1\u30A3\u30A5\u30A7\u30A9\u30E3\u30E5\u30E7\u30C3\u30FC\u30A2\u30A4\u30A6\u30A8\u30AA"
    u"\u30AB\u30AD\u30AF\u30B1\u30B3\u30B5\u30B7\u30B9\u30BB\u30BD\u30BF\u30C1\u30C4\u30C6\u30C8\u30CA"
    u"\u30CB\u30CC\u30CD\u30CE\u30CF\u30D2\u30D5\u30D8\u30DB\u30DE\u30DF\u30E0\u30E1\u30E2\u30E4\u30E6"
    u"\u30E8\u30E9\u30EA\u30EB\u30EC\u30ED\u30EF\u30F3";

struct TCharKey {
  uint32_t Primary = 0;
  bool WordMark = false;  // "-" or "'": skipped at first, counted later
  bool Upper = false;
};

TCharKey AsciiKey(char32_t c) {
  TCharKey key;
  if (c == '-' || c == '\'') {
    key.WordMark = true;
    return key;
  }
  if (c >= '0' && c <= '9') {
    key.Primary = Weight(kDigit, c - '0');
  } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
    key.Upper = c <= 'Z';
    key.Primary = Weight(kLatin, (c | 0x20) - 'a');
  } else if (const size_t place = kSymbolOrder.find(static_cast<char>(c)); place != std::string_view::npos) {
    key.Primary = Weight(kSymbol, static_cast<uint32_t>(place));
  }
  // Other controls are skipped.
  return key;
}

// The unvoiced, full-size kana of a hiragana, as its offset from U+3041:
// small kana sort with their large ones, voiced with their unvoiced ones.
uint32_t KanaBase(uint32_t offset) {
  if (offset <= 0x09) return offset | 1;                            // a i u e o, small ones even
  if (offset <= 0x21) return offset - ((offset - 0x0A) & 1);        // ka .. di, voiced odd
  if (offset <= 0x24) return 0x23;                                  // small tu, tu, du
  if (offset <= 0x28) return offset - ((offset - 0x25) & 1);        // te de to do
  if (offset <= 0x2D) return offset;                                // na .. no
  if (offset <= 0x3C) return 0x2E + (offset - 0x2E) / 3 * 3;        // ha ba pa .. ho bo po
  if (offset <= 0x41) return offset;                                // ma .. mo
  if (offset <= 0x47) return offset | 1;                            // ya yu yo, small ones even
  if (offset <= 0x4C) return offset;                                // ra .. ro
  if (offset == 0x4D) return 0x4E;                                  // small wa
  if (offset <= 0x52) return offset;                                // wa wi we wo n
  if (offset == 0x53) return 0x05;                                  // vu
  return offset == 0x54 ? 0x0A : 0x10;                              // small ka, small ke
}

TCharKey UnicodeKey(char32_t cp, uint32_t code) {
  if (cp < 0x80) return AsciiKey(cp);
  if (cp >= 0xFF01 && cp <= 0xFF5E) return AsciiKey(cp - 0xFEE0);  // full-width ASCII
  if (cp == 0x3000) return AsciiKey(' ');
  if (cp >= 0xFF66 && cp <= 0xFF9D) cp = kHalfWidthKana[cp - 0xFF66];
  TCharKey key;
  if (cp >= 0x30F7 && cp <= 0x30FA) cp = cp - 0x30F7 + 0x30EF;  // voiced wa wi we wo
  if (cp >= 0x30A1 && cp <= 0x30F6) cp -= 0x60;                  // katakana as hiragana
  if (cp >= 0x3041 && cp <= 0x3096) {
    key.Primary = Weight(kKana, KanaBase(cp - 0x3041));
  } else if (cp == 0x30FC || cp == 0xFF70) {
    key.Primary = Weight(kKana, 0xFF);  // the long vowel mark
  } else if ((cp >= 0x3099 && cp <= 0x309C) || cp == 0xFF9E || cp == 0xFF9F) {
    // Voicing marks: told apart only later.
  } else if ((cp >= 0x0391 && cp <= 0x03A9) || (cp >= 0x03B1 && cp <= 0x03C9)) {
    key.Upper = cp <= 0x03A9;
    key.Primary = Weight(kGreek, key.Upper ? cp + 0x20 : cp);
  } else if (cp == 0x0401 || cp == 0x0451) {
    key.Upper = cp == 0x0401;
    key.Primary = Weight(kCyrillic, 0x435 * 2 + 1);  // yo after ye
  } else if (cp >= 0x0410 && cp <= 0x044F) {
    key.Upper = cp <= 0x042F;
    key.Primary = Weight(kCyrillic, (key.Upper ? cp + 0x20 : cp) * 2);
  } else if (cp < 0x3040 || (cp >= 0xFFE0 && cp <= 0xFFEF) || cp == 0xFF61 || cp == 0xFF62 ||
             cp == 0xFF63 || cp == 0xFF64 || cp == 0xFF65) {
    key.Primary = Weight(kSymbol, 0x100 + cp);  // after the single-byte symbols
  } else {
    key.Primary = Weight(kOther, code);  // kanji and the rest in code order
  }
  return key;
}

struct TTextKey {
  std::vector<uint32_t> Primary;
  std::vector<bool> Upper;  // of the characters with a primary weight
  int WordMarks = 0;
};

TTextKey KeyOf(std::string_view text) {
  TTextKey key;
  for (size_t i = 0; i < text.size();) {
    const size_t n = sjis::CharLength(text, i);
    const auto lead = static_cast<unsigned char>(text[i]);
    TCharKey c;
    if (n == 1 && lead < 0x80) {
      c = AsciiKey(lead);
    } else {
      const uint32_t code = n == 2 ? lead * 256u + static_cast<unsigned char>(text[i + 1]) : lead;
      const char32_t cp = cp932::ToUnicode(code);
      c = cp == 0 ? TCharKey{Weight(kOther, code)} : UnicodeKey(cp, code);
    }
    if (c.WordMark) ++key.WordMarks;
    if (c.Primary != 0) {
      key.Primary.push_back(c.Primary);
      key.Upper.push_back(c.Upper);
    }
    i += n;
  }
  return key;
}

int Sign(int value) { return (value > 0) - (value < 0); }

int CompareKeys(const TTextKey& a, const TTextKey& b, std::string_view textA, std::string_view textB) {
  const size_t common = std::min(a.Primary.size(), b.Primary.size());
  for (size_t i = 0; i < common; ++i) {
    if (a.Primary[i] != b.Primary[i]) return a.Primary[i] < b.Primary[i] ? -1 : 1;
  }
  if (a.Primary.size() != b.Primary.size()) return a.Primary.size() < b.Primary.size() ? -1 : 1;
  if (a.WordMarks != b.WordMarks) return a.WordMarks < b.WordMarks ? -1 : 1;
  for (size_t i = 0; i < common; ++i) {
    if (a.Upper[i] != b.Upper[i]) return a.Upper[i] ? 1 : -1;
  }
  return Sign(textA.compare(textB));
}

}  // namespace

int LocaleCompareText(std::string_view a, std::string_view b) { return CompareKeys(KeyOf(a), KeyOf(b), a, b); }

void LocaleSort(std::vector<std::string>& lines) {
  // Each line's key is made once, not at every comparison.
  std::vector<std::pair<TTextKey, size_t>> keys;
  keys.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) keys.emplace_back(KeyOf(lines[i]), i);
  std::stable_sort(keys.begin(), keys.end(), [&lines](const auto& x, const auto& y) {
    return CompareKeys(x.first, y.first, lines[x.second], lines[y.second]) < 0;
  });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (const auto& entry : keys) sorted.push_back(std::move(lines[entry.second]));
  lines = std::move(sorted);
}

}  // namespace pelto5
