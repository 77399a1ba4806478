// One SDL window with what shows a canvas in it: the renderer and a
// streaming texture at the canvas size. The main window and the tool
// windows each have one.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Rect.h"

#include "base/Result.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TSdlWindowSurface {
 public:
  TSdlWindowSurface() = default;
  ~TSdlWindowSurface() { Destroy(); }
  TSdlWindowSurface(const TSdlWindowSurface&) = delete;
  TSdlWindowSurface& operator=(const TSdlWindowSurface&) = delete;

  // Creates the window (title in UTF-8) and its renderer; fails with a
  // message, nothing left behind. what names the window in it.
  TResult Create(const std::string& what, const std::string& title, int x, int y, int width, int height,
                 uint32_t flags);
  void Destroy();

  SDL_Window* Window() const { return FWindow; }
  SDL_Renderer* Renderer() const { return FRenderer; }
  uint32_t Id() const { return FWindow ? SDL_GetWindowID(FWindow) : 0; }
  TCanvas& Canvas() { return FCanvas; }
  const TCanvas& Canvas() const { return FCanvas; }

  // (Re)creates the streaming texture at the canvas size. A canvas the
  // renderer cannot hold leaves no texture; Present then shows black.
  void EnsureTexture();
  // Forgets the texture (gone with a reset render device); the next
  // Present makes it anew.
  void ResetTexture();
  // Copies the canvas to the window, scaled with its aspect kept and the
  // rest of the window black. With changed, only those rectangles of the
  // canvas go up to the texture (the rest is there from before).
  void Present(const std::vector<TRect>* changed = nullptr);
  // Smooth scaling instead of whole pixels (takes effect with the next
  // texture).
  void SetLinearFilter(bool on) { FLinearFilter = on; }

 private:
  SDL_Window* FWindow = nullptr;
  SDL_Renderer* FRenderer = nullptr;
  SDL_Texture* FTexture = nullptr;
  int FTextureWidth = 0;
  int FTextureHeight = 0;
  bool FTextureFilled = false;  // the texture holds the canvas of the last present
  bool FLinearFilter = false;
  TCanvas FCanvas;
};

}  // namespace pelto5
