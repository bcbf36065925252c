// The controls of the calculator window: static texts drawn by the window, and the
// platform's edit boxes and push buttons.
#pragma once

#include <functional>
#include <string>

#include "app/custom_form.h"

namespace pumpcalc {

// A static text: drawn on the window's background in its font, left-aligned on one line,
// sized to its caption. It takes no input and no focus.
class TLabel : public TControl {
 public:
  void createHandle(TCustomForm& form) override;
  void paint(TCustomForm& form, HDC dc) override;
};

// A single-line edit box with a sunken border and no length limit; its height follows its
// font.
class TEdit : public TControl {
 public:
  bool fixedHeight() const override { return true; }
  void createHandle(TCustomForm& form) override;

  std::string text() const;
  void setText(std::string_view text);
};

// A push button with a centred caption; a click, by mouse or Space, calls onClick.
class TButton : public TControl {
 public:
  void createHandle(TCustomForm& form) override;
  void command(TCustomForm& form, int notification) override;

  std::function<void()> onClick;
};

}  // namespace pumpcalc
