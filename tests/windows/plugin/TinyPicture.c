/*
 * Test image plug-in for tests/windows/plugin-test.sh: the "tiny picture"
 * format, which only it reads. A file is the 8 bytes "TINYPIC\0", the
 * width and the height (16 bits each, low byte first) and the pixels,
 * 3 bytes each (red, green, blue), rows from the top. The decode hands back
 * a bottom-up 24-bit bitmap, as Windows plug-ins usually do.
 *
 * Built with -DTINY_CRASH it reads "TINYCRSH" files instead, and its
 * GetPicture writes through a null pointer (an access violation), or never
 * returns when "HANG" follows the 12 bytes of the header; with
 * -DTINY_HUGE it reads "TINYHUGE" files and claims a 30000 x 30000 picture
 * whose bits are 16 bytes. With -DTINY_LOCAL (Windows only) it reads
 * "TINYLOCL" files as the plain build reads its own, but exports no
 * FreePicture and returns movable local memory handles, as Susie plug-ins
 * do.
 */
#include <pelto5/spi.h>

#include <stdlib.h>
#include <string.h>
#if defined(TINY_LOCAL) || (defined(TINY_CRASH) && defined(_WIN32))
#include <windows.h>
#endif

#if defined(TINY_CRASH)
#define TINY_MAGIC "TINYCRSH"
#elif defined(TINY_HUGE)
#define TINY_MAGIC "TINYHUGE"
#elif defined(TINY_LOCAL)
#define TINY_MAGIC "TINYLOCL"
#else
#define TINY_MAGIC "TINYPIC"
#endif
#define TINY_HEADER 12

SPI_EXPORT int32_t SPI_CALL GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  static const char* const info[] = {SPI_API_VERSION, "tiny picture test plug-in", "*.tpc", "Tiny picture"};
  if (infono < 0 || infono > 3 || buf == NULL || buflen <= 0) return 0;
  size_t n = strlen(info[infono]);
  if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
  memcpy(buf, info[infono], n);
  buf[n] = '\0';
  return (int32_t)n;
}

SPI_EXPORT int32_t SPI_CALL IsSupported(const char* filename, const void* data) {
  (void)filename;
  return data != NULL && memcmp(data, TINY_MAGIC, 8) == 0;
}

#ifndef TINY_CRASH
/* A zero-filled block as the player releases it: from calloc(), or for
 * TINY_LOCAL a movable local memory handle. */
static void* NewBlock(size_t size) {
#ifdef TINY_LOCAL
  return LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size);
#else
  return calloc(1, size);
#endif
}

#ifndef TINY_HUGE
static void FreeBlock(void* block) {
#ifdef TINY_LOCAL
  if (block != NULL) LocalFree(block);
#else
  free(block);
#endif
}
#endif

/* The bytes of a block of NewBlock, until Unlock. */
static void* Lock(void* block) {
#ifdef TINY_LOCAL
  return LocalLock(block);
#else
  return block;
#endif
}

static void Unlock(void* block) {
#ifdef TINY_LOCAL
  LocalUnlock(block);
#else
  (void)block;
#endif
}

static void* NewHeader(int32_t width, int32_t height, uint32_t sizeImage) {
  void* block = NewBlock(sizeof(SpiBitmapInfoHeader));
  if (block == NULL) return NULL;
  SpiBitmapInfoHeader* header = Lock(block);
  if (header == NULL) return NULL;
  header->biSize = sizeof *header;
  header->biWidth = width;
  header->biHeight = height;
  header->biPlanes = 1;
  header->biBitCount = 24;
  header->biCompression = SPI_BI_RGB;
  header->biSizeImage = sizeImage;
  Unlock(block);
  return block;
}
#endif

SPI_EXPORT int32_t SPI_CALL GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                                       SpiProgressCallback progress, intptr_t data) {
  (void)flag, (void)progress, (void)data;
  if (buf == NULL || info == NULL || bits == NULL || len < TINY_HEADER) return SPI_BROKEN_DATA;
  *info = NULL;
  *bits = NULL;
#if defined(TINY_CRASH)
  if (len >= TINY_HEADER + 4 && memcmp(buf + TINY_HEADER, "HANG", 4) == 0) {
    for (;;) {
#ifdef _WIN32
      Sleep(1000);
#endif
    }
  }
  {
    volatile int* nowhere = NULL;
    *nowhere = 1;
  }
  return SPI_BROKEN_DATA;
#elif defined(TINY_HUGE)
  *info = NewHeader(30000, 30000, 16);
  *bits = NewBlock(16);
  return *info && *bits ? SPI_SUCCESS : SPI_NO_MEMORY;
#else
  const unsigned char* in = (const unsigned char*)buf;
  const int32_t width = in[8] | in[9] << 8;
  const int32_t height = in[10] | in[11] << 8;
  const size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
  if (width == 0 || height == 0 || (size_t)(len - TINY_HEADER) / 3 / (size_t)width < (size_t)height)
    return SPI_BROKEN_DATA;
  void* rowsBlock = NewBlock(stride * (size_t)height);
  void* header = NewHeader(width, height, (uint32_t)(stride * (size_t)height));
  unsigned char* rows = rowsBlock ? Lock(rowsBlock) : NULL;
  if (rows == NULL || header == NULL) {
    FreeBlock(rowsBlock);
    FreeBlock(header);
    return SPI_NO_MEMORY;
  }
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* source = in + TINY_HEADER + (size_t)y * (size_t)width * 3;
    unsigned char* target = rows + (size_t)(height - 1 - y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      target[3 * x] = source[3 * x + 2];
      target[3 * x + 1] = source[3 * x + 1];
      target[3 * x + 2] = source[3 * x];
    }
  }
  Unlock(rowsBlock);
  *info = header;
  *bits = rowsBlock;
  return SPI_SUCCESS;
#endif
}

#ifndef TINY_LOCAL
SPI_EXPORT void SPI_CALL FreePicture(void* block) { free(block); }
#endif
