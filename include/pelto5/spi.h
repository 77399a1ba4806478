/*
 * pelto5 image plug-ins (".spi" shared objects, DLLs on Windows).
 *
 * The player decodes PNG, BMP, MAG, JPEG and GIF itself. Any other picture
 * format is handed to image plug-ins: shared objects whose file name ends in
 * ".spi" (any letter case), found in the folder of the content, the folder
 * of the player, the folders of $PELTO5_PLUGIN_PATH (separated by ':', on
 * Windows by ';') and the installed plug-in folder (on Windows the
 * "plugins" folder beside pelto5.exe), in that order. The player asks the plug-ins
 * in the order it found them (its own JPEG and GIF decoders first); the
 * first whose IsSupported accepts the picture and whose GetPicture succeeds
 * decodes it.
 *
 * A plug-in exports the functions below with C linkage. GetPluginInfo,
 * IsSupported and GetPicture are required; FreePicture is recommended;
 * GetPictureInfo and GetPreview are optional (the player does not call
 * them). All integers are fixed-width; the calls never cross threads.
 *
 * Define each entry point as it is declared here, with SPI_EXPORT and
 * SPI_CALL:
 *
 *   SPI_EXPORT int32_t SPI_CALL GetPluginInfo(int32_t infono, char* buf, int32_t buflen) { ... }
 *
 * On 32-bit Windows the entry points use the stdcall convention and are
 * exported under their plain names ("GetPluginInfo", not
 * "GetPluginInfo@12"): link with -Wl,--kill-at (MinGW) or a .def file. A
 * 64-bit player loads only 64-bit plug-ins, a 32-bit player only 32-bit
 * ones.
 */
#ifndef PELTO5_SPI_H
#define PELTO5_SPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Marks the entry points as exported: from the DLL on Windows, and on
 * other systems even when a plug-in is built with hidden visibility. */
#if defined(_WIN32)
#define SPI_EXPORT __declspec(dllexport)
#elif defined(__GNUC__)
#define SPI_EXPORT __attribute__((visibility("default")))
#else
#define SPI_EXPORT
#endif

/* The calling convention of the entry points and of the progress callback:
 * stdcall on 32-bit Windows, the platform's own elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define SPI_CALL __stdcall
#else
#define SPI_CALL
#endif

/* API version an image plug-in reports as info 0. */
#define SPI_API_VERSION "00IN"

/* The flag of GetPicture: the input is a block of memory (the only form the
 * player uses). */
#define SPI_INPUT_MEMORY 1u

/* Results of GetPicture and GetPictureInfo. */
#define SPI_SUCCESS 0
#define SPI_NOT_IMPLEMENTED (-1)
#define SPI_ABORTED 1
#define SPI_UNKNOWN_FORMAT 2
#define SPI_BROKEN_DATA 4
#define SPI_NO_MEMORY 5

/* Compression values of the info header. */
#define SPI_BI_RGB 0u
#define SPI_BI_RLE8 1u
#define SPI_BI_RLE4 2u
#define SPI_BI_BITFIELDS 3u

/* The device-independent bitmap header that starts the info block GetPicture
 * returns (40 bytes, little-endian fields as on every platform the player
 * runs on). */
typedef struct SpiBitmapInfoHeader {
  uint32_t biSize;          /* 40 (or a longer header of up to 124 bytes) */
  int32_t biWidth;          /* pixels, > 0 */
  int32_t biHeight;         /* pixels; > 0 rows bottom-up, < 0 top-down */
  uint16_t biPlanes;        /* 1 */
  uint16_t biBitCount;      /* 1, 4, 8, 16, 24 or 32 */
  uint32_t biCompression;   /* SPI_BI_RGB, _RLE8, _RLE4 or _BITFIELDS */
  uint32_t biSizeImage;     /* REQUIRED: size of the bits block in bytes */
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;       /* colour-table entries (0: 2^biBitCount up to 8 bits) */
  uint32_t biClrImportant;
} SpiBitmapInfoHeader;

/* An entry of the colour table that follows the header. */
typedef struct SpiRgbQuad {
  uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
} SpiRgbQuad;

/* What GetPictureInfo reports (optional entry point). */
typedef struct SpiPictureInfo {
  int32_t left, top;     /* where the picture would be placed */
  int32_t width, height; /* size in pixels */
  uint16_t x_density, y_density;
  int16_t colorDepth;    /* bits per pixel */
  void* hInfo;           /* text information block or NULL, released with FreePicture */
} SpiPictureInfo;

/* Progress report during GetPicture: num of denom done. A non-zero result
 * asks the plug-in to stop (SPI_ABORTED); the player always returns 0.
 * data is the value the player passed to GetPicture. */
typedef int32_t(SPI_CALL* SpiProgressCallback)(int32_t num, int32_t denom, intptr_t data);

/* Information text number infono into buf (at most buflen bytes including
 * the terminating zero); returns the length written, 0 for an unknown
 * number. 0: API version, which must be "00IN"; 1: a description of the
 * plug-in; 2: file masks such as "*.ppm;*.pgm"; 3: format name such as
 * "Portable pixmap". The player asks 0, 1, 3, 2 in that order. */
SPI_EXPORT int32_t SPI_CALL GetPluginInfo(int32_t infono, char* buf, int32_t buflen);

/* Whether the plug-in can read the picture whose first bytes are in data.
 * filename is NULL (the picture is in memory); data points to at least 2048
 * bytes: the start of the picture, zero-filled where the picture is shorter.
 * Non-zero means yes. It must not read beyond 2048 bytes. */
SPI_EXPORT int32_t SPI_CALL IsSupported(const char* filename, const void* data);

/* Optional: the size and depth of the picture in buf (len bytes). */
SPI_EXPORT int32_t SPI_CALL GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info);

/* Decodes the picture in buf (len bytes; flag SPI_INPUT_MEMORY). On success
 * returns SPI_SUCCESS and two blocks the player releases with FreePicture
 * (or, when the plug-in exports no FreePicture, with free(); on Windows
 * with LocalFree: such a plug-in returns local memory handles from
 * LocalAlloc, fixed or movable, as Susie plug-ins do):
 *   *info: an SpiBitmapInfoHeader, for SPI_BI_BITFIELDS with a 40-byte
 *          header the three colour masks, then the colour table (SpiRgbQuad
 *          entries, biClrUsed of them, or 2^biBitCount when biClrUsed is 0
 *          and biBitCount is 8 or less);
 *   *bits: the pixel rows, each padded to a multiple of 4 bytes, with
 *          biSizeImage bytes in all.
 * The player refuses a result whose sizes make no sense or whose bits are
 * shorter than the rows need; it never reads beyond the blocks as described.
 * progress may be called with data during the decode. */
SPI_EXPORT int32_t SPI_CALL GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                                       SpiProgressCallback progress, intptr_t data);

/* Optional: a small preview, with the same contract as GetPicture. */
SPI_EXPORT int32_t SPI_CALL GetPreview(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                                       SpiProgressCallback progress, intptr_t data);

/* Releases a block returned by GetPicture, GetPreview or GetPictureInfo. */
SPI_EXPORT void SPI_CALL FreePicture(void* block);

#ifdef __cplusplus
}
#endif

#endif /* PELTO5_SPI_H */
