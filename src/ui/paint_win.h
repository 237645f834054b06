#pragma once
// Rendering's entry for the window procedure: one whole frame of uiState, drawn off screen and
// copied to the window in one operation.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/graphics_win.h"
#include "ui/layout.h"

// Draws the frame into dc and refills uiState.hitRegions in drawing order, so that input acts on
// what was last drawn. Window thread only.
void PaintWindow(HDC dc, int clientWidth, int clientHeight);

// The frame drawn into the back buffer only, for drawing off screen: its pixels (premultiplied
// ARGB, top row first), valid until the next paint; null when the back buffer cannot be made.
// Refills uiState.hitRegions as PaintWindow does.
const uint32_t* RenderFrame(int clientWidth, int clientHeight);

// Deletes the cached back buffer and background bitmap, if made. Called at shutdown, before GDI+ is
// shut down.
void ReleasePaintCaches();

// The shutdown order: the paint caches, the pictures and the font, then GDI+ itself with the token its
// start-up gave. The GDI+ objects must not outlive GDI+.
void ShutDownGraphics(ULONG_PTR gdiplusToken);

// The background of a client size into pixels (premultiplied ARGB, top row first): the plain fill,
// backgroundImage stretched over it when there is one, and the darkening gradient. False when GDI+
// cannot draw into them.
bool ComposeBackground(int width, int height, std::vector<uint32_t>& pixels);

// Only the fixed part of a paint: the cached background copied through the back buffer to dc, with
// nothing drawn over it. The benchmark's reference for PaintWindow.
void PaintBackgroundOnly(HDC dc, int clientWidth, int clientHeight);

// Width of a text in fontFamily at a pixel size, as the layout measures it; 0 without a font.
float MeasureText(Gdiplus::Graphics& graphics, const std::wstring& text, float fontPx, bool bold, MeasureFormat format);
