#include <windows.h>

#include <string>

#include "settings_editor/win32/control_ids.h"
#include "settings_editor/win32/editor_state.h"
#include "settings_editor/win32/editor_window.h"
#include "settings_editor/win32/win32_editor_files.h"

namespace tolvimer::editor {
namespace {

constexpr char kClassName[] = "tolvimer_settings_plan";
HWND planWindow = nullptr;
HFONT fixedFont = nullptr;

HWND Item(int id) { return GetDlgItem(planWindow, id); }

void Copy() {
  SendMessageA(Item(ids::kPlanText), EM_SETSEL, 0, -1);
  SendMessageA(Item(ids::kPlanText), WM_COPY, 0, 0);
}

void SaveAs() {
  std::string name = "plan.txt";
  if (!PickFile(planWindow, true, "Text files (*.txt)\0*.txt\0All files\0*.*\0", "txt", name)) {
    return;
  }
  const std::string bytes = TextOf(Item(ids::kPlanText));
  Win32EditorFiles files;
  const EditorFiles::Handle file = files.CreateNew(name);
  const bool saved = file != EditorFiles::kNoHandle && files.Write(file, bytes);
  if (file != EditorFiles::kNoHandle) files.Close(file);
  if (!saved) {
    const std::string message = "Cannot save " + name + ": " + files.LastErrorText();
    MessageBoxA(planWindow, message.c_str(), "Plan", MB_OK | MB_ICONERROR);
  }
}

void Layout() {
  RECT client;
  GetClientRect(planWindow, &client);
  const int gap = 8, line = 25, button = 90;
  MoveWindow(Item(ids::kPlanText), gap, gap, client.right - 2 * gap, client.bottom - 3 * gap - line,
             TRUE);
  const int y = client.bottom - gap - line;
  MoveWindow(Item(ids::kPlanCopy), gap, y, button, line, TRUE);
  MoveWindow(Item(ids::kPlanSave), 2 * gap + button, y, button, line, TRUE);
  MoveWindow(Item(IDCANCEL), client.right - gap - button, y, button, line, TRUE);
}

LRESULT CALLBACK PlanProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == ids::kPlanCopy) Copy();
      if (LOWORD(wParam) == ids::kPlanSave) SaveAs();
      if (LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      planWindow = nullptr;
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void ShowPlanWindow(HWND owner, HFONT font, const std::string& text) {
  if (planWindow != nullptr) DestroyWindow(planWindow);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PlanProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExA(&windowClass);
  planWindow = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "Plan of tolvimer_launch",
                               WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 820, 600, owner,
                               nullptr, instance, nullptr);
  if (planWindow == nullptr) return;
  // The edit control wants CR LF line ends.
  std::string shown;
  for (const char c : text) {
    if (c == '\n') shown += '\r';
    shown += c;
  }
  const auto add = [&](const char* className, const char* title, DWORD style, int id, DWORD ex) {
    return CreateWindowExA(ex, className, title, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0,
                           10, 10, planWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           instance, nullptr);
  };
  HWND edit = add("EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL,
                  ids::kPlanText, WS_EX_CLIENTEDGE);
  SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(edit, shown.c_str());
  add("BUTTON", "&Copy", BS_PUSHBUTTON, ids::kPlanCopy, 0);
  add("BUTTON", "&Save...", BS_PUSHBUTTON, ids::kPlanSave, 0);
  add("BUTTON", "Close", BS_PUSHBUTTON, IDCANCEL, 0);
  if (fixedFont == nullptr) fixedFont = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont), TRUE);
  for (int id : {ids::kPlanCopy, ids::kPlanSave, static_cast<int>(IDCANCEL)}) {
    SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  Layout();
  ShowWindow(planWindow, SW_SHOW);
  SetFocus(edit);
}

bool IsPlanWindowMessage(MSG* msg) {
  return planWindow != nullptr && IsDialogMessageA(planWindow, msg);
}

}  // namespace tolvimer::editor
