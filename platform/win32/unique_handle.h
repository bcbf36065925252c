// The Windows kinds of handle that must be given back, each a one-line alias of the one owner
// type, UniqueHandle (platform/unique_handle.h), below or beside its only user.
#pragma once

#include "platform/unique_handle.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// A window that the system destroyed already (with its owner or parent) is left alone.
inline void destroyWindowIfAlive(HWND window) noexcept {
  if (IsWindow(window)) DestroyWindow(window);
}

using UniqueWindow = UniqueHandle<HWND, destroyWindowIfAlive>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, DeleteObject>;   // a font, a brush
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;  // a process, thread or event
using UniqueFile = UniqueHandle<HANDLE, CloseHandle, -1>;      // CreateFileW's
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalFree>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;

}  // namespace pumpcalc::platform
