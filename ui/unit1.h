// Unit1: the calculator window. The user types flow, head and efficiency; "OK" fills the
// shaft-power box and the two motor-power boxes; "计算另外泵的功率" empties the inputs and
// the shaft-power box; "退出" closes the window after a confirmation.
#pragma once

#include "app/custom_form.h"
#include "ui/controls.h"

namespace pumpcalc {

class TForm1 : public TCustomForm {
 public:
  // The controls, in the order in which the window declares them; loadLayout makes them
  // from its layout table, which names the member of each.
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;  // flow, m³/h
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TEdit* Edit2 = nullptr;  // head, m
  TLabel* Label2 = nullptr;
  TLabel* Label5 = nullptr;
  TEdit* Edit3 = nullptr;  // efficiency, %
  TLabel* Label7 = nullptr;
  TEdit* Edit4 = nullptr;  // shaft power, kW
  TLabel* Label8 = nullptr;
  TButton* Button1 = nullptr;  // OK
  TButton* Button2 = nullptr;  // calculate another pump's power
  TButton* Button3 = nullptr;  // exit
  TLabel* Label9 = nullptr;
  TLabel* Label6 = nullptr;
  TLabel* Label10 = nullptr;
  TEdit* Edit5 = nullptr;  // lower motor power, kW
  TLabel* Label11 = nullptr;
  TLabel* Label12 = nullptr;
  TEdit* Edit6 = nullptr;  // upper motor power, kW

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void FormCloseQuery(TCustomForm& sender, bool& canClose);

 protected:
  void loadLayout() override;
  const wchar_t* className() const override { return L"TForm1"; }
};

// The question before the calculator closes, in the message dialog: OK (1) or Cancel (2).
TModalResult confirmClose();

}  // namespace pumpcalc
