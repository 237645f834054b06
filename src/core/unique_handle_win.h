#pragma once
// One move-only owner for every kind of Win32 handle, so that no path leaks one.
#include <windows.h>

#include <type_traits>
#include <utility>

template <typename T, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return handle_; }
  explicit operator bool() const { return IsValid(handle_); }
  T release() { return std::exchange(handle_, T()); }
  void reset(T handle = T()) {
    // Closing may change the last error; callers read it before they let an owner go.
    if (IsValid(handle_)) Close(handle_);
    handle_ = handle;
  }

 private:
  // CreateFile reports failure as INVALID_HANDLE_VALUE, most other calls as null.
  static bool IsValid(T handle) {
    if constexpr (std::is_same_v<T, HANDLE>) {
      return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    } else {
      return handle != T();
    }
  }
  T handle_{};
};

using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle>;
using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;
