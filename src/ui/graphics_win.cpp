#include "ui/graphics_win.h"

#include <cstring>

#include "core/process_values_win.h"
#include "resources/resource_ids.h"

std::unique_ptr<Gdiplus::FontFamily> fontFamily;
std::unique_ptr<Gdiplus::Image> backgroundImage;
std::unique_ptr<Gdiplus::Image> logoImage;
std::unique_ptr<Gdiplus::Image> flagSprite;

namespace {

struct StreamRelease {
  void operator()(IStream* stream) const { stream->Release(); }
};

}  // namespace

std::unique_ptr<Gdiplus::Image> ImageFromBytes(const void* bytes, size_t size) {
  if (bytes == nullptr || size == 0) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);

  // The stream frees the memory when it is released; the image holds its own reference while it lives.
  IStream* rawStream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &rawStream)) || rawStream == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::unique_ptr<IStream, StreamRelease> stream(rawStream);
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream.get()));
  if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return image;
}

void LoadFontAndPictures() {
  fontFamily = std::make_unique<Gdiplus::FontFamily>(L"Segoe UI");
  if (!fontFamily->IsAvailable()) fontFamily = std::make_unique<Gdiplus::FontFamily>(L"Arial");
  backgroundImage = LoadImageFromResource(IDR_BACKGROUND_JPEG);
  logoImage = LoadImageFromResource(IDR_LOGO_PNG);
  flagSprite = LoadImageFromResource(IDR_FLAG_SPRITE_PNG);
}

std::unique_ptr<Gdiplus::Image> LoadImageFromResource(unsigned short id) {
  HRSRC resource = FindResourceW(instanceHandle, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (resource == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(instanceHandle, resource);
  const DWORD size = SizeofResource(instanceHandle, resource);
  if (loaded == nullptr || size == 0) return nullptr;
  const void* bytes = LockResource(loaded);  // resource memory needs no unlock or free
  return ImageFromBytes(bytes, size);
}
