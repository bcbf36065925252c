// pumpcalc.exe: the calculator program.
#include "app/application.h"
#include "app/program.h"
#include "ui/unit1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return pumpcalc::runProgram([] {
    pumpcalc::Application->createMainWindow<pumpcalc::TForm1>();
    pumpcalc::Application->runEventLoop();
  });
}
