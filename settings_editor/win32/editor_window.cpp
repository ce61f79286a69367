// tolvimer_settings.exe: the settings editor's window. The sections on the
// left, the selected section's keys on the right with a field fitting the
// selected key's kind of value, the live warnings below.
#include "settings_editor/win32/editor_window.h"

#include <windows.h>
// The common controls and dialogs build on windows.h.
#include <commctrl.h>
#include <commdlg.h>

#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings_editor/document_file.h"
#include "settings_editor/editor_model.h"
#include "settings_editor/win32/control_ids.h"
#include "settings_editor/win32/win32_editor_files.h"
#include "tools/plan/catalogue_search.h"

namespace tolvimer::editor {
namespace {

constexpr char kClassName[] = "tolvimer_settings";
constexpr char kTitle[] = "Tolvimer launch settings";
constexpr char kSizeKey[] = "Software\\tolvimer_launch\\tolvimer_settings";

struct Editor {
  HWND window = nullptr;
  HFONT font = nullptr;
  UINT dpi = 96;
  Win32EditorFiles files;
  OpenFile file;
  std::vector<SectionEntry> sections;
  std::string section;  // the selected one
  std::vector<KeyRow> rows;
  int row = -1;  // the selected key's row
  std::vector<std::string> warnings;
  std::map<std::string, std::string> images;  // a game's image, once chosen
  std::uint32_t capturedKey = 0;              // the key field's virtual key
};

Editor editor;

HWND Item(int id) { return GetDlgItem(editor.window, id); }
int Scale(int pixels) { return MulDiv(pixels, static_cast<int>(editor.dpi), 96); }

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

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

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

PlanPlace Place() {
  PlanPlace place;
  place.settingsPath = editor.file.path;
  place.settingsExists = editor.file.existed;
  place.launcherFolder = FolderOf(editor.file.path);
  place.windowsPaths = true;
  place.lookAt = [](const std::string& path) {
    plan::FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      facts.exists = true;
      facts.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    }
    return facts;
  };
  place.readFile = [](const std::string& path, std::string& bytes) {
    bool missing = false;
    return editor.files.ReadWhole(path, bytes, missing);
  };
  return place;
}

std::string WarningImageNow() {
  const auto chosen = editor.images.find(editor.section);
  if (chosen != editor.images.end()) return chosen->second;
  return WarningImage(editor.file.document, editor.section, Place());
}

void UpdateTitle() {
  std::string title =
      editor.file.path + (editor.file.document.modified() ? " *" : "") + " - " + kTitle;
  SetWindowTextA(editor.window, title.c_str());
}

// --- The keys list and the value field ---------------------------------

void ShowValueField(int id) {
  for (int field :
       {ids::kWordValue, ids::kTextValue, ids::kNumberSpin, ids::kKeyValue, ids::kBrowse}) {
    ShowWindow(Item(field), SW_HIDE);
  }
  if (id == ids::kNumberSpin) ShowWindow(Item(ids::kTextValue), SW_SHOW);
  if (id == ids::kBrowse) ShowWindow(Item(ids::kTextValue), SW_SHOW);
  ShowWindow(Item(id), SW_SHOW);
}

std::string KeyNote(std::uint32_t code) {
  const UINT polled = MapVirtualKeyA(code, MAPVK_VK_TO_CHAR) & 0xFF;
  return VirtualKeyText(code) + ": " + ExitKeyNote(code, polled);
}

void ShowSelectedKey() {
  const bool any = editor.row >= 0 && editor.row < static_cast<int>(editor.rows.size());
  for (int id : {ids::kApply, ids::kRemove}) EnableWindow(Item(id), any);
  if (!any) {
    SetWindowTextA(Item(ids::kKeyName), "Select a key.");
    SetWindowTextA(Item(ids::kValueNote), "");
    ShowValueField(ids::kTextValue);
    EnableWindow(Item(ids::kTextValue), FALSE);
    return;
  }
  EnableWindow(Item(ids::kTextValue), TRUE);
  const KeyRow& row = editor.rows[static_cast<std::size_t>(editor.row)];
  std::string head = row.key + ": ";
  if (row.known == nullptr) {
    const std::string readIn = plan::WhereKeyIsRead(row.key);
    head += "the launcher never reads this key here" + (readIn.empty()
                                                            ? std::string(". It is kept as it is.")
                                                            : "; it is read in " + readIn + ".");
  } else {
    head += HelpOf(*row.known).does;
  }
  SetWindowTextA(Item(ids::kKeyName), head.c_str());
  std::string note;
  const EditKind kind = row.known ? HelpOf(*row.known).edit : EditKind::kText;
  switch (kind) {
    case EditKind::kWordList: {
      HWND combo = Item(ids::kWordValue);
      SendMessageA(combo, CB_RESETCONTENT, 0, 0);
      for (const char* word : row.known->words) {
        if (word != nullptr) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(word));
      }
      if (row.known->kind == ValueKind::kSwitch) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("true"));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("false"));
      }
      SetWindowTextA(combo, row.value.c_str());
      ShowValueField(ids::kWordValue);
      note = row.known->kind == ValueKind::kSelector
                 ? "ntsc, or any other value for the other cable"
                 : "One of the listed words; any other has no effect.";
      break;
    }
    case EditKind::kInteger: {
      const KeyHelp& help = HelpOf(*row.known);
      SendMessageA(Item(ids::kNumberSpin), UDM_SETRANGE32, static_cast<WPARAM>(help.least),
                   help.most);
      SetWindowTextA(Item(ids::kTextValue), row.value.c_str());
      ShowValueField(ids::kNumberSpin);
      note = "A whole number; " + std::to_string(help.least) + " to " + std::to_string(help.most) +
             " have an effect.";
      break;
    }
    case EditKind::kVirtualKey:
      editor.capturedKey =
          row.present ? static_cast<std::uint32_t>(LeadingInteger(row.value.c_str())) : 0;
      SetWindowTextA(Item(ids::kKeyValue),
                     row.present ? VirtualKeyText(editor.capturedKey).c_str() : "");
      ShowValueField(ids::kKeyValue);
      note = row.present ? KeyNote(editor.capturedKey) : "Click the field and press the key.";
      break;
    case EditKind::kProgramPath:
      SetWindowTextA(Item(ids::kTextValue), row.value.c_str());
      ShowValueField(ids::kBrowse);
      note = "A program's path; Browse picks one.";
      break;
    case EditKind::kText:
      SetWindowTextA(Item(ids::kTextValue), row.value.c_str());
      ShowValueField(ids::kTextValue);
      note = row.known ? "" : "Not read by the launcher here.";
      break;
  }
  if (!row.present)
    note = "Absent: " + std::string(row.known ? HelpOf(*row.known).absent : "") + " " + note;
  SetWindowTextA(Item(ids::kValueNote), note.c_str());
}

void FillKeys() {
  editor.rows = KeyRows(editor.file.document, editor.section, editor.warnings);
  HWND list = Item(ids::kKeys);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < editor.rows.size(); ++i) {
    const KeyRow& row = editor.rows[i];
    const std::string columns[] = {
        row.warned ? "!" : "", row.key, ValueText(row),
        row.known ? HelpOf(*row.known).does : "(unknown key, kept as it is)"};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(columns[0].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < 4; ++column) {
      item.iSubItem = column;
      item.pszText = const_cast<char*>(columns[column].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  if (editor.row >= static_cast<int>(editor.rows.size())) editor.row = -1;
  if (editor.row >= 0) {
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(editor.row),
                 reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(editor.row), FALSE);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  ShowSelectedKey();
}

void FillWarnings() {
  editor.warnings = LiveWarnings(editor.file.document, Place(), WarningImageNow());
  HWND list = Item(ids::kWarnings);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  if (editor.warnings.empty()) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("No warnings."));
  }
  for (const std::string& warning : editor.warnings) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(warning.c_str()));
  }
  const std::string label = "&Warnings for " + WarningImageNow() + ":";
  SetWindowTextA(Item(ids::kWarningsLabel), label.c_str());
}

void FillSections(const std::string& select) {
  editor.sections = SectionList(editor.file.document);
  HWND list = Item(ids::kSections);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  int selected = 0;
  for (std::size_t i = 0; i < editor.sections.size(); ++i) {
    const SectionEntry& entry = editor.sections[i];
    const std::string text = "[" + entry.name + "]" + (entry.inFile ? "" : " (not in file)");
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (SameName(entry.name, select)) selected = static_cast<int>(i);
  }
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  editor.section = editor.sections[static_cast<std::size_t>(selected)].name;
}

// After every change: the sections, the warnings, the keys, the title.
void Refresh() {
  FillSections(editor.section);
  FillWarnings();
  FillKeys();
  UpdateTitle();
}

void SelectSection() {
  const LRESULT index = SendMessageA(Item(ids::kSections), LB_GETCURSEL, 0, 0);
  if (index < 0 || index >= static_cast<LRESULT>(editor.sections.size())) return;
  editor.section = editor.sections[static_cast<std::size_t>(index)].name;
  editor.row = -1;
  FillWarnings();
  FillKeys();
}

void Say(const std::string& text, UINT icon) {
  MessageBoxA(editor.window, text.c_str(), kTitle, MB_OK | icon);
}

void ApplyValue() {
  if (editor.row < 0) return;
  const KeyRow row = editor.rows[static_cast<std::size_t>(editor.row)];
  const EditKind kind = row.known ? HelpOf(*row.known).edit : EditKind::kText;
  std::string value;
  if (kind == EditKind::kWordList) {
    value = TextOf(Item(ids::kWordValue));
  } else if (kind == EditKind::kVirtualKey) {
    value = editor.capturedKey == 0 ? "" : std::to_string(editor.capturedKey);
  } else {
    value = TextOf(Item(ids::kTextValue));
  }
  // An empty value is an absent key: its lines go.
  if (value.empty()) {
    editor.file.document.RemoveKey(editor.section, row.key);
  } else if (!editor.file.document.SetValue(editor.section, row.key, value)) {
    Say("This value cannot be written so that the launcher reads it back as it is "
        "(at most 254 characters, on one line).",
        MB_ICONWARNING);
    return;
  }
  Refresh();
}

void RemoveValue() {
  if (editor.row < 0) return;
  editor.file.document.RemoveKey(editor.section,
                                 editor.rows[static_cast<std::size_t>(editor.row)].key);
  Refresh();
}

// --- Files ------------------------------------------------------------------

bool PickFile(bool save, const char* filter, const char* extension, std::string& path) {
  char name[MAX_PATH * 4] = {};
  for (std::size_t i = 0; i < path.size() && i + 1 < sizeof name; ++i) name[i] = path[i];
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = editor.window;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrDefExt = extension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return false;
  path = name;
  return true;
}

bool Save() {
  std::string error;
  SaveResult result = SaveSettings(editor.files, editor.file, false, error);
  if (result == SaveResult::kChangedOnDisk) {
    const std::string question = editor.file.path +
                                 " has changed on the disk since it was opened.\n\n"
                                 "Replace it with the file as edited here?";
    if (MessageBoxA(editor.window, question.c_str(), kTitle, MB_YESNO | MB_ICONWARNING) != IDYES) {
      return false;
    }
    result = SaveSettings(editor.files, editor.file, true, error);
  }
  if (result != SaveResult::kSaved) {
    Say(error + "\n\nThe file is as it was; your edits are still open.", MB_ICONERROR);
    return false;
  }
  Refresh();
  return true;
}

// Asks about unsaved edits; false when the user cancels.
bool MayDiscard() {
  if (!editor.file.document.modified()) return true;
  const std::string question = "Save the changes to " + editor.file.path + "?";
  const int answer =
      MessageBoxA(editor.window, question.c_str(), kTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  return answer == IDNO || Save();
}

bool Open(const std::string& path) {
  OpenFile opened;
  if (OpenSettings(editor.files, path, opened) == OpenResult::kCannotRead) {
    Say("Cannot read " + path + ": " + editor.files.LastErrorText(), MB_ICONERROR);
    return false;
  }
  editor.file = opened;
  editor.images.clear();
  editor.section = "General";
  editor.row = -1;
  Refresh();
  return true;
}

void AddGame() {
  std::string image;
  if (!PickFile(false,
                "Disc images and playlists\0*.cdi;*.gdi;*.iso;*.chd;*.cue;*.nrg;*.mds;*.ccd;*.m3u\0"
                "All files\0*.*\0",
                nullptr, image)) {
    return;
  }
  const std::string game = GameSectionOf(image);
  if (game.empty()) {
    Say("The launcher names no section after " + image + ".", MB_ICONWARNING);
    return;
  }
  if (!editor.file.document.HasSection(game) && !editor.file.document.AddSection(game)) {
    Say("No section can be named [" + game + "] in this file.", MB_ICONWARNING);
    return;
  }
  editor.images[game] = image;
  editor.section = game;
  editor.row = -1;
  Refresh();
}

void ShowPlan() {
  std::string image = WarningImageNow();
  if (!PickFile(false, "Disc images and playlists\0*.*\0", nullptr, image)) return;
  ShowPlanWindow(editor.window, editor.font, PlanText(editor.file.document, Place(), image));
}

// --- The key field: the next key pressed in it is its value -------------

LRESULT CALLBACK KeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (message == WM_GETDLGCODE) {
    // Every key but Tab is the value's, Escape and Enter too.
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) return 0;
    return DLGC_WANTALLKEYS | DLGC_WANTMESSAGE;
  }
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    if (wParam == VK_TAB) return DefSubclassProc(field, message, wParam, lParam);
    editor.capturedKey = static_cast<std::uint32_t>(wParam);
    SetWindowTextA(field, VirtualKeyText(editor.capturedKey).c_str());
    SetWindowTextA(Item(ids::kValueNote), KeyNote(editor.capturedKey).c_str());
    return 0;
  }
  if (message == WM_CHAR || message == WM_SYSCHAR) return 0;
  return DefSubclassProc(field, message, wParam, lParam);
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
  SendMessageA(Item(ids::kNumberSpin), UDM_SETBUDDY,
               reinterpret_cast<WPARAM>(Item(ids::kTextValue)), 0);
  SendMessageA(Item(ids::kWarnings), LB_SETHORIZONTALEXTENT, 4000, 0);
}

void Put(int id, int x, int y, int width, int height) {
  MoveWindow(Item(id), x, y, width, height, TRUE);
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
  if (IsWindowVisible(Item(ids::kBrowse)) || !IsWindowVisible(Item(ids::kNumberSpin))) {
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
  HWND keys = Item(ids::kKeys);
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
      std::string path = TextOf(Item(ids::kTextValue));
      if (!path.empty() && path.front() == '"') path = path.substr(1, path.find('"', 1) - 1);
      if (PickFile(false, "Programs\0*.exe;*.bat;*.cmd\0All files\0*.*\0", "exe", path)) {
        // A path with a blank on the emulator's command line goes in quotes.
        const bool commandLine =
            editor.row >= 0 &&
            SameName(editor.rows[static_cast<std::size_t>(editor.row)].key, "TolvimerExe");
        if (commandLine && path.find(' ') != std::string::npos) path = '"' + path + '"';
        SetWindowTextA(Item(ids::kTextValue), path.c_str());
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
      if (PickFile(false, "Settings files (*.ini)\0*.ini\0All files\0*.*\0", "ini", path))
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
  SetFocus(Item(ids::kSections));
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
