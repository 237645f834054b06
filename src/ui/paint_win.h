#pragma once
// Rendering's entry for the window procedure: one whole frame of uiState, drawn off screen and
// copied to the window in one operation.
#include <windows.h>

// Draws the frame into dc and refills uiState.hitRegions in drawing order, so that input acts on
// what was last drawn. Window thread only.
void PaintWindow(HDC dc, int clientWidth, int clientHeight);

// Deletes the cached back buffer and background bitmap, if made. Called at shutdown, before GDI+ is
// shut down.
void ReleasePaintCaches();
