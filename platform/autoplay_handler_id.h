// The launcher's own CLSID, under whose class moniker its AutoPlay handler
// stands in the running object table. The shell consults the handler only
// when the key kCancelAutoplayKey under HKEY_LOCAL_MACHINE holds a value of
// this name (autoplay_cancel.reg writes it).
#pragma once

#include <cstdint>

namespace tolvimer {

constexpr char kAutoPlayHandlerClsidText[] = "8F3C2A61-4B7D-4E19-9A5C-6D0E1F27B384";
constexpr std::uint32_t kAutoPlayHandlerClsid1 = 0x8F3C2A61;
constexpr std::uint16_t kAutoPlayHandlerClsid2 = 0x4B7D;
constexpr std::uint16_t kAutoPlayHandlerClsid3 = 0x4E19;
constexpr std::uint8_t kAutoPlayHandlerClsid4[8] = {0x9A, 0x5C, 0x6D, 0x0E, 0x1F, 0x27, 0xB3, 0x84};

// The CLSID in Windows' own record (CLSID, GUID), filled from the parts above.
template <typename WindowsGuid>
WindowsGuid AutoPlayHandlerClsid() {
  WindowsGuid clsid{};
  clsid.Data1 = kAutoPlayHandlerClsid1;
  clsid.Data2 = kAutoPlayHandlerClsid2;
  clsid.Data3 = kAutoPlayHandlerClsid3;
  for (int i = 0; i < 8; ++i) clsid.Data4[i] = kAutoPlayHandlerClsid4[i];
  return clsid;
}

constexpr char kCancelAutoplayKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers\\CancelAutoplay\\"
    "CLSID";

}  // namespace tolvimer
