// The message dialog's arithmetic: layout in base units, default and cancel buttons.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ui/message_dialog.h"

namespace pumpcalc {
namespace {

void expectBounds(const Bounds& actual, Bounds expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.width, expected.width);
  EXPECT_EQ(actual.height, expected.height);
}

TEST(MessageDialogLayout, AConfirmationWithOkAndCancel) {
  const MessageDialogLayout layout = layOutMessageDialog({6, 13}, 84, 13, true, {20, 48});
  EXPECT_EQ(layout.clientWidth, 180);
  EXPECT_EQ(layout.clientHeight, 97);
  expectBounds(layout.icon, {12, 13, 32, 32});
  expectBounds(layout.message, {59, 13, 84, 13});
  ASSERT_EQ(layout.buttons.size(), 2u);
  expectBounds(layout.buttons[0], {12, 61, 75, 23});
  expectBounds(layout.buttons[1], {93, 61, 75, 23});
}

TEST(MessageDialogLayout, WithoutAnIconTheMessageStartsAtTheMarginAndKeepsItsHeight) {
  const MessageDialogLayout layout = layOutMessageDialog({6, 13}, 200, 13, false, {20});
  expectBounds(layout.icon, {0, 0, 0, 0});
  expectBounds(layout.message, {12, 13, 200, 13});
  EXPECT_EQ(layout.clientWidth, 224);
  EXPECT_EQ(layout.clientHeight, 13 + 16 + 23 + 26);
  ASSERT_EQ(layout.buttons.size(), 1u);
  expectBounds(layout.buttons[0], {(224 - 75) / 2, 13 + 13 + 16, 75, 23});
}

TEST(MessageDialogLayout, ATallMessageRaisesTheButtonsAndAWideCaptionWidensEveryButton) {
  const MessageDialogLayout layout = layOutMessageDialog({7, 16}, 30, 80, true, {40, 90, 60});
  // Margins 14 and 16, spacings 18 and 20, buttons 90 x 28 with 7 between.
  const int group = 3 * 90 + 2 * 7;
  EXPECT_EQ(layout.clientWidth, group + 28);
  EXPECT_EQ(layout.clientHeight, 80 + 20 + 28 + 32);
  expectBounds(layout.message, {14 + 32 + 18, 16, 30, 80});
  for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
    expectBounds(layout.buttons[i], {14 + static_cast<int>(i) * 97, 80 + 16 + 20, 90, 28});
  }
}

TEST(MessageDialogLayout, NoButtonsLeaveTheirRowEmpty) {
  const MessageDialogLayout layout = layOutMessageDialog({6, 13}, 84, 13, true, {});
  EXPECT_TRUE(layout.buttons.empty());
  EXPECT_EQ(layout.clientWidth, 131 + 24);
  EXPECT_EQ(layout.clientHeight, 97);
}

TEST(MessageDialogButtons, DefaultAndCancelButtons) {
  struct Case {
    TDialogButtons buttons;
    std::optional<TDialogButton> defaultButton, cancelButton;
  };
  const Case cases[] = {
      {buttonBit(dbOK) | buttonBit(dbCancel), dbOK, dbCancel},
      {buttonBit(dbOK), dbOK, dbOK},
      {buttonBit(dbAbort) | buttonBit(dbRetry) | buttonBit(dbIgnore), dbRetry, std::nullopt},
      {buttonBit(dbAbort) | buttonBit(dbIgnore), std::nullopt, std::nullopt},
      {buttonBit(dbYes) | buttonBit(dbNo) | buttonBit(dbCancel), dbYes, dbCancel},
      {buttonBit(dbYes) | buttonBit(dbNo), dbYes, dbNo},
      {buttonBit(dbYes) | buttonBit(dbOK) | buttonBit(dbRetry), dbOK, dbOK},
      {0, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buttons);
    EXPECT_EQ(defaultButtonOf(c.buttons), c.defaultButton);
    EXPECT_EQ(cancelButtonOf(c.buttons), c.cancelButton);
  }
}

TEST(MessageDialogButtons, RequestedButtonsComeInTheirOrderWithTheirResults) {
  EXPECT_EQ(requestedButtons(buttonBit(dbHelp) | buttonBit(dbCancel) | buttonBit(dbYes)),
            (std::vector<TDialogButton>{dbYes, dbCancel, dbHelp}));
  const TModalResult results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
  for (int b = 0; b < dialogButtonCount; ++b) {
    EXPECT_EQ(modalResultOf(static_cast<TDialogButton>(b)), results[b]) << b;
  }
}

}  // namespace
}  // namespace pumpcalc
#endif
