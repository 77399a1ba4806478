#include "app/LibraryVersions.h"

#ifdef PELTO5_LINKS_SDL
#include <SDL.h>
#include <SDL_mixer.h>
#endif
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>
#include <zlib.h>

#include <cstdio>

// FreeType, libpng and zlib every program links. For the others the build
// defines PELTO5_LINKS_<NAME> for each that the program links, and only
// they are named.
#if defined(PELTO5_LINKS_JPEG) && __has_include(<jpeglib.h>)
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#define PELTO5_HAVE_JPEG_VERSION 1
#endif
#if defined(PELTO5_LINKS_GIF) && __has_include(<gif_lib.h>)
#include <gif_lib.h>
#define PELTO5_HAVE_GIF_VERSION 1
#endif
#ifdef PELTO5_LINKS_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif
#ifdef PELTO5_LINKS_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
}
#endif
#ifdef PELTO5_LINKS_FLUIDSYNTH
#include <fluidsynth.h>
#endif

namespace pelto5 {

namespace {

std::string Line(const char* name, int major, int minor, int patch) {
  char text[96];
  std::snprintf(text, sizeof text, "  %s %d.%d.%d\n", name, major, minor, patch);
  return text;
}

std::string Line(const char* name, const char* version) {
  return std::string("  ") + name + " " + (version ? version : "?") + "\n";
}

#ifdef PELTO5_LINKS_FFMPEG
// FFmpeg's run-time versions: major, minor and micro in one integer.
std::string FfmpegLine(const char* name, unsigned version) {
  return Line(name, static_cast<int>(version >> 16), static_cast<int>((version >> 8) & 0xFF),
              static_cast<int>(version & 0xFF));
}
#endif

}  // namespace

std::string TLibraryVersions::Text() {
  std::string text = "libraries:\n";
#ifdef PELTO5_LINKS_SDL
  // The browser build has no SDL: the page is its window and its sound.
  SDL_version sdl{};
  SDL_GetVersion(&sdl);
  text += Line("SDL2", sdl.major, sdl.minor, sdl.patch);
  const SDL_version* mixer = Mix_Linked_Version();
  if (mixer) text += Line("SDL2_mixer", mixer->major, mixer->minor, mixer->patch);
#endif
  FT_Library freetype = nullptr;
  if (FT_Init_FreeType(&freetype) == 0) {
    FT_Int major = 0;
    FT_Int minor = 0;
    FT_Int patch = 0;
    FT_Library_Version(freetype, &major, &minor, &patch);
    FT_Done_FreeType(freetype);
    text += Line("FreeType", major, minor, patch);
  } else {
    text += Line("FreeType", FREETYPE_MAJOR, FREETYPE_MINOR, FREETYPE_PATCH);
  }
#ifdef PELTO5_LINKS_FONTCONFIG
  const int fontconfig = FcGetVersion();
  text += Line("fontconfig", fontconfig / 10000, fontconfig / 100 % 100, fontconfig % 100);
#endif
  text += Line("libpng", png_get_libpng_ver(nullptr));
  text += Line("zlib", zlibVersion());
#ifdef PELTO5_HAVE_JPEG_VERSION
#ifdef LIBJPEG_TURBO_VERSION
#define PELTO5_STRINGIFY2(x) #x
#define PELTO5_STRINGIFY(x) PELTO5_STRINGIFY2(x)
  text += Line("libjpeg-turbo", PELTO5_STRINGIFY(LIBJPEG_TURBO_VERSION));
#else
  text += Line("libjpeg", JPEG_LIB_VERSION / 10, JPEG_LIB_VERSION % 10, 0);
#endif
#endif
#ifdef PELTO5_HAVE_GIF_VERSION
  text += Line("giflib", GIFLIB_MAJOR, GIFLIB_MINOR, GIFLIB_RELEASE);
#endif
#ifdef PELTO5_LINKS_FFMPEG
  text += FfmpegLine("libavformat", avformat_version());
  text += FfmpegLine("libavcodec", avcodec_version());
  text += FfmpegLine("libavutil", avutil_version());
  text += FfmpegLine("libswresample", swresample_version());
#endif
#ifdef PELTO5_LINKS_FLUIDSYNTH
  int major = 0;
  int minor = 0;
  int micro = 0;
  fluid_version(&major, &minor, &micro);
  text += Line("FluidSynth", major, minor, micro);
#endif
  return text;
}

}  // namespace pelto5
