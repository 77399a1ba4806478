/*
 * A test plug-in that misbehaves on request, by the first bytes of the
 * picture: "CRASH" makes GetPicture write through a null pointer,
 * "HANG" makes it never return, "PROBECRASH" crashes IsSupported itself,
 * and "LIAR" returns a header whose sizes do not match its blocks. It
 * accepts nothing else.
 */
#include <pelto5/spi.h>

#include <string.h>

#include "FixtureBlocks.h"
#ifdef _WIN32
#define sleep(seconds) Sleep((seconds) * 1000)
#else
#include <unistd.h>
#endif

static int StartsWith(const void* data, const char* text) { return memcmp(data, text, strlen(text)) == 0; }

static void WriteThroughNull(void) {
  volatile int* nowhere = NULL;
  *nowhere = 1;
}

int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  const char* text = infono == 0 ? "00IN" : infono == 2 ? "*.bad" : "faulty test plug-in";
  if (buflen <= 0) return 0;
  strncpy(buf, text, (size_t)buflen - 1);
  buf[buflen - 1] = '\0';
  return (int32_t)strlen(buf);
}

int32_t IsSupported(const char* filename, const void* data) {
  (void)filename;
  if (StartsWith(data, "PROBECRASH")) WriteThroughNull();
  return StartsWith(data, "CRASH") || StartsWith(data, "HANG") || StartsWith(data, "LIAR");
}

int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                   SpiProgressCallback progress, intptr_t data) {
  (void)len, (void)flag, (void)progress, (void)data;
  if (StartsWith(buf, "CRASH")) WriteThroughNull();
  if (StartsWith(buf, "HANG")) {
    for (;;) sleep(1);
  }
  /* "LIAR": a 4000 x 4000 picture of 24 bits in a bits block of 16 bytes,
   * with biSizeImage promising only those 16. */
  SpiBitmapInfoHeader* header = NewBlock(sizeof *header);
  header->biSize = sizeof *header;
  header->biWidth = 4000;
  header->biHeight = 4000;
  header->biPlanes = 1;
  header->biBitCount = 24;
  header->biSizeImage = 16;
  *info = header;
  *bits = NewBlock(16);
  return SPI_SUCCESS;
}
