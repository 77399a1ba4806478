#include "platform/sdl/TextEditBuffer.h"

#include <utility>

#include "base/SjisText.h"

namespace pelto5 {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Expected length of a UTF-8 sequence from its first byte; 0 for a byte
// that cannot start one.
size_t SequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

}  // namespace

TTextEditBuffer::TTextEditBuffer(std::string text, size_t maxBytes)
    : FText(std::move(text)), FCaret(FText.size()), FMaxBytes(maxBytes) {}

size_t TTextEditBuffer::Utf8CharLength(std::string_view utf8, size_t pos) {
  if (pos >= utf8.size()) return 0;
  const size_t expected = SequenceLength(static_cast<unsigned char>(utf8[pos]));
  if (expected <= 1) return 1;
  size_t n = 1;
  while (n < expected && pos + n < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[pos + n]))) ++n;
  return n;
}

std::string TTextEditBuffer::SjisCharFromUtf8(std::string_view utf8Char) {
  if (utf8Char.empty()) return {};
  const unsigned char first = static_cast<unsigned char>(utf8Char[0]);
  if (first < 0x80) {
    if (utf8Char.size() != 1 || first < 0x20 || first == 0x7F) return {};
    return std::string(utf8Char);
  }
  if (utf8Char.size() != SequenceLength(first)) return {};
  // The converter writes "?" for what code page 932 lacks; a "?" typed by
  // the user is ASCII and never gets here.
  std::string sjis = sjis::FromUtf8(utf8Char);
  if (sjis.empty() || sjis.find('?') != std::string::npos) return {};
  return sjis;
}

size_t TTextEditBuffer::InsertUtf8(std::string_view utf8) {
  size_t inserted = 0;
  for (size_t pos = 0; pos < utf8.size();) {
    const size_t length = Utf8CharLength(utf8, pos);
    const std::string sjis = SjisCharFromUtf8(utf8.substr(pos, length));
    pos += length;
    if (sjis.empty()) continue;
    if (FText.size() + sjis.size() > FMaxBytes) break;
    FText.insert(FCaret, sjis);
    FCaret += sjis.size();
    inserted += sjis.size();
  }
  return inserted;
}

size_t TTextEditBuffer::PreviousBoundary(size_t offset) const {
  // Shift-JIS cannot be read backwards (a trail byte may look like a lead
  // byte), so walk forward from the start.
  size_t pos = 0;
  while (pos < FText.size()) {
    const size_t next = pos + sjis::CharLength(FText, pos);
    if (next >= offset) return pos;
    pos = next;
  }
  return pos;
}

bool TTextEditBuffer::Backspace() {
  if (FCaret == 0) return false;
  const size_t start = PreviousBoundary(FCaret);
  FText.erase(start, FCaret - start);
  FCaret = start;
  return true;
}

bool TTextEditBuffer::Delete() {
  if (FCaret >= FText.size()) return false;
  FText.erase(FCaret, sjis::CharLength(FText, FCaret));
  return true;
}

void TTextEditBuffer::MoveLeft() {
  if (FCaret > 0) FCaret = PreviousBoundary(FCaret);
}

void TTextEditBuffer::MoveRight() {
  if (FCaret < FText.size()) FCaret += sjis::CharLength(FText, FCaret);
}

void TTextEditBuffer::SetCaret(size_t offset) {
  if (offset >= FText.size()) {
    FCaret = FText.size();
    return;
  }
  size_t pos = 0;
  while (true) {
    const size_t next = pos + sjis::CharLength(FText, pos);
    if (next > offset) break;
    pos = next;
  }
  FCaret = pos;
}

}  // namespace pelto5
