#include "ui/unit1.h"

namespace pumpcalc {

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
}

}  // namespace pumpcalc
