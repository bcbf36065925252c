// A program that starts up as pumpcalc.exe does and then fails in the way its argument
// names, so that the end-to-end tests can watch the error reporting as a user sees it.
#include "tests/app/fault_probe.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "app/application.h"
#include "app/program.h"
#include "core/pump_power.h"
#include "tests/support/fault_modes.h"

namespace pumpcalc {
namespace {

class TProbeForm : public TCustomForm {
 public:
  bool failWhileLoading = false;
  std::string badText = "x";  // the text whose conversion fails while loading

 protected:
  void loadLayout() override {
    if (failWhileLoading) textToExtended(badText);
    Caption = "Probe";
    Left = 100;
    Top = 100;
    Width = 300;
    Height = 200;
  }
  const wchar_t* className() const override { return L"TProbeForm"; }
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == probe::failWithZeroDivide) calculatePumpPower("1", "1", "0");
    if (message == probe::failWithForeignValue) throw std::runtime_error("not ours");
    return TCustomForm::handleMessage(message, wParam, lParam);
  }
};

void fail(const char* mode) {
  probe::failAs(mode);
  if (std::strcmp(mode, "failing-window") == 0 || std::strcmp(mode, "failing-window-long") == 0) {
    TProbeForm form;
    form.failWhileLoading = true;
    if (std::strcmp(mode, "failing-window-long") == 0) form.badText = std::string(3000, 'x');
    form.load();
  }
  if (std::strcmp(mode, "window") == 0) {
    Application->createMainWindow<TProbeForm>();
    Application->runEventLoop();
  }
}

}  // namespace
}  // namespace pumpcalc

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  return pumpcalc::runProgram([mode] { pumpcalc::fail(mode); });
}
