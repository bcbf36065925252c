// What in-process window tests share: an application object for each test, as start-up
// makes it, and a scoped change of the user's decimal symbol (Windows only).
#pragma once

#ifdef _WIN32
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"

namespace pumpcalc::test {

class ApplicationTest : public testing::Test {
 protected:
  void SetUp() override {
    application_ = std::make_unique<TApplication>();
    Application = application_.get();
  }
  void TearDown() override {
    application_.reset();
    Application = nullptr;
    // Nothing a test left in the queue reaches the next one.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  std::unique_ptr<TApplication> application_;
};

// Sets the user's decimal symbol and announces the change to the application window, as
// the regional settings do; the old symbol comes back, announced, at the end of the scope.
class DecimalSymbolChange {
 public:
  DecimalSymbolChange(const TApplication& application, const wchar_t* symbol)
      : application_(application) {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved_, 8);
    changed_ = SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, symbol) != FALSE;
    announce();
  }
  ~DecimalSymbolChange() {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved_);
    announce();
  }
  DecimalSymbolChange(const DecimalSymbolChange&) = delete;
  DecimalSymbolChange& operator=(const DecimalSymbolChange&) = delete;

  bool changed() const { return changed_; }
  wchar_t savedSymbol() const { return saved_[0]; }

 private:
  void announce() {
    SendMessageW(application_.applicationWindow(), WM_WININICHANGE, 0,
                 reinterpret_cast<LPARAM>(L"intl"));
  }

  const TApplication& application_;
  wchar_t saved_[8] = {};
  bool changed_ = false;
};

}  // namespace pumpcalc::test
#endif
