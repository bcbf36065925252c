// The floor for start-up: a Win32 program that opens one empty window and waits for
// messages, and nothing else. With the argument "calculator-windows" it opens the same
// windows as the calculator instead (a hidden-then-shown owner window for the taskbar,
// the main window with six edit boxes and three buttons, the focus in the first box), still
// without any of the program's own work: what those windows alone cost.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  const bool calculatorWindows = std::wcsstr(commandLine, L"calculator-windows") != nullptr;
  const bool plainChildren = std::wcsstr(commandLine, L"plain-children") != nullptr;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"MinimalWindow";
  if (RegisterClassW(&windowClass) == 0) return 1;
  HWND owner = nullptr;
  if (calculatorWindows) {
    owner = CreateWindowExW(0, windowClass.lpszClassName, L"minimal", 0x84CA0000,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                            0, nullptr, nullptr, instance, nullptr);
  }
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, 293,
                                221, 377, 407, owner, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  HWND first = nullptr;
  for (int i = 0; (calculatorWindows || plainChildren) && i < 9; ++i) {
    const bool edit = i < 4 || i > 6;
    const wchar_t* childClass =
        plainChildren ? windowClass.lpszClassName : (edit ? L"EDIT" : L"BUTTON");
    HWND control =
        CreateWindowExW(edit && calculatorWindows ? WS_EX_CLIENTEDGE : 0, childClass, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 20 + 30 * i, 81, 21, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance, nullptr);
    if (first == nullptr && calculatorWindows) first = control;
  }
  ShowWindow(window, showCommand);
  if (owner != nullptr) {
    SetWindowPos(owner, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  if (first != nullptr) SetFocus(first);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
