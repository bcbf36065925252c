// What the calculator shows on any Windows and tells a screen reader (Windows only). This
// program runs twice: in the Chinese code page 936 and in 1252, as on an English Windows.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/text_encoding.h"
#include "tests/support/application_test.h"
#include "ui/message_dialog.h"
#include "ui/unit1.h"

namespace pumpcalc {
namespace {

using TextAndNamesTest = test::ApplicationTest;

// Whether the font has a glyph of its own for every character of the text.
bool showsEveryCharacter(HFONT font, const std::string& text) {
  const std::wstring wide = platform::toUtf16(text);
  const platform::ScreenDC screen;
  const platform::SelectedObject selected(screen.get(), font);
  std::vector<WORD> glyphs(wide.size());
  const DWORD done = GetGlyphIndicesW(screen.get(), wide.c_str(), static_cast<int>(wide.size()),
                                      glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  if (done == GDI_ERROR) return false;
  for (WORD glyph : glyphs) {
    if (glyph == 0xFFFF) return false;
  }
  return true;
}

LOGFONTW describe(HFONT font) {
  LOGFONTW description{};
  GetObjectW(font, sizeof description, &description);
  return description;
}

TEST_F(TextAndNamesTest, EveryTextHasItsGlyphsInTheFontItIsDrawnIn) {
  TForm1* form = application_->createMainWindow<TForm1>();
  for (const auto& control : form->controls()) {
    SCOPED_TRACE(control->name);
    // Labels are drawn by the window in the control's font; boxes and buttons draw in the
    // font their window was given.
    const HFONT font =
        control->handle != nullptr
            ? reinterpret_cast<HFONT>(SendMessageW(control->handle, WM_GETFONT, 0, 0))
            : form->fontHandle(control->font);
    EXPECT_TRUE(showsEveryCharacter(font, control->caption)) << control->caption;
    if (GetACP() == 936) {
      // In the Chinese code page the fonts are made as they always were.
      const LOGFONTW made = describe(font);
      EXPECT_EQ(made.lfCharSet, DEFAULT_CHARSET);
      EXPECT_EQ(platform::toUtf8(made.lfFaceName), "MS Sans Serif");
    }
  }
  const auto dialog =
      buildMessageDialog("确定要关闭吗？", dkConfirmation, buttonBit(dbOK) | buttonBit(dbCancel));
  EXPECT_TRUE(showsEveryCharacter(dialog->dialogFont(), dialog->message()));
}

TEST_F(TextAndNamesTest, ScreenReadersNameEveryBoxByItsLabel) {
  // As when a screen reader runs: the names are also set on the boxes themselves, where
  // the system can (Wine cannot, and the program goes on).
  BOOL readerBefore = FALSE;
  SystemParametersInfoW(SPI_GETSCREENREADER, 0, &readerBefore, 0);
  SystemParametersInfoW(SPI_SETSCREENREADER, TRUE, nullptr, 0);
  TForm1* form = application_->createMainWindow<TForm1>();
  SystemParametersInfoW(SPI_SETSCREENREADER, readerBefore, nullptr, 0);

  CoInitialize(nullptr);
  const std::pair<TEdit*, const char*> boxes[] = {
      {form->Edit1, "泵的流量为："},   {form->Edit2, "泵的扬程为："},
      {form->Edit3, "泵的效率为："},   {form->Edit4, "泵的轴功率为："},
      {form->Edit5, "配用电机功率："}, {form->Edit6, "至"},
  };
  for (const auto& [box, name] : boxes) {
    SCOPED_TRACE(name);
    // The window before the box: a hidden label with the name, which takes no input.
    HWND label = GetWindow(box->handle, GW_HWNDPREV);
    EXPECT_FALSE(IsWindowVisible(label));
    EXPECT_EQ(GetWindowLongW(label, GWL_STYLE) & WS_TABSTOP, 0);
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(box->handle, static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR spoken = nullptr;
    EXPECT_EQ(object->get_accName(self, &spoken), S_OK);
    EXPECT_EQ(platform::toUtf8(spoken != nullptr ? spoken : L""), name);
    SysFreeString(spoken);
    object->Release();
  }
  CoUninitialize();
}

}  // namespace
}  // namespace pumpcalc
#endif
