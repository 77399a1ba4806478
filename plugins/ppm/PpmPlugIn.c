/*
 * Sample image plug-in: binary PGM ("P5", greyscale) and PPM ("P6", colour)
 * pictures, maximum value up to 65535.
 *
 * It shows everything a plug-in needs: the information texts, a probe that
 * looks only at the first bytes, a decode that checks every size against
 * the data, and a result of an info block (header and colour table) and the
 * bits, released by FreePicture. Build it as a shared object named
 * "something.spi" (on Windows a DLL: with MinGW, for 32-bit players add
 * -Wl,--kill-at so the names are exported undecorated) and put it beside
 * the content or the player.
 */
#include <pelto5/spi.h>

#include <stdlib.h>
#include <string.h>

/* Largest picture this plug-in decodes (the player refuses more anyway). */
#define PPM_MAX_SIDE 16384

static const char* const kInfo[] = {
    SPI_API_VERSION,
    "PPM/PGM sample plug-in",
    "*.ppm;*.pgm;*.pnm",
    "Portable pixmap / graymap",
};

SPI_EXPORT int32_t SPI_CALL GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  if (infono < 0 || infono > 3 || buf == NULL || buflen <= 0) return 0;
  size_t n = strlen(kInfo[infono]);
  if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
  memcpy(buf, kInfo[infono], n);
  buf[n] = '\0';
  return (int32_t)n;
}

/* "P5" or "P6" followed by white space. */
SPI_EXPORT int32_t SPI_CALL IsSupported(const char* filename, const void* data) {
  const unsigned char* p = (const unsigned char*)data;
  (void)filename;
  if (p == NULL || p[0] != 'P' || (p[1] != '5' && p[1] != '6')) return 0;
  return p[2] == ' ' || p[2] == '\t' || p[2] == '\n' || p[2] == '\r';
}

/* The reader of the text header: numbers separated by white space, with
 * comments from "#" to the end of the line. */
typedef struct Reader {
  const unsigned char* data;
  size_t size;
  size_t pos;
} Reader;

static int ReadNumber(Reader* r, long* value) {
  for (;;) {
    if (r->pos >= r->size) return 0;
    unsigned char c = r->data[r->pos];
    if (c == '#') {
      while (r->pos < r->size && r->data[r->pos] != '\n') r->pos++;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      r->pos++;
    } else {
      break;
    }
  }
  long v = 0;
  int digits = 0;
  while (r->pos < r->size && r->data[r->pos] >= '0' && r->data[r->pos] <= '9') {
    v = v * 10 + (r->data[r->pos++] - '0');
    if (v > 1000000) return 0;
    digits++;
  }
  *value = v;
  return digits > 0;
}

typedef struct Header {
  int colour; /* P6 */
  long width, height, maxval;
  size_t pixels; /* offset of the first sample */
} Header;

static int ReadHeader(const unsigned char* data, size_t size, Header* h) {
  Reader r = {data, size, 2};
  if (size < 3 || data[0] != 'P' || (data[1] != '5' && data[1] != '6')) return 0;
  h->colour = data[1] == '6';
  if (!ReadNumber(&r, &h->width) || !ReadNumber(&r, &h->height) || !ReadNumber(&r, &h->maxval)) return 0;
  if (h->width <= 0 || h->height <= 0 || h->width > PPM_MAX_SIDE || h->height > PPM_MAX_SIDE) return 0;
  if (h->maxval <= 0 || h->maxval > 65535) return 0;
  if (r.pos >= size) return 0;
  h->pixels = r.pos + 1; /* exactly one white-space byte ends the header */
  return 1;
}

/* One sample scaled to 0..255. */
static unsigned char Sample(const unsigned char* p, const Header* h) {
  unsigned long v = h->maxval > 255 ? ((unsigned long)p[0] << 8 | p[1]) : p[0];
  if (v > (unsigned long)h->maxval) v = (unsigned long)h->maxval;
  return (unsigned char)(v * 255 / (unsigned long)h->maxval);
}

SPI_EXPORT int32_t SPI_CALL GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
  Header h;
  if (flag != SPI_INPUT_MEMORY || buf == NULL || len <= 0 || info == NULL) return SPI_NOT_IMPLEMENTED;
  if (!ReadHeader((const unsigned char*)buf, (size_t)len, &h)) return SPI_UNKNOWN_FORMAT;
  memset(info, 0, sizeof *info);
  info->width = (int32_t)h.width;
  info->height = (int32_t)h.height;
  info->colorDepth = h.colour ? 24 : 8;
  return SPI_SUCCESS;
}

SPI_EXPORT int32_t SPI_CALL GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                                       SpiProgressCallback progress, intptr_t data) {
  const unsigned char* in = (const unsigned char*)buf;
  Header h;
  if (info == NULL || bits == NULL) return SPI_NOT_IMPLEMENTED;
  *info = NULL;
  *bits = NULL;
  if (flag != SPI_INPUT_MEMORY || buf == NULL || len <= 0) return SPI_NOT_IMPLEMENTED;
  if (!ReadHeader(in, (size_t)len, &h)) return SPI_UNKNOWN_FORMAT;

  const size_t channels = h.colour ? 3 : 1;
  const size_t sampleBytes = h.maxval > 255 ? 2 : 1;
  const size_t inRow = (size_t)h.width * channels * sampleBytes;
  if ((size_t)len - h.pixels < inRow * (size_t)h.height) return SPI_BROKEN_DATA;

  /* 24-bit colour, or 8-bit with a grey colour table; rows padded to 4. */
  const size_t outRow = ((size_t)h.width * channels + 3) & ~(size_t)3;
  const size_t tableBytes = h.colour ? 0 : 256 * sizeof(SpiRgbQuad);
  SpiBitmapInfoHeader* header = calloc(1, sizeof(SpiBitmapInfoHeader) + tableBytes);
  unsigned char* out = calloc(1, outRow * (size_t)h.height);
  if (header == NULL || out == NULL) {
    free(header);
    free(out);
    return SPI_NO_MEMORY;
  }
  header->biSize = sizeof(SpiBitmapInfoHeader);
  header->biWidth = (int32_t)h.width;
  header->biHeight = -(int32_t)h.height; /* top-down, as the file stores it */
  header->biPlanes = 1;
  header->biBitCount = h.colour ? 24 : 8;
  header->biCompression = SPI_BI_RGB;
  header->biSizeImage = (uint32_t)(outRow * (size_t)h.height);
  if (!h.colour) {
    SpiRgbQuad* table = (SpiRgbQuad*)(header + 1);
    for (int i = 0; i < 256; i++) {
      table[i].rgbBlue = table[i].rgbGreen = table[i].rgbRed = (uint8_t)i;
    }
  }
  for (long y = 0; y < h.height; y++) {
    const unsigned char* s = in + h.pixels + (size_t)y * inRow;
    unsigned char* d = out + (size_t)y * outRow;
    for (long x = 0; x < h.width; x++) {
      if (h.colour) { /* file order red, green, blue; bitmap order blue, green, red */
        d[3 * x + 2] = Sample(s, &h);
        d[3 * x + 1] = Sample(s + sampleBytes, &h);
        d[3 * x + 0] = Sample(s + 2 * sampleBytes, &h);
        s += 3 * sampleBytes;
      } else {
        d[x] = Sample(s, &h);
        s += sampleBytes;
      }
    }
    if (progress != NULL && progress((int32_t)y + 1, (int32_t)h.height, data) != 0) {
      free(header);
      free(out);
      return SPI_ABORTED;
    }
  }
  *info = header;
  *bits = out;
  return SPI_SUCCESS;
}

SPI_EXPORT int32_t SPI_CALL GetPreview(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                                       SpiProgressCallback progress, intptr_t data) {
  (void)buf, (void)len, (void)flag, (void)info, (void)bits, (void)progress, (void)data;
  return SPI_NOT_IMPLEMENTED;
}

SPI_EXPORT void SPI_CALL FreePicture(void* block) { free(block); }
