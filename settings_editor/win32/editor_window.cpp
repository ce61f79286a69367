// tolvimer_settings.exe: the settings editor's window, its controls, their
// layout, its menu and keys, and its size remembered per user. The sections
// on the left, the selected section's keys on the right with a field fitting
// the selected key's kind of value, the live warnings below.
#include "settings_editor/win32/editor_window.h"

#include <windows.h>
// The common controls and dialogs build on windows.h.
#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "settings_editor/win32/control_ids.h"
#include "settings_editor/win32/editor_state.h"

namespace tolvimer::editor {

Editor editor;

HWND Control(int id) { return GetDlgItem(editor.window, id); }
int Scale(int pixels) { return MulDiv(pixels, static_cast<int>(editor.dpi), 96); }

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

namespace {

constexpr char kClassName[] = "tolvimer_settings";
constexpr char kSizeKey[] = "Software\\tolvimer_launch\\tolvimer_settings";

UINT DpiOf(HWND window) {
  using GetDpi = UINT(WINAPI*)(HWND);
  const auto getDpi = reinterpret_cast<GetDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpi != nullptr && window != nullptr) return getDpi(window);
  HDC dc = GetDC(nullptr);
  const UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
  ReleaseDC(nullptr, dc);
  return dpi;
}

void MakeFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTA font = metrics.lfMessageFont;
  // The system's font is for the system's DPI; this window's may differ.
  font.lfHeight = -MulDiv(9, static_cast<int>(editor.dpi), 72);
  if (editor.font != nullptr) DeleteObject(editor.font);
  editor.font = CreateFontIndirectA(&font);
  for (HWND child = GetWindow(editor.window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(editor.font), TRUE);
  }
}

// --- The window ---------------------------------------------------------------

HWND Add(const char* className, const char* text, DWORD style, int id, DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                         editor.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void CreateControls() {
  // In Tab order; each label stands before its control, for its mnemonic.
  Add("STATIC", "&Sections:", 0, ids::kSectionsLabel);
  Add("LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, ids::kSections,
      WS_EX_CLIENTEDGE);
  Add("STATIC", "&Keys:", 0, ids::kKeysLabel);
  HWND keys = Add(WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                  ids::kKeys, WS_EX_CLIENTEDGE);
  SendMessageA(keys, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const char* headings[] = {"!", "Key", "Value", "What it does"};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(headings[i]);
    column.cx = 50;
    SendMessageA(keys, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
  Add("STATIC", "", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, ids::kKeyName);
  Add("STATIC", "&Value:", 0, ids::kValueLabel);
  Add("COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, ids::kWordValue);
  Add("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, ids::kTextValue, WS_EX_CLIENTEDGE);
  Add(UPDOWN_CLASSA, "", UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS, ids::kNumberSpin);
  HWND keyField = Add("EDIT", "", WS_TABSTOP | ES_READONLY, ids::kKeyValue, WS_EX_CLIENTEDGE);
  SetWindowSubclass(keyField, KeyFieldProc, 1, 0);
  Add("BUTTON", "&Browse...", WS_TABSTOP | BS_PUSHBUTTON, ids::kBrowse);
  Add("BUTTON", "&Apply", WS_TABSTOP | BS_DEFPUSHBUTTON, ids::kApply);
  Add("BUTTON", "&Remove", WS_TABSTOP | BS_PUSHBUTTON, ids::kRemove);
  Add("STATIC", "", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, ids::kValueNote);
  Add("STATIC", "&Warnings:", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, ids::kWarningsLabel);
  Add("LISTBOX", "", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, ids::kWarnings,
      WS_EX_CLIENTEDGE);
  Add("BUTTON", "Add &game...", WS_TABSTOP | BS_PUSHBUTTON, ids::kAddGame);
  Add("BUTTON", "Show &plan...", WS_TABSTOP | BS_PUSHBUTTON, ids::kShowPlan);
  SendMessageA(Control(ids::kNumberSpin), UDM_SETBUDDY,
               reinterpret_cast<WPARAM>(Control(ids::kTextValue)), 0);
  SendMessageA(Control(ids::kWarnings), LB_SETHORIZONTALEXTENT, 4000, 0);
}

void Put(int id, int x, int y, int width, int height) {
  MoveWindow(Control(id), x, y, width, height, TRUE);
}

void Layout() {
  RECT client;
  GetClientRect(editor.window, &client);
  const int gap = Scale(8), line = Scale(23), label = Scale(18), button = Scale(96);
  const int width = client.right, height = client.bottom;
  const int left = Scale(200);
  const int warningsHeight = Scale(110);
  const int bottom = height - gap - line;  // the row of Add game and Show plan
  const int warningsTop = bottom - gap - warningsHeight;
  const int editTop = warningsTop - gap - label - 3 * (line + gap / 2);
  Put(ids::kSectionsLabel, gap, gap, left, label);
  Put(ids::kSections, gap, gap + label, left, warningsTop - 2 * gap - label);
  const int rx = 2 * gap + left, rw = width - rx - gap;
  Put(ids::kKeysLabel, rx, gap, rw, label);
  Put(ids::kKeys, rx, gap + label, rw, editTop - 2 * gap - label);
  Put(ids::kKeyName, rx, editTop, rw, line);
  const int valueTop = editTop + line + gap / 2;
  const int labelWidth = Scale(50);
  Put(ids::kValueLabel, rx, valueTop + Scale(3), labelWidth, label);
  const int fieldX = rx + labelWidth, fieldW = rw - labelWidth - 3 * (button + gap);
  Put(ids::kWordValue, fieldX, valueTop, fieldW, Scale(200));
  Put(ids::kKeyValue, fieldX, valueTop, fieldW, line);
  Put(ids::kTextValue, fieldX, valueTop, fieldW - Scale(18), line);
  Put(ids::kNumberSpin, fieldX + fieldW - Scale(18), valueTop, Scale(18), line);
  if (IsWindowVisible(Control(ids::kBrowse)) || !IsWindowVisible(Control(ids::kNumberSpin))) {
    Put(ids::kTextValue, fieldX, valueTop, fieldW, line);
  }
  Put(ids::kBrowse, fieldX + fieldW + gap, valueTop, button, line);
  Put(ids::kApply, fieldX + fieldW + 2 * gap + button, valueTop, button, line);
  Put(ids::kRemove, fieldX + fieldW + 3 * gap + 2 * button, valueTop, button, line);
  Put(ids::kValueNote, fieldX, valueTop + line + gap / 2, rw - labelWidth, line);
  Put(ids::kWarningsLabel, gap, warningsTop, width - 2 * gap, label);
  Put(ids::kWarnings, gap, warningsTop + label, width - 2 * gap, warningsHeight - label);
  Put(ids::kAddGame, gap, bottom, Scale(120), line);
  Put(ids::kShowPlan, 2 * gap + Scale(120), bottom, Scale(120), line);
  HWND keys = Control(ids::kKeys);
  const int keysWidth = rw - GetSystemMetrics(SM_CXVSCROLL) - Scale(4);
  const int widths[] = {Scale(20), Scale(150), Scale(200), keysWidth - Scale(370)};
  for (int i = 0; i < 4; ++i) {
    SendMessageA(keys, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                 widths[i] > Scale(60) || i == 0 ? widths[i] : Scale(60));
  }
}

void RememberSize() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(editor.window, &placement)) return;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSizeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  // At 96 DPI, so that a move to another monitor keeps the size the user saw.
  const DWORD size[] = {
      static_cast<DWORD>(MulDiv(placement.rcNormalPosition.right - placement.rcNormalPosition.left,
                                96, static_cast<int>(editor.dpi))),
      static_cast<DWORD>(MulDiv(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top,
                                96, static_cast<int>(editor.dpi)))};
  RegSetValueExA(key, "Width", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size[0]),
                 sizeof(DWORD));
  RegSetValueExA(key, "Height", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size[1]),
                 sizeof(DWORD));
  RegCloseKey(key);
}

void RememberedSize(int& width, int& height) {
  width = 900;
  height = 640;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSizeKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  DWORD value = 0, type = 0, size = sizeof value;
  if (RegQueryValueExA(key, "Width", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      type == REG_DWORD && value >= 400 && value <= 10000) {
    width = static_cast<int>(value);
  }
  size = sizeof value;
  if (RegQueryValueExA(key, "Height", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      type == REG_DWORD && value >= 300 && value <= 10000) {
    height = static_cast<int>(value);
  }
  RegCloseKey(key);
}

void OnCommand(int id, int code) {
  switch (id) {
    case ids::kSections:
      if (code == LBN_SELCHANGE) SelectSection();
      break;
    case ids::kApply:
    case IDOK:
      ApplyValue();
      break;
    case IDCANCEL:
      ShowSelectedKey();  // Escape puts the field back as the file has it
      break;
    case ids::kRemove:
      RemoveValue();
      break;
    case ids::kBrowse: {
      std::string path = TextOf(Control(ids::kTextValue));
      if (!path.empty() && path.front() == '"') path = path.substr(1, path.find('"', 1) - 1);
      if (PickFile(editor.window, false, "Programs\0*.exe;*.bat;*.cmd\0All files\0*.*\0", "exe", path)) {
        // A path with a blank on the emulator's command line goes in quotes.
        const bool commandLine =
            editor.row >= 0 &&
            SameName(editor.rows[static_cast<std::size_t>(editor.row)].key, "TolvimerExe");
        if (commandLine && path.find(' ') != std::string::npos) path = '"' + path + '"';
        SetWindowTextA(Control(ids::kTextValue), path.c_str());
      }
      break;
    }
    case ids::kAddGame:
      AddGame();
      break;
    case ids::kShowPlan:
      ShowPlan();
      break;
    case ids::kFileOpen: {
      if (!MayDiscard()) break;
      std::string path = editor.file.path;
      if (PickFile(editor.window, false, "Settings files (*.ini)\0*.ini\0All files\0*.*\0", "ini", path))
        Open(path);
      break;
    }
    case ids::kFileSave:
      Save();
      break;
    case ids::kFileExit:
      SendMessageA(editor.window, WM_CLOSE, 0, 0);
      break;
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      editor.window = window;
      editor.dpi = DpiOf(window);
      CreateControls();
      MakeFont();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = Scale(640);
      info->ptMinTrackSize.y = Scale(460);
      return 0;
    }
    case 0x02E0: {  // WM_DPICHANGED
      editor.dpi = HIWORD(wParam);
      MakeFont();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return 0;
    }
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == static_cast<UINT_PTR>(ids::kKeys) && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uNewState & LVIS_SELECTED) != 0 && change->iItem != editor.row) {
          editor.row = change->iItem;
          ShowSelectedKey();
          Layout();
        }
      }
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      if (MayDiscard()) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      RememberSize();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HMENU MakeMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, ids::kFileOpen, "&Open...\tCtrl+O");
  AppendMenuA(file, MF_STRING, ids::kFileSave, "&Save\tCtrl+S");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, ids::kFileExit, "E&xit");
  HMENU game = CreatePopupMenu();
  AppendMenuA(game, MF_STRING, ids::kAddGame, "&Add game...");
  AppendMenuA(game, MF_STRING, ids::kShowPlan, "Show &plan...");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(game), "&Tools");
  return bar;
}

}  // namespace

int RunEditor(HINSTANCE instance, const std::string& path) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return 1;
  int width = 0, height = 0;
  RememberedSize(width, height);
  const UINT dpi = DpiOf(nullptr);
  HWND window = CreateWindowExA(
      WS_EX_CONTROLPARENT, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
      MulDiv(width, static_cast<int>(dpi), 96), MulDiv(height, static_cast<int>(dpi), 96), nullptr,
      MakeMenu(), instance, nullptr);
  if (window == nullptr) return 1;
  if (!Open(path)) {
    editor.file = OpenFile{};
    editor.file.path = path;
    Refresh();
  }
  Layout();
  ShowWindow(window, SW_SHOW);
  SetFocus(Control(ids::kSections));
  ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'O', ids::kFileOpen},
                  {FCONTROL | FVIRTKEY, 'S', ids::kFileSave}};
  HACCEL accelerators = CreateAcceleratorTableA(keys, 2);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(window, accelerators, &msg)) continue;
    if (IsPlanWindowMessage(&msg)) continue;
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyAcceleratorTable(accelerators);
  return 0;
}

}  // namespace tolvimer::editor