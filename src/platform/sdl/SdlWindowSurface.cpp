#include "platform/sdl/SdlWindowSurface.h"

#include "platform/Letterbox.h"

namespace pelto5 {

TResult TSdlWindowSurface::Create(const std::string& what, const std::string& title, int x, int y, int width,
                                  int height, uint32_t flags) {
  Destroy();
  FWindow = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
  if (!FWindow) return TResult::Fail("cannot open the " + what + ": " + SDL_GetError());
  FRenderer = SDL_CreateRenderer(FWindow, -1, 0);
  if (!FRenderer) FRenderer = SDL_CreateRenderer(FWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!FRenderer) {
    TResult failed = TResult::Fail("cannot create a renderer for the " + what + ": " + SDL_GetError());
    Destroy();
    return failed;
  }
  EnsureTexture();
  return TResult::Ok();
}

void TSdlWindowSurface::Destroy() {
  ResetTexture();
  if (FRenderer) SDL_DestroyRenderer(FRenderer);
  if (FWindow) SDL_DestroyWindow(FWindow);
  FRenderer = nullptr;
  FWindow = nullptr;
}

void TSdlWindowSurface::ResetTexture() {
  if (FTexture) SDL_DestroyTexture(FTexture);
  FTexture = nullptr;
  FTextureWidth = FTextureHeight = 0;
}

void TSdlWindowSurface::EnsureTexture() {
  if (!FRenderer) return;
  const int w = FCanvas.Width();
  const int h = FCanvas.Height();
  if (FTexture && FTextureWidth == w && FTextureHeight == h) return;
  ResetTexture();
  if (w <= 0 || h <= 0) return;
  FTexture = SDL_CreateTexture(FRenderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
  if (!FTexture) return;
  SDL_SetTextureScaleMode(FTexture, FLinearFilter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  FTextureWidth = w;
  FTextureHeight = h;
}

void TSdlWindowSurface::Present() {
  if (!FRenderer) return;
  EnsureTexture();
  SDL_SetRenderDrawColor(FRenderer, 0, 0, 0, 255);
  SDL_RenderClear(FRenderer);
  if (FTexture) {
    SDL_UpdateTexture(FTexture, nullptr, FCanvas.Pixels(), FCanvas.Width() * static_cast<int>(sizeof(uint32_t)));
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(FRenderer, &w, &h);
    const TLetterbox box = TLetterbox::Fit(FCanvas.Width(), FCanvas.Height(), w, h);
    const SDL_Rect target{box.X, box.Y, box.Width, box.Height};
    SDL_RenderCopy(FRenderer, FTexture, nullptr, &target);
  }
  SDL_RenderPresent(FRenderer);
}

}  // namespace pelto5
