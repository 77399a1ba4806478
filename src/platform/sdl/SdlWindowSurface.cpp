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
  FTextureFilled = false;
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

void TSdlWindowSurface::Present(const std::vector<TRect>* changed) {
  if (!FRenderer) return;
  EnsureTexture();
  SDL_SetRenderDrawColor(FRenderer, 0, 0, 0, 255);
  SDL_RenderClear(FRenderer);
  if (FTexture) {
    // Read only: the canvas's version tells its drawers whether anyone
    // else drew on it.
    const TCanvas& canvas = FCanvas;
    const int pitch = canvas.Width() * static_cast<int>(sizeof(uint32_t));
    if (!changed || !FTextureFilled) {
      SDL_UpdateTexture(FTexture, nullptr, canvas.Pixels(), pitch);
      FTextureFilled = true;
    } else {
      for (const TRect& r : *changed) {
        const TRect part = IntersectRect(r, TRect{0, 0, canvas.Width(), canvas.Height()});
        if (part.IsEmpty()) continue;
        const SDL_Rect area{part.Left, part.Top, part.Width, part.Height};
        SDL_UpdateTexture(FTexture, &area, canvas.Row(part.Top) + part.Left, pitch);
      }
    }
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
