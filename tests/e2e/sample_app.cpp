// A tiny window program for the end-to-end driver's own tests: one window of class
// "SampleWindow", caption "Sample", with an edit box, a button "Go" that copies the edit
// box's text into the caption, and a button "Ask" that asks through a message box and puts
// the answer ("OK" or "Cancel") into the caption, and a button "Sleep" that keeps the program
// from answering for 3 s, as a hung program does. The edit box starts with the program's
// command-line arguments. Closing the window ends the program with exit code 7. The window
// is shown with the show command the program was started with.
#include <windows.h>

#include <string>

namespace {

constexpr int kEditId = 101;
constexpr int kGoId = 102;
constexpr int kAskId = 103;
constexpr int kSleepId = 104;
constexpr int kExitCode = 7;

// The window's text, or an empty text when it has none or cannot be read.
std::wstring textOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

bool createChildren(HWND window, const wchar_t* editText) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  struct Child {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int x, y, width, height, id;
  };
  const Child children[] = {
      {L"EDIT", editText, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 10, 10, 200, 24, kEditId},
      {L"BUTTON", L"Go", WS_TABSTOP | BS_PUSHBUTTON, 10, 44, 80, 28, kGoId},
      {L"BUTTON", L"Ask", WS_TABSTOP | BS_PUSHBUTTON, 100, 44, 80, 28, kAskId},
      {L"BUTTON", L"Sleep", WS_TABSTOP | BS_PUSHBUTTON, 190, 44, 80, 28, kSleepId},
  };
  for (const Child& child : children) {
    // The children are destroyed with their parent window.
    if (!CreateWindowExW(0, child.className, child.text, WS_CHILD | WS_VISIBLE | child.style,
                         child.x, child.y, child.width, child.height, window,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(child.id)), instance,
                         nullptr)) {
      return false;
    }
  }
  return true;
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      return createChildren(window, static_cast<const wchar_t*>(create->lpCreateParams)) ? 0 : -1;
    }
    case WM_SETFOCUS:
      // Typing goes to the edit box whenever the window gets the focus.
      SetFocus(GetDlgItem(window, kEditId));
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kGoId) {
        SetWindowTextW(window, textOf(GetDlgItem(window, kEditId)).c_str());
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kAskId) {
        const int answer = MessageBoxW(window, L"Proceed?", L"Sample", MB_OKCANCEL);
        SetWindowTextW(window, answer == IDOK ? L"OK" : answer == IDCANCEL ? L"Cancel" : L"?");
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kSleepId) {
        Sleep(3000);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(kExitCode);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // No exception crosses into the window system: a failure ends the program at once.
  try {
    return handleMessage(window, message, wParam, lParam);
  } catch (...) {
    ExitProcess(3);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCommand) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"SampleWindow";
  if (!RegisterClassExW(&windowClass)) return 2;

  const HWND window = CreateWindowExW(0, L"SampleWindow", L"Sample", WS_OVERLAPPEDWINDOW, 200, 150,
                                      320, 200, nullptr, nullptr, instance, arguments);
  if (!window) return 2;
  ShowWindow(window, showCommand);

  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 2;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}
