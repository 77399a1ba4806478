/*
 * Test plug-ins for the loader tests, built in variants by compile
 * definitions: FIXED_VERSION (the API version text), FIXED_COLOUR (the one
 * colour, 0xRRGGBB, of the 2 x 1 picture it returns for anything starting
 * with "P6") and FIXED_FAIL (GetPicture accepts nothing). It exports no
 * FreePicture, so the player releases its blocks itself (FixtureBlocks.h).
 */
#include <pelto5/spi.h>

#include <string.h>

#include "FixtureBlocks.h"

int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  const char* text = infono == 0 ? FIXED_VERSION : infono == 2 ? "*.ppm" : "fixed test plug-in";
  if (buflen <= 0) return 0;
  strncpy(buf, text, (size_t)buflen - 1);
  buf[buflen - 1] = '\0';
  return (int32_t)strlen(buf);
}

int32_t IsSupported(const char* filename, const void* data) {
  const unsigned char* p = (const unsigned char*)data;
  (void)filename;
  return p[0] == 'P' && p[1] == '6';
}

int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                   SpiProgressCallback progress, intptr_t data) {
  (void)buf, (void)len, (void)flag, (void)progress, (void)data;
#ifdef FIXED_FAIL
  (void)info, (void)bits;
  return SPI_BROKEN_DATA;
#else
  SpiBitmapInfoHeader* header = NewBlock(sizeof *header);
  unsigned char* rows = NewBlock(8);
  header->biSize = sizeof *header;
  header->biWidth = 2;
  header->biHeight = 1;
  header->biPlanes = 1;
  header->biBitCount = 24;
  header->biSizeImage = 8;
  for (int x = 0; x < 2; x++) {
    rows[3 * x] = (unsigned char)(FIXED_COLOUR & 0xFF);
    rows[3 * x + 1] = (unsigned char)((FIXED_COLOUR >> 8) & 0xFF);
    rows[3 * x + 2] = (unsigned char)((FIXED_COLOUR >> 16) & 0xFF);
  }
  *info = header;
  *bits = rows;
  return SPI_SUCCESS;
#endif
}
