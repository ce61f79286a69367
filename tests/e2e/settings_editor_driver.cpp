// Drives a running tolvimer_settings.exe through its controls, as a user
// would, for the end-to-end test of the settings editor:
//
//   settings_editor_driver edit <image> <warnings out> <plan out>
//     selects [General], sets Region to euro and Exit to the key F1 pressed
//     in the key field, adds the game of <image> through the Add game
//     dialog, sets its CPU to 120, saves, writes the warnings the window
//     shows into <warnings out>, one a line, and the text of the plan that
//     Show plan shows for <image> into <plan out>.
//   settings_editor_driver refused <settings file> <box out>
//     holds the settings file open as another program would lock it (no
//     sharing of its deletion), sets Region to jap and saves: writes the
//     message box's text into <box out>, presses OK, and checks that the
//     edits are still open.
//   settings_editor_driver close
//     closes the window as a user does, answering No to the question about
//     unsaved edits, and waits for it to go.
//
// Exit status 0 when every step was done, 1 with the failed step on stderr.
#include <windows.h>
// The common controls and dialogs build on windows.h.
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings_editor/win32/control_ids.h"

namespace ids = tolvimer::editor::ids;

namespace {

HWND editorWindow = nullptr;
HANDLE editorProcess = nullptr;
char* remote = nullptr;  // a page in the editor's memory, for list view calls

int Fail(const char* step) {
  std::fprintf(stderr, "settings_editor_driver: %s\n", step);
  return 1;
}

HWND Item(int id) { return GetDlgItem(editorWindow, id); }

bool FindEditor() {
  for (int i = 0; i < 200 && editorWindow == nullptr; ++i) {
    editorWindow = FindWindowA("tolvimer_settings", nullptr);
    if (editorWindow == nullptr) Sleep(100);
  }
  if (editorWindow == nullptr) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(editorWindow, &processId);
  editorProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                  SYNCHRONIZE | PROCESS_QUERY_INFORMATION,
                              FALSE, processId);
  if (editorProcess == nullptr) return false;
  remote = static_cast<char*>(
      VirtualAllocEx(editorProcess, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  return remote != nullptr;
}

// The text of a list view cell, read through the editor's memory.
std::string CellText(HWND list, int row, int column) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = remote + 512;
  item.cchTextMax = 1024;
  WriteProcessMemory(editorProcess, remote, &item, sizeof item, nullptr);
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  char text[1024] = {};
  ReadProcessMemory(editorProcess, remote + 512, text, sizeof text - 1, nullptr);
  return text;
}

// Selects the key row named `key` in the keys list, as a click does.
bool SelectKey(const char* key) {
  HWND list = Item(ids::kKeys);
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    if (CellText(list, row, 1) != key) continue;
    LVITEMA item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    WriteProcessMemory(editorProcess, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote));
    return true;
  }
  return false;
}

bool SelectSection(const char* shown) {
  HWND list = Item(ids::kSections);
  const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(shown));
  if (index < 0) return false;
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(editorWindow, WM_COMMAND, MAKEWPARAM(ids::kSections, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  return true;
}

// A dialog of the editor's (the file dialog, a message box) shown now, or null.
HWND EditorDialog() {
  DWORD editorId = 0;
  GetWindowThreadProcessId(editorWindow, &editorId);
  HWND dialog = nullptr;
  while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (owner == editorId && IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

// The Add game dialog: the file name typed into it and Open pressed.
bool PickInDialog(const char* path) {
  for (int i = 0; i < 200; ++i) {
    HWND dialog = EditorDialog();
    // The file name field: the combo box cmb13 (its edit inside), or edt1.
    HWND name = dialog == nullptr ? nullptr : GetDlgItem(dialog, 0x47C);
    if (dialog != nullptr && name == nullptr) name = GetDlgItem(dialog, 0x480);
    if (name != nullptr) {
      SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
      HWND inner = FindWindowExA(name, nullptr, "Edit", nullptr);
      if (inner != nullptr) SendMessageA(inner, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      for (int j = 0; j < 100 && IsWindow(dialog); ++j) Sleep(100);
      return !IsWindow(dialog);
    }
    Sleep(100);
  }
  return false;
}

// The text of a window of the editor's, read as Unicode (as Wine hands text
// over across processes) and written in the ANSI code page.
std::string TextOfWindow(HWND window) {
  const int length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(&wide[0]));
  std::string text(wide.size() * 2, '\0');
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0],
                                    static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return text;
}

bool SetValueAndApply(int field, const char* value) {
  SendMessageA(Item(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
  SendMessageA(Item(ids::kApply), BM_CLICK, 0, 0);
  return true;
}

std::string Title() {
  char text[1024] = {};
  GetWindowTextA(editorWindow, text, sizeof text);
  return text;
}

int Edit(const char* image, const char* warningsOut, const char* planFile) {
  if (!SelectSection("[General]")) return Fail("no [General] in the sections list");
  if (!SelectKey("Region")) return Fail("no Region in the keys of [General]");
  SetValueAndApply(ids::kWordValue, "euro");
  if (Title().find(" *") == std::string::npos) return Fail("the edit did not mark the file edited");
  if (!SelectKey("Exit")) return Fail("no Exit in the keys of [General]");
  PostMessageA(Item(ids::kKeyValue), WM_KEYDOWN, VK_F1, 0x003B0001);
  for (int i = 0; i < 50 && TextOfWindow(Item(ids::kKeyValue)) != "112 F1"; ++i) Sleep(100);
  if (TextOfWindow(Item(ids::kKeyValue)) != "112 F1") return Fail("the key field did not take F1");
  SendMessageA(Item(ids::kApply), BM_CLICK, 0, 0);
  PostMessageA(Item(ids::kAddGame), BM_CLICK, 0, 0);
  if (!PickInDialog(image)) return Fail("the Add game dialog did not take the image");
  if (!SelectKey("CPU")) return Fail("the new game section shows no CPU key");
  SetValueAndApply(ids::kTextValue, "120");
  SendMessageA(editorWindow, WM_COMMAND, MAKEWPARAM(ids::kFileSave, 0), 0);
  if (Title().find(" *") != std::string::npos)
    return Fail("the save did not clear the edited mark");
  HWND warnings = Item(ids::kWarnings);
  FILE* out = std::fopen(warningsOut, "wb");
  if (out == nullptr) return Fail("cannot write the warnings file");
  const int count = static_cast<int>(SendMessageA(warnings, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    // Read as Unicode: across processes Wine hands LB_GETTEXT's text over so.
    wchar_t wide[4096] = {};
    SendMessageW(warnings, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char text[8192] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    std::fprintf(out, "%s\n", text);
  }
  std::fclose(out);
  // Show plan: the image asked for, the plan shown in a window of its own.
  PostMessageA(Item(ids::kShowPlan), BM_CLICK, 0, 0);
  if (!PickInDialog(image)) return Fail("the Show plan dialog did not take the image");
  HWND plan = nullptr;
  for (int i = 0; i < 100 && plan == nullptr; ++i) {
    plan = FindWindowA("tolvimer_settings_plan", nullptr);
    if (plan == nullptr) Sleep(100);
  }
  if (plan == nullptr) return Fail("no plan window");
  FILE* planOut = std::fopen(planFile, "wb");
  if (planOut == nullptr) return Fail("cannot write the plan file");
  const std::string planText = TextOfWindow(GetDlgItem(plan, ids::kPlanText));
  std::fwrite(planText.data(), 1, planText.size(), planOut);
  std::fclose(planOut);
  PostMessageA(plan, WM_CLOSE, 0, 0);
  // The picture shows a selected key with its field.
  SelectSection("[General]");
  SelectKey("Regoin");
  SelectKey("Exit");
  // Where the window stands on the screen, for its picture.
  RECT frame;
  GetWindowRect(editorWindow, &frame);
  std::printf("window %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top);
  return 0;
}

// A message box of the editor's, once shown; null after 10 s.
HWND WaitForBox() {
  for (int i = 0; i < 100; ++i) {
    if (HWND box = EditorDialog()) return box;
    Sleep(100);
  }
  return nullptr;
}

int RefusedSave(const char* boxOut) {
  if (!SelectSection("[General]")) return Fail("no [General] in the sections list");
  if (!SelectKey("Region")) return Fail("no Region in the keys of [General]");
  SetValueAndApply(ids::kWordValue, "jap");
  PostMessageA(editorWindow, WM_COMMAND, MAKEWPARAM(ids::kFileSave, 0), 0);
  HWND box = WaitForBox();
  if (box == nullptr) return Fail("no message box for the refused save");
  // The text of a message box is its static control 0xFFFF.
  const std::string text = TextOfWindow(GetDlgItem(box, 0xFFFF));
  FILE* out = std::fopen(boxOut, "wb");
  if (out == nullptr) return Fail("cannot write the box file");
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
  if (Title().find(" *") == std::string::npos) return Fail("the edits were not kept open");
  return 0;
}

int Refused(const char* settingsFile, const char* boxOut) {
  HANDLE lock = CreateFileA(settingsFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (lock == INVALID_HANDLE_VALUE) return Fail("cannot hold the settings file open");
  const int result = RefusedSave(boxOut);
  CloseHandle(lock);
  return result;
}

int Close() {
  PostMessageA(editorWindow, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(editorProcess, 2000) == WAIT_OBJECT_0) return 0;
  // Unsaved edits: the question, answered No.
  HWND box = WaitForBox();
  if (box != nullptr) PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
  return WaitForSingleObject(editorProcess, 10000) == WAIT_OBJECT_0
             ? 0
             : Fail("the editor did not close");
}

}  // namespace

int main(int argc, char** argv) {
  if (!FindEditor()) return Fail("no editor window");
  if (argc == 5 && std::strcmp(argv[1], "edit") == 0) return Edit(argv[2], argv[3], argv[4]);
  if (argc == 4 && std::strcmp(argv[1], "refused") == 0) return Refused(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) return Close();
  return Fail(
      "usage: settings_editor_driver edit IMAGE WARNINGS_OUT PLAN_OUT | refused SETTINGS BOX_OUT | "
      "close");
}
