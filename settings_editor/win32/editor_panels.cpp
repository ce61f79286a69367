// What the editor's window shows: the sections, the keys of the selected one
// with a field fitting the selected key, the live warnings; and the edits
// made through that field.
#include <windows.h>
// The common controls build on windows.h.
#include <commctrl.h>

#include <string>

#include "settings/settings.h"
#include "settings_editor/win32/control_ids.h"
#include "settings_editor/win32/editor_state.h"
#include "tools/plan/catalogue_search.h"
#include "tools/plan/own_directory.h"

namespace tolvimer::editor {
namespace {

void UpdateTitle() {
  std::string title =
      editor.file.path + (editor.file.document.modified() ? " *" : "") + " - " + kTitle;
  SetWindowTextA(editor.window, title.c_str());
}

void ShowValueField(int id) {
  for (int field :
       {ids::kWordValue, ids::kTextValue, ids::kNumberSpin, ids::kKeyValue, ids::kBrowse}) {
    ShowWindow(Control(field), SW_HIDE);
  }
  if (id == ids::kNumberSpin) ShowWindow(Control(ids::kTextValue), SW_SHOW);
  if (id == ids::kBrowse) ShowWindow(Control(ids::kTextValue), SW_SHOW);
  ShowWindow(Control(id), SW_SHOW);
}

std::string KeyNote(std::uint32_t code) {
  const UINT polled = MapVirtualKeyA(code, MAPVK_VK_TO_CHAR) & 0xFF;
  return VirtualKeyText(code) + ": " + ExitKeyNote(code, polled);
}

void FillKeys() {
  editor.rows = KeyRows(editor.file.document, editor.section, editor.warnings);
  HWND list = Control(ids::kKeys);
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
  HWND list = Control(ids::kWarnings);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  if (editor.warnings.empty()) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("No warnings."));
  }
  for (const std::string& warning : editor.warnings) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(warning.c_str()));
  }
  const std::string label = "&Warnings for " + WarningImageNow() + ":";
  SetWindowTextA(Control(ids::kWarningsLabel), label.c_str());
}

void FillSections(const std::string& select) {
  editor.sections = SectionList(editor.file.document);
  HWND list = Control(ids::kSections);
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

}  // namespace

PlanPlace Place() {
  PlanPlace place;
  place.settingsPath = editor.file.path;
  place.settingsExists = editor.file.existed;
  place.launcherFolder = plan::DirectoryOf(editor.file.path);
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

void ShowSelectedKey() {
  const bool any = editor.row >= 0 && editor.row < static_cast<int>(editor.rows.size());
  for (int id : {ids::kApply, ids::kRemove}) EnableWindow(Control(id), any);
  if (!any) {
    SetWindowTextA(Control(ids::kKeyName), "Select a key.");
    SetWindowTextA(Control(ids::kValueNote), "");
    ShowValueField(ids::kTextValue);
    EnableWindow(Control(ids::kTextValue), FALSE);
    return;
  }
  EnableWindow(Control(ids::kTextValue), TRUE);
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
  SetWindowTextA(Control(ids::kKeyName), head.c_str());
  std::string note;
  const EditKind kind = row.known ? HelpOf(*row.known).edit : EditKind::kText;
  switch (kind) {
    case EditKind::kWordList: {
      HWND combo = Control(ids::kWordValue);
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
      SendMessageA(Control(ids::kNumberSpin), UDM_SETRANGE32, static_cast<WPARAM>(help.least),
                   help.most);
      SetWindowTextA(Control(ids::kTextValue), row.value.c_str());
      ShowValueField(ids::kNumberSpin);
      note = "A whole number; " + std::to_string(help.least) + " to " + std::to_string(help.most) +
             " have an effect.";
      break;
    }
    case EditKind::kVirtualKey:
      editor.capturedKey =
          row.present ? static_cast<std::uint32_t>(LeadingInteger(row.value.c_str())) : 0;
      SetWindowTextA(Control(ids::kKeyValue),
                     row.present ? VirtualKeyText(editor.capturedKey).c_str() : "");
      ShowValueField(ids::kKeyValue);
      note = row.present ? KeyNote(editor.capturedKey) : "Click the field and press the key.";
      break;
    case EditKind::kProgramPath:
      SetWindowTextA(Control(ids::kTextValue), row.value.c_str());
      ShowValueField(ids::kBrowse);
      note = "A program's path; Browse picks one.";
      break;
    case EditKind::kText:
      SetWindowTextA(Control(ids::kTextValue), row.value.c_str());
      ShowValueField(ids::kTextValue);
      note = row.known ? "" : "Not read by the launcher here.";
      break;
  }
  if (!row.present)
    note = "Absent: " + std::string(row.known ? HelpOf(*row.known).absent : "") + " " + note;
  SetWindowTextA(Control(ids::kValueNote), note.c_str());
}

void Refresh() {
  FillSections(editor.section);
  FillWarnings();
  FillKeys();
  UpdateTitle();
}

void SelectSection() {
  const LRESULT index = SendMessageA(Control(ids::kSections), LB_GETCURSEL, 0, 0);
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
    value = TextOf(Control(ids::kWordValue));
  } else if (kind == EditKind::kVirtualKey) {
    value = editor.capturedKey == 0 ? "" : std::to_string(editor.capturedKey);
  } else {
    value = TextOf(Control(ids::kTextValue));
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

// The key field: the next key pressed in it is its value.
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
    SetWindowTextA(Control(ids::kValueNote), KeyNote(editor.capturedKey).c_str());
    return 0;
  }
  if (message == WM_CHAR || message == WM_SYSCHAR) return 0;
  return DefSubclassProc(field, message, wParam, lParam);
}

}  // namespace tolvimer::editor
