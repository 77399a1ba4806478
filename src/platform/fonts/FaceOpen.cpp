#include "platform/fonts/FaceOpen.h"

#ifdef _WIN32
#include <cstdio>
#include <cstring>

#include FT_SYSTEM_H

#include "base/NativeFile.h"
#endif

namespace pelto5 {

#ifdef _WIN32

namespace {

unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
  std::FILE* file = static_cast<std::FILE*>(stream->descriptor.pointer);
  // A seek alone (count 0) reports failure by a non-zero result.
  if (_fseeki64(file, static_cast<long long>(offset), SEEK_SET) != 0) return count == 0 ? 1 : 0;
  if (count == 0) return 0;
  return static_cast<unsigned long>(std::fread(buffer, 1, count, file));
}

void CloseStream(FT_Stream stream) {
  std::fclose(static_cast<std::FILE*>(stream->descriptor.pointer));
  delete stream;
}

}  // namespace

FT_Error OpenFaceFile(FT_Library library, const std::string& path, FT_Long index, FT_Face* face) {
  std::FILE* file = native::OpenFile(path, "rb");
  if (file == nullptr) return FT_Err_Cannot_Open_Resource;
  _fseeki64(file, 0, SEEK_END);
  const long long size = _ftelli64(file);
  if (size <= 0 || size > 0x7FFFFFFF) {
    std::fclose(file);
    return FT_Err_Cannot_Open_Stream;
  }
  auto* stream = new FT_StreamRec;
  std::memset(stream, 0, sizeof *stream);
  stream->size = static_cast<unsigned long>(size);
  stream->descriptor.pointer = file;
  stream->read = ReadStream;
  stream->close = CloseStream;
  FT_Open_Args args{};
  args.flags = FT_OPEN_STREAM;
  args.stream = stream;
  // FreeType closes the stream (and so the file) with the face, and also
  // when the face does not open.
  return FT_Open_Face(library, &args, index, face);
}

#else

FT_Error OpenFaceFile(FT_Library library, const std::string& path, FT_Long index, FT_Face* face) {
  return FT_New_Face(library, path.c_str(), index, face);
}

#endif

}  // namespace pelto5
