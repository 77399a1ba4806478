// The text of a one-line edit field, kept in Shift-JIS (code page 932), with
// a caret that always sits on a character boundary. Input arrives as UTF-8
// from the window system; characters that have no Shift-JIS form and
// control characters are dropped rather than turned into "?". The buffer
// never grows beyond its byte limit through input; a longer initial text is
// kept whole so that confirming the field never loses part of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelto5 {

class TTextEditBuffer {
 public:
  static constexpr size_t kDefaultMaxBytes = 255;

  explicit TTextEditBuffer(std::string text = {}, size_t maxBytes = kDefaultMaxBytes);

  const std::string& Text() const { return FText; }
  // Byte offset of the caret in Text().
  size_t Caret() const { return FCaret; }
  size_t MaxBytes() const { return FMaxBytes; }

  // Inserts UTF-8 text at the caret, character by character, as long as the
  // next character fits under the limit; the caret follows. Returns the
  // number of Shift-JIS bytes inserted.
  size_t InsertUtf8(std::string_view utf8);
  // Removes the character before (Backspace) or after (Delete) the caret;
  // false when there is none.
  [[nodiscard]] bool Backspace();
  [[nodiscard]] bool Delete();
  void MoveLeft();
  void MoveRight();
  void Home() { FCaret = 0; }
  void End() { FCaret = FText.size(); }
  // Puts the caret at the character boundary at or before offset.
  void SetCaret(size_t offset);

  // The Shift-JIS form of one UTF-8 character; "" when it has none, is a
  // control character or is not well-formed UTF-8.
  static std::string SjisCharFromUtf8(std::string_view utf8Char);
  // Length of the UTF-8 sequence starting at pos (1 for a stray byte).
  static size_t Utf8CharLength(std::string_view utf8, size_t pos);

 private:
  // Start of the character that ends at or contains offset - 1.
  size_t PreviousBoundary(size_t offset) const;

  std::string FText;
  size_t FCaret = 0;
  size_t FMaxBytes = kDefaultMaxBytes;
};

}  // namespace pelto5
