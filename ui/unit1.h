// Unit1: the calculator window.
#pragma once

#include "app/custom_form.h"

namespace pumpcalc {

class TForm1 : public TCustomForm {
 protected:
  void loadLayout() override;
  const wchar_t* className() const override { return L"TForm1"; }
};

}  // namespace pumpcalc
