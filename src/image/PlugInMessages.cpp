#include "image/PlugInMessages.h"

#include "base/ByteOrder.h"

namespace pelto5 {

namespace {

void AppendLe64(std::string& out, uint64_t value) {
  AppendLe32(out, static_cast<uint32_t>(value & 0xFFFFFFFFu));
  AppendLe32(out, static_cast<uint32_t>(value >> 32));
}

void AppendText(std::string& out, std::string_view text) {
  AppendLe32(out, static_cast<uint32_t>(text.size()));
  out.append(text);
}

// Reads the fields of a message in order; once a field does not fit, every
// later read fails too.
class TFieldReader {
 public:
  explicit TFieldReader(std::string_view message) : FRest(message) {}

  bool Byte(uint8_t& value) {
    if (!Take(1)) return false;
    value = static_cast<uint8_t>(FTaken[0]);
    return true;
  }
  bool Flag(bool& value) {
    uint8_t byte = 0;
    if (!Byte(byte) || byte > 1) return false;
    value = byte == 1;
    return true;
  }
  bool Number(uint64_t& value) {
    if (!Take(8)) return false;
    value = ReadLe32(FTaken, 0) | uint64_t{ReadLe32(FTaken, 4)} << 32;
    return true;
  }
  bool Text(std::string& value) {
    if (!Take(4)) return false;
    const uint32_t size = ReadLe32(FTaken, 0);
    if (!Take(size)) return false;
    value.assign(FTaken);
    return true;
  }
  // Whether everything was read and nothing is left over.
  bool Done() const { return FGood && FRest.empty(); }

 private:
  bool Take(size_t count) {
    if (!FGood || FRest.size() < count) {
      FGood = false;
      return false;
    }
    FTaken = FRest.substr(0, count);
    FRest.remove_prefix(count);
    return true;
  }

  std::string_view FRest;
  std::string_view FTaken;
  bool FGood = true;
};

}  // namespace

std::string EncodePlugInRequest(const TPlugInRequest& request) {
  std::string out(1, static_cast<char>(request.Call));
  AppendText(out, request.Path);
  if (request.Call == TPlugInCall::GetPicture) AppendLe64(out, request.InputSize);
  return out;
}

bool DecodePlugInRequest(std::string_view message, TPlugInRequest& request) {
  TFieldReader reader(message);
  uint8_t call = 0;
  if (!reader.Byte(call) || call < 1 || call > 2 || !reader.Text(request.Path)) return false;
  request.Call = static_cast<TPlugInCall>(call);
  if (request.Call == TPlugInCall::GetPicture && !reader.Number(request.InputSize)) return false;
  return reader.Done();
}

std::string EncodePlugInAnswer(TPlugInCall call, const TPlugInAnswer& answer) {
  std::string out(1, answer.Ok ? '\1' : '\0');
  if (call == TPlugInCall::Describe) {
    for (const std::string* text :
         {&answer.ApiVersion, &answer.Description, &answer.FormatName, &answer.Extensions}) {
      AppendText(out, *text);
    }
    out.push_back(answer.Usable ? '\1' : '\0');
  } else if (call == TPlugInCall::GetPicture) {
    for (uint64_t value : {answer.InfoOffset, answer.InfoSize, answer.BitsOffset, answer.BitsSize}) {
      AppendLe64(out, value);
    }
  }
  return out;
}

bool DecodePlugInAnswer(TPlugInCall call, std::string_view message, TPlugInAnswer& answer) {
  TFieldReader reader(message);
  if (!reader.Flag(answer.Ok)) return false;
  if (call == TPlugInCall::Describe) {
    for (std::string* text :
         {&answer.ApiVersion, &answer.Description, &answer.FormatName, &answer.Extensions}) {
      if (!reader.Text(*text)) return false;
    }
    if (!reader.Flag(answer.Usable)) return false;
  } else if (call == TPlugInCall::GetPicture) {
    for (uint64_t* value : {&answer.InfoOffset, &answer.InfoSize, &answer.BitsOffset, &answer.BitsSize}) {
      if (!reader.Number(*value)) return false;
    }
  }
  return reader.Done();
}

}  // namespace pelto5
