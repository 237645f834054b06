#pragma once
// The window's GDI+ objects. Start-up makes them and releases them in its shutdown order, before
// GDI+ itself is shut down; they never outlive it. Window thread only.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstddef>
#include <memory>

extern std::unique_ptr<Gdiplus::FontFamily> fontFamily;  // "Segoe UI", or "Arial"
extern std::unique_ptr<Gdiplus::Image> backgroundImage;  // each image may be absent
extern std::unique_ptr<Gdiplus::Image> logoImage;
extern std::unique_ptr<Gdiplus::Image> flagSprite;

// The font family ("Segoe UI", else "Arial") and the three pictures from the module's resources; a picture
// that cannot be loaded stays absent.
void LoadFontAndPictures();

// An image decoded from encoded bytes (PNG, JPEG...); null when GDI+ cannot make one of them.
std::unique_ptr<Gdiplus::Image> ImageFromBytes(const void* bytes, size_t size);

// A raw-data resource of the launcher's own module as an image; null when it is missing, empty or
// not a picture GDI+ can read.
std::unique_ptr<Gdiplus::Image> LoadImageFromResource(unsigned short id);
