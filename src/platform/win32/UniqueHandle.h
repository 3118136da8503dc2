#pragma once
// Ownership of every Win32 handle kind in one small move-only template, plus
// a COM pointer holder and scope guards for the error mode and COM. This is
// the only place that calls RegCloseKey, CloseHandle, FindClose and friends.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace hs::win32 {

namespace detail {
template <typename T>
T NullValue() {
  return T{};
}
inline HANDLE InvalidHandleValue() {
  return INVALID_HANDLE_VALUE;
}
}  // namespace detail

// Owns one handle of type T; `Close` releases it, `Empty()` is the value that
// holds nothing (a function, because INVALID_HANDLE_VALUE is no constant
// expression).
template <typename T, auto Close, auto Empty = &detail::NullValue<T>>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T handle) : m_handle(handle) {}
  UniqueAny(UniqueAny&& other) noexcept : m_handle(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  T get() const { return m_handle; }
  explicit operator bool() const { return m_handle != Empty(); }
  // Closes the current handle and returns the slot for an API to fill.
  T* put() {
    reset();
    return &m_handle;
  }
  void reset(T handle = Empty()) {
    if (m_handle != Empty()) Close(m_handle);
    m_handle = handle;
  }
  // Gives the handle up without closing it.
  T release() { return std::exchange(m_handle, Empty()); }

 private:
  T m_handle = Empty();
};

namespace detail {
inline void CloseKey(HKEY key) {
  ::RegCloseKey(key);
}
inline void CloseKernelHandle(HANDLE handle) {
  ::CloseHandle(handle);
}
inline void CloseFind(HANDLE handle) {
  ::FindClose(handle);
}
inline void ReleaseModule(HMODULE module) {
  ::FreeLibrary(module);
}
inline void FreeTaskMemory(void* memory) {
  ::CoTaskMemFree(memory);
}
inline void FreeLocalMemory(HLOCAL memory) {
  ::LocalFree(memory);
}
inline void DestroyMenuHandle(HMENU menu) {
  ::DestroyMenu(menu);
}
inline void DeleteFont(HFONT font) {
  ::DeleteObject(font);
}
}  // namespace detail

using UniqueHkey = UniqueAny<HKEY, detail::CloseKey>;
// Kernel handles whose "none" is null (threads, processes, events).
using UniqueHandle = UniqueAny<HANDLE, detail::CloseKernelHandle>;
// CreateFile's "none" is INVALID_HANDLE_VALUE rather than null.
using UniqueFileHandle = UniqueAny<HANDLE, detail::CloseKernelHandle, detail::InvalidHandleValue>;
using UniqueFindHandle = UniqueAny<HANDLE, detail::CloseFind, detail::InvalidHandleValue>;
using UniqueHmodule = UniqueAny<HMODULE, detail::ReleaseModule>;
using UniqueCoTaskMem = UniqueAny<void*, detail::FreeTaskMemory>;
using UniqueHlocal = UniqueAny<HLOCAL, detail::FreeLocalMemory>;
// What the system allocated with LocalAlloc for the caller to free.
using UniqueLocalMemory = UniqueAny<void*, detail::FreeLocalMemory>;
using UniqueHmenu = UniqueAny<HMENU, detail::DestroyMenuHandle>;
using UniqueHfont = UniqueAny<HFONT, detail::DeleteFont>;

// Holds one COM interface pointer and releases it.
template <typename I>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      m_ptr = std::exchange(other.m_ptr, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  I* get() const { return m_ptr; }
  I* operator->() const { return m_ptr; }
  explicit operator bool() const { return m_ptr != nullptr; }
  // Releases the current pointer and returns the slot for an API to fill.
  I** put() {
    reset();
    return &m_ptr;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (m_ptr) m_ptr->Release();
    m_ptr = nullptr;
  }

 private:
  I* m_ptr = nullptr;
};

// Sets extra error-mode flags for the life of the scope, then puts the
// previous mode back.
class ErrorModeScope {
 public:
  explicit ErrorModeScope(UINT flags) : m_previous(::SetErrorMode(flags)) {
    ::SetErrorMode(m_previous | flags);
  }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;
  ~ErrorModeScope() { ::SetErrorMode(m_previous); }

 private:
  UINT m_previous;
};

// COM for the calling thread (single-threaded apartment unless told
// otherwise) for the life of the scope. Any success code counts, including "already initialised";
// only a successful call is balanced by CoUninitialize.
class ComScope {
 public:
  explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED)
      : m_result(::CoInitializeEx(nullptr, model)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(m_result)) ::CoUninitialize();
  }
  // A thread already in the multi-threaded apartment can use COM as well.
  bool ok() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

 private:
  HRESULT m_result;
};

}  // namespace hs::win32
