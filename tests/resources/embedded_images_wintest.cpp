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

class EmbeddedImagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    std::string exe = TestExecutablePath();
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + "launcher.exe";
    module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << exe;
    instanceHandle = module;  // the loader reads the resources of instanceHandle
  }
  void TearDown() override {
    instanceHandle = GetModuleHandleW(nullptr);
    if (module != nullptr) FreeLibrary(module);
    Gdiplus::GdiplusShutdown(token);
  }
  ULONG_PTR token = 0;
  HMODULE module = nullptr;
};

TEST_F(EmbeddedImagesTest, PicturesDecodeInTheirFormatsAndSizes) {
  const struct { unsigned short id; const char* what; GUID format; UINT width, height; bool alpha; } rows[] = {
      {IDR_BACKGROUND_JPEG, "background", Gdiplus::ImageFormatJPEG, 1920, 1080, false},
      {IDR_LOGO_PNG, "logo", Gdiplus::ImageFormatPNG, 440, 515, true},
      {IDR_FLAG_SPRITE_PNG, "flag sprite", Gdiplus::ImageFormatPNG, 768, 32, true}};
  for (const auto& row : rows) {
    const auto image = LoadImageFromResource(row.id);
    ASSERT_TRUE(image) << "the " << row.what << " does not decode";
    GUID format{};
    image->GetRawFormat(&format);
    EXPECT_TRUE(IsEqualGUID(format, row.format)) << "the " << row.what << " is stored in another format";
    EXPECT_TRUE(image->GetWidth() == row.width && image->GetHeight() == row.height) << row.what << " size";
    EXPECT_EQ(Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat()) != FALSE, row.alpha) << row.what << " transparency";
  }
}

TEST_F(EmbeddedImagesTest, FlagCellsFollowTheLanguageOrder) {
  const auto sprite = LoadImageFromResource(IDR_FLAG_SPRITE_PNG);
  ASSERT_TRUE(sprite);
  Gdiplus::Bitmap pixels(768, 32, PixelFormat32bppARGB);
  Gdiplus::Graphics(&pixels).DrawImage(sprite.get(), 0, 0, 768, 32);
  // Per cell a pixel whose colour no other flag has there, so any swapped or shifted flag fails.
  const struct { const char* flag; int x, y; unsigned rgb; } rows[] = {
      {"Czech triangle", 4, 16, 0x11457E}, {"Danish cross", 17, 24, 0xFFFFFF}, {"German black", 24, 5, 0x000000},
      {"British cross", 24, 16, 0xC8102E}, {"Spanish yellow", 40, 16, 0xF1BF00}, {"French blue", 8, 16, 0x0055A4},
      {"Italian green", 8, 16, 0x009246}, {"Hungarian green", 24, 27, 0x436F4D}, {"Dutch blue", 24, 27, 0x21468B},
      {"Polish red", 40, 24, 0xDC143C}, {"Portuguese green", 8, 16, 0x006600}, {"Romanian yellow", 24, 16, 0xFCD116},
      {"Turkish crescent", 10, 16, 0xFFFFFF}, {"Greek canton", 3, 3, 0x0D5EAF}, {"Russian blue", 24, 16, 0x0039A6},
      {"Emirati red", 4, 16, 0xFF0000}};
  for (int cell = 0; cell < 16; ++cell) {
    Gdiplus::Color c;
    pixels.GetPixel(cell * 48 + rows[cell].x, rows[cell].y, &c);
    int diff = 0;
    for (int shift : {16, 8, 0})
      diff = std::max(diff, std::abs(int(c.GetValue() >> shift & 0xFF) - int(rows[cell].rgb >> shift & 0xFF)));
    EXPECT_LE(diff, 24) << "cell " << cell << " should show the " << rows[cell].flag << ", has 0x" << std::hex
                        << (c.GetValue() & 0xFFFFFF);
  }
}

TEST_F(EmbeddedImagesTest, IconHasItsOwnFrameAtEachWindowsSize) {
  const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), MAKEINTRESOURCEW(14));  // group
  ASSERT_NE(group, nullptr) << "no icon";
  const auto directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
  for (int size : {16, 32, 48, 256}) {
    const HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON, size, size, 0);
    EXPECT_NE(icon, nullptr) << "the icon does not load at " << size << " px";
    DestroyIcon(static_cast<HICON>(icon));
    // The frame Windows picks must be drawn at this size (not scaled from another) as an 8-bit RGBA PNG.
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    const HRSRC frame = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3) /* RT_ICON */);
    ASSERT_TRUE(frame != nullptr && SizeofResource(module, frame) > 26) << size;
    const auto png = static_cast<const BYTE*>(LockResource(LoadResource(module, frame)));
    EXPECT_EQ(png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19], size) << "no frame of " << size << " px";
    EXPECT_TRUE(png[1] == 'P' && png[24] == 8 && png[25] == 6) << "the " << size << " px frame is no 8-bit RGBA PNG";
  }
}

}  // namespace
