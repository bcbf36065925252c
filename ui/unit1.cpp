#include "ui/unit1.h"

#include <memory>
#include <variant>

#include "core/pump_power.h"
#include "ui/message_dialog.h"

namespace pumpcalc {
namespace {

// The stored layout of Form1: its controls in the layout's order, each with the member that
// points to it (its type is the control's kind), bounds relative to the client area,
// captions exactly as shown, and font heights (0: the window's font).
using ControlField = std::variant<TLabel * TForm1::*, TEdit * TForm1::*, TButton * TForm1::*>;
struct ControlLayout {
  ControlField field;
  const char* name;
  Bounds bounds;
  const char* caption;
  int fontHeight;
  int tabOrder;
  const char* accessibleName = "";  // the painted label beside a box, for screen readers
};

constexpr ControlLayout form1Layout[] = {
    {&TForm1::Label1, "Label1", {32, 56, 120, 20}, "  泵的流量为：    ", -16, -1},
    {&TForm1::Label3, "Label3", {280, 56, 43, 20}, " m3/h ", -16, -1},
    {&TForm1::Label4, "Label4", {32, 96, 120, 20}, "  泵的扬程为：    ", -16, -1},
    {&TForm1::Label2, "Label2", {280, 96, 21, 20}, " m ", -16, -1},
    {&TForm1::Label5, "Label5", {32, 144, 132, 20}, "  泵的效率为：       ", -16, -1},
    {&TForm1::Label7, "Label7", {32, 248, 156, 20}, "    泵的轴功率为：       ", -16, -1},
    {&TForm1::Label8, "Label8", {280, 248, 19, 20}, "kw", -16, -1},
    {&TForm1::Label9, "Label9", {88, 0, 170, 24}, "  泵功率的计算        ", -19, -1},
    {&TForm1::Label6, "Label6", {280, 144, 22, 20}, " % ", -16, -1},
    {&TForm1::Label10, "Label10", {48, 288, 136, 20}, " 配用电机功率：     ", -16, -1},
    {&TForm1::Label11, "Label11", {336, 288, 19, 20}, "kw", -16, -1},
    {&TForm1::Label12, "Label12", {248, 288, 24, 20}, "至  ", -16, -1},
    {&TForm1::Edit1, "Edit1", {192, 56, 81, 21}, "", 0, 0, "泵的流量为："},
    {&TForm1::Edit2, "Edit2", {192, 96, 81, 21}, "", 0, 1, "泵的扬程为："},
    {&TForm1::Edit3, "Edit3", {192, 144, 81, 21}, "", 0, 2, "泵的效率为："},
    {&TForm1::Edit4, "Edit4", {184, 248, 81, 21}, "", 0, 3, "泵的轴功率为："},
    {&TForm1::Button1, "Button1", {208, 192, 81, 25}, "OK", -16, 4},
    {&TForm1::Button2, "Button2", {48, 192, 137, 25}, "计算另外泵的功率", -16, 5},
    {&TForm1::Button3, "Button3", {128, 336, 89, 25}, "退出", -16, 6},
    {&TForm1::Edit5, "Edit5", {184, 288, 57, 21}, "", 0, 7, "配用电机功率："},
    {&TForm1::Edit6, "Edit6", {272, 288, 57, 21}, "", 0, 8, "至"},
};

}  // namespace

void TForm1::loadLayout() {
  Name = "Form1";
  Caption = "Form1";
  Left = 293;
  Top = 221;
  Width = 377;
  Height = 407;
  BorderStyle = bsSizeable;
  BorderIcons = biSystemMenu | biMinimize | biMaximize;
  Font = {"MS Sans Serif", -11};
  PixelsPerInch = 96;
  TextHeight = 13;
  OnCloseQuery = [this](TCustomForm& sender, bool& canClose) { FormCloseQuery(sender, canClose); };

  for (const ControlLayout& entry : form1Layout) {
    std::unique_ptr<TControl> control = std::visit(
        [this]<class Control>(Control* TForm1::*field) -> std::unique_ptr<TControl> {
          auto made = std::make_unique<Control>();
          this->*field = made.get();
          return made;
        },
        entry.field);
    control->name = entry.name;
    control->bounds = entry.bounds;
    control->caption = entry.caption;
    if (entry.fontHeight != 0) control->font = TFont{"MS Sans Serif", entry.fontHeight};
    control->tabOrder = entry.tabOrder;
    control->accessibleName = entry.accessibleName;
    controls().push_back(std::move(control));
  }
  Button1->onClick = [this] { Button1Click(); };
  Button2->onClick = [this] { Button2Click(); };
  Button3->onClick = [this] { Button3Click(); };
}

void TForm1::Button1Click() {
  // Each box is read only when the calculation reaches it; a failure leaves every result
  // box as it was.
  const PumpPowerTexts texts =
      calculatePumpPower([this] { return Edit1->text(); }, [this] { return Edit2->text(); },
                         [this] { return Edit3->text(); });
  Edit4->setText(texts.shaftPower);
  Edit5->setText(texts.lowerMotorPower);
  Edit6->setText(texts.upperMotorPower);
}

void TForm1::Button2Click() {
  Edit1->setText("");
  Edit2->setText("");
  Edit3->setText("");
  Edit4->setText("");
}

void TForm1::Button3Click() { closeWindow(*this); }

void TForm1::FormCloseQuery(TCustomForm&, bool& canClose) { canClose = confirmClose() != mrCancel; }

TModalResult confirmClose() {
  return showMessageDialog("确定要关闭吗？", dkConfirmation, buttonBit(dbOK) | buttonBit(dbCancel),
                           0);
}

}  // namespace pumpcalc
