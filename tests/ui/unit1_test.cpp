// The calculator window in process: its layout, its handlers and a live change of the
// decimal separator (Windows only).
#ifdef _WIN32
#include "ui/unit1.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/application.h"
#include "core/errors.h"
#include "core/locale_numbers.h"
#include "tests/support/application_test.h"

namespace pumpcalc {
namespace {

class Form1Test : public test::ApplicationTest {
 protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    form_ = application_->createMainWindow<TForm1>();
  }

  TForm1* form_ = nullptr;
};

TEST_F(Form1Test, TheLayoutGivesTheWindowAndItsControls) {
  RECT outer{};
  GetWindowRect(form_->handle(), &outer);
  EXPECT_EQ(outer.left, 293);
  EXPECT_EQ(outer.top, 221);
  EXPECT_EQ(outer.right - outer.left, 377);
  EXPECT_EQ(outer.bottom - outer.top, 407);
  EXPECT_EQ(form_->Caption, "Form1");
  ASSERT_EQ(form_->controls().size(), 21u);
  // Created in the layout's order: the static texts first, then the boxes and buttons in
  // tab order.
  const char* layoutOrder[] = {"Label1",  "Label3", "Label4", "Label2",  "Label5",  "Label7",
                               "Label8",  "Label9", "Label6", "Label10", "Label11", "Label12",
                               "Edit1",   "Edit2",  "Edit3",  "Edit4",   "Button1", "Button2",
                               "Button3", "Edit5",  "Edit6"};
  for (std::size_t i = 0; i < 21; ++i) EXPECT_EQ(form_->controls()[i]->name, layoutOrder[i]);
  EXPECT_EQ(form_->Label9->caption, "  泵功率的计算        ");
  EXPECT_EQ(form_->Button2->caption, "计算另外泵的功率");
  EXPECT_EQ(form_->Button1->font->height, -16);
  EXPECT_FALSE(form_->Edit1->font.has_value());
  // Tab order follows the window order of the boxes and buttons (the hidden labels that
  // name the boxes to screen readers take no part in it).
  HWND expected[] = {form_->Edit1->handle,   form_->Edit2->handle,   form_->Edit3->handle,
                     form_->Edit4->handle,   form_->Button1->handle, form_->Button2->handle,
                     form_->Button3->handle, form_->Edit5->handle,   form_->Edit6->handle};
  std::vector<HWND> tabStops;
  for (HWND child = GetWindow(form_->handle(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0) tabStops.push_back(child);
  }
  EXPECT_EQ(tabStops, std::vector<HWND>(std::begin(expected), std::end(expected)));
}

TEST_F(Form1Test, OkFillsTheResultsAndClearLeavesTheMotorPowers) {
  form_->Edit1->setText("100");
  form_->Edit2->setText("50");
  form_->Edit3->setText("80");
  form_->Button1Click();
  EXPECT_EQ(form_->Edit4->text(), "17.020697167756");
  EXPECT_EQ(form_->Edit5->text(), "18.7227668845316");
  EXPECT_EQ(form_->Edit6->text(), "20.4248366013072");
  form_->Button2Click();
  EXPECT_EQ(form_->Edit1->text(), "");
  EXPECT_EQ(form_->Edit4->text(), "");
  EXPECT_EQ(form_->Edit5->text(), "18.7227668845316");
}

TEST_F(Form1Test, ANewDecimalSeparatorTakesEffectAtTheSettingsChange) {
  test::DecimalSymbolChange comma(*application_, L",");
  ASSERT_TRUE(comma.changed());
  form_->Edit1->setText("1,5");
  form_->Edit2->setText("2");
  form_->Edit3->setText("100");
  form_->Button1Click();
  EXPECT_EQ(form_->Edit4->text(), "0,00816993464052288");
  form_->Edit1->setText("1.5");
  EXPECT_THROW(form_->Button1Click(), EConvertError);
}

}  // namespace
}  // namespace pumpcalc
#endif
