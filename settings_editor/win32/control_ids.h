// The control ids of tolvimer_settings.exe's window, for its code and for the
// end-to-end test that drives it.
#pragma once

namespace tolvimer::editor::ids {

constexpr int kSectionsLabel = 100;
constexpr int kSections = 101;  // list box of sections
constexpr int kKeysLabel = 102;
constexpr int kKeys = 103;     // list view of the section's keys
constexpr int kKeyName = 104;  // the selected key and its line of help
constexpr int kValueLabel = 105;
constexpr int kWordValue = 106;   // combo box of a word value
constexpr int kTextValue = 107;   // edit field of a number, a path or text
constexpr int kNumberSpin = 108;  // the up-down control of a number
constexpr int kKeyValue = 109;    // the key field of a virtual key
constexpr int kBrowse = 110;      // picks a program path
constexpr int kValueNote = 111;   // range, key name, placeholders
constexpr int kApply = 112;
constexpr int kRemove = 113;
constexpr int kWarningsLabel = 114;
constexpr int kWarnings = 115;  // list box of the live warnings
constexpr int kAddGame = 116;
constexpr int kShowPlan = 117;
// Menu commands.
constexpr int kFileOpen = 200;
constexpr int kFileSave = 201;
constexpr int kFileExit = 202;
// The plan window.
constexpr int kPlanText = 300;
constexpr int kPlanCopy = 301;
constexpr int kPlanSave = 302;

}  // namespace tolvimer::editor::ids
