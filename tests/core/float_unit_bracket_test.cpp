#include <gtest/gtest.h>

#include "core/float_unit.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/unique_handle.h"
#endif

namespace pumpcalc {
namespace {

// What foreign code might do to both units.
void disturbFloatUnits() {
  floatUnit() = {0x037F, flagPrecision | flagOverflow};
  restoreHardwareControlWord(0x027F);
}

class FloatUnitBracketTest : public testing::Test {
 protected:
  void SetUp() override {
    resetFloatUnit();
    hardwareBefore_ = hardwareControlWord();
  }
  void TearDown() override { resetFloatUnit(); }

  void expectRestored() {
    EXPECT_EQ(floatUnit().controlWord, initialFloatControlWord);
    EXPECT_EQ(floatUnit().flags, 0);
    EXPECT_EQ(FloatControlWord, initialFloatControlWord);
    EXPECT_EQ(hardwareControlWord(), hardwareBefore_);
  }

  std::uint16_t hardwareBefore_ = 0;
};

TEST_F(FloatUnitBracketTest, UndoesWhatCodeInsideDidToTheControlWords) {
  {
    FloatUnitBracket bracket;
    disturbFloatUnits();
  }
  expectRestored();
}

#ifdef _WIN32
LRESULT CALLBACK disturbingWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_CREATE) disturbFloatUnits();
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(FloatUnitBracketTest, SurvivesAWindowCreationThatChangesTheControlWords) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = disturbingWindowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"PumpcalcDisturbingWindow";
  ASSERT_NE(RegisterClassW(&windowClass), 0);
  platform::UniqueWindow window;
  {
    FloatUnitBracket bracket;
    window.reset(CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 10,
                                 10, nullptr, nullptr, windowClass.hInstance, nullptr));
  }
  ASSERT_TRUE(window);
  expectRestored();
  window.reset();
  UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}
#endif

}  // namespace
}  // namespace pumpcalc
