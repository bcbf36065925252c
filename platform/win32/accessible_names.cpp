#include "platform/win32/accessible_names.h"

#include <oleacc.h>

#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {
namespace {

// The COM library is loaded only when a name is given, so that a program run without a
// screen reader starts without it.
using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFunction = void(WINAPI*)();
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

// The property service and the name property, as the system registers them (written here so
// that no import library of oleacc is needed).
constexpr CLSID propertyServiceClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID propertyServiceInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID nameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

template <class Function>
Function entryPoint(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool screenReaderRunning() noexcept {
  BOOL running = FALSE;
  return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) && running;
}

void AccessibleNames::name(HWND window, std::string_view name) noexcept {
  if (!tried_) {
    tried_ = true;
    ole_.reset(LoadLibraryW(L"ole32.dll"));
    if (!ole_) return;
    const auto initialize = entryPoint<CoInitializeExFunction>(ole_.get(), "CoInitializeEx");
    const auto create = entryPoint<CoCreateInstanceFunction>(ole_.get(), "CoCreateInstance");
    if (initialize == nullptr || create == nullptr) return;
    comStarted_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    if (!comStarted_ ||
        FAILED(create(propertyServiceClass, nullptr, CLSCTX_INPROC_SERVER, propertyServiceInterface,
                      reinterpret_cast<void**>(&services_)))) {
      services_ = nullptr;
    }
  }
  if (services_ == nullptr) return;
  try {
    const std::wstring wide = toUtf16(name);
    if (SUCCEEDED(services_->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            nameProperty, wide.c_str()))) {
      named_.push_back(window);
    }
  } catch (...) {
    // Out of memory for a name: the control keeps the name its label gives it.
  }
}

void AccessibleNames::clear() noexcept {
  if (services_ != nullptr) {
    for (HWND window : named_) {
      services_->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                &nameProperty, 1);
    }
    services_->Release();
    services_ = nullptr;
  }
  named_.clear();
  if (comStarted_) {
    if (const auto uninitialize =
            entryPoint<CoUninitializeFunction>(ole_.get(), "CoUninitialize")) {
      uninitialize();
    }
  }
  ole_.reset();
  comStarted_ = false;
  tried_ = false;
}

}  // namespace pumpcalc::platform
