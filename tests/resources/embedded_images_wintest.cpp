// The pictures inside the built launcher.exe (beside this test binary), decoded the way start-up loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/process_values_win.h"
#include "resources/resource_ids.h"
#include "support/scratch_dir_win.h"
#include "ui/graphics_win.h"

namespace {

// Every picture decodes, the logo and the flags with their transparency, and each cell of the flag sprite shows
// the flag of the language table's row of that index.
TEST(EmbeddedImages, PicturesDecodeAndFlagsFollowTheLanguageOrder) {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  std::string exe = TestExecutablePath();
  exe = exe.substr(0, exe.find_last_of('\\') + 1) + "launcher.exe";
  const HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr) << exe;
  instanceHandle = module;  // the loader reads the resources of instanceHandle
  const struct { unsigned short id; const char* what; bool alpha; } pictures[] = {
      {IDR_BACKGROUND_JPEG, "background", false}, {IDR_LOGO_PNG, "logo", true}, {IDR_FLAG_SPRITE_PNG, "flag sprite", true}};
  for (const auto& picture : pictures) {
    const auto image = LoadImageFromResource(picture.id);
    EXPECT_TRUE(image && (Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat()) != FALSE) == picture.alpha)
        << "the " << picture.what << (picture.alpha ? " does not decode with its transparency" : " does not decode");
  }
  {  // GDI+ objects go before GDI+ itself
    Gdiplus::Bitmap pixels(768, 32, PixelFormat32bppARGB);
    if (const auto sprite = LoadImageFromResource(IDR_FLAG_SPRITE_PNG)) {
      Gdiplus::Graphics(&pixels).DrawImage(sprite.get(), 0, 0, 768, 32);
    }
    // Per cell a pixel whose colour no other flag has there, so any swapped or shifted flag fails.
    const struct { const char* flag; int x, y; unsigned rgb; } cells[] = {
        {"Czech triangle", 4, 16, 0x11457E}, {"Danish cross", 17, 24, 0xFFFFFF}, {"German black", 24, 5, 0x000000},
        {"British cross", 24, 16, 0xC8102E}, {"Spanish yellow", 40, 16, 0xF1BF00}, {"French blue", 8, 16, 0x0055A4},
        {"Italian green", 8, 16, 0x009246}, {"Hungarian green", 24, 27, 0x436F4D}, {"Dutch blue", 24, 27, 0x21468B},
        {"Polish red", 40, 24, 0xDC143C}, {"Portuguese green", 8, 16, 0x006600}, {"Romanian yellow", 24, 16, 0xFCD116},
        {"Turkish crescent", 10, 16, 0xFFFFFF}, {"Greek canton", 3, 3, 0x0D5EAF}, {"Russian blue", 24, 16, 0x0039A6},
        {"Emirati red", 4, 16, 0xFF0000}};
    for (int cell = 0; cell < 16; ++cell) {
      Gdiplus::Color c;
      pixels.GetPixel(cell * 48 + cells[cell].x, cells[cell].y, &c);
      int off = 0;
      for (int shift : {16, 8, 0}) off = std::max(off, std::abs(int(c.GetValue() >> shift & 0xFF) - int(cells[cell].rgb >> shift & 0xFF)));
      EXPECT_LE(off, 24) << "cell " << cell << " should show the " << cells[cell].flag << ", has 0x" << std::hex
                         << (c.GetValue() & 0xFFFFFF);
    }
  }
  instanceHandle = GetModuleHandleW(nullptr);
  FreeLibrary(module);
  Gdiplus::GdiplusShutdown(token);
}

}  // namespace
