#include "bench/bench_machine.h"

#include <cstdio>

namespace tolvimer::bench {
namespace {

constexpr char kGeneralSections[] =
    "[General]\r\nRegion=usa\r\nDrive=E\r\nTolvimerExe=Tolvimer_alpha_25.exe\r\n"
    "FullScreen=true\r\nForceFull=true\r\nScreen=640x480\r\nPriority=normal\r\n"
    "ShowStats=false\r\nExit=27\r\nMountTool=daemontools\r\nDelay=5\r\nUnmount=true\r\n"
    "[DaemonTools]\r\nExe=C:\\Tools\\mounter.exe\r\nDevice=0\r\n"
    "[Alcohol120]\r\nExe=C:\\Tools\\mounter.exe\r\nDrive=X:\r\n"
    "[GamePadExit]\r\nMapGamePadExit=true\r\nUp=false\r\nRight=false\r\nDown=false\r\n"
    "Left=false\r\nButton1=true\r\nButton2=true\r\nButton3=false\r\nButton4=false\r\n"
    "Button5=false\r\nButton6=false\r\nButton7=false\r\nButton8=false\r\nButton9=false\r\n"
    "Button10=false\r\nButton11=false\r\nButton12=false\r\n"
    "[TolviEx]\r\nLimitFPS=60\r\n";

// Every key a game section can hold, as a user's file would have them.
constexpr char kGameKeys[] =
    "Screen=800x600\r\nZWrite=true\r\nZWriteAlpha=false\r\nCapcomHack=false\r\n"
    "IkarugaLevel2Fix=false\r\nSCalbrPlyrSelectHack=false\r\nSCalbr2DFix=false\r\n"
    "SegaGTLoading=false\r\nCableType=ntsc\r\nLimitFPS=30\r\nCPU=102\r\n";

std::string GameName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "Game %04d", n);
  return name;
}

}  // namespace

std::string ImagePath(int games) { return "D:\\Images\\" + GameName(games) + ".cdi"; }

std::string SettingsText(int games) {
  std::string text = kGeneralSections;
  for (int n = 1; n <= games; ++n) text += "[" + GameName(n) + "]\r\n" + kGameKeys;
  return text;
}

void PrepareMachine(testing::FakePlatform& os, const std::string& settingsText) {
  os.settingsText = settingsText;
  os.files["C:\\Emu\\dc_flash.bin"] = std::vector<std::uint8_t>(200000, 0x55);
  os.files["C:\\Emu\\tolvimer.cfg"] = std::vector<std::uint8_t>(32, 0x41);
  os.NameProcess("Tolvimer", "emu");
  os.NameProcess("mounter", "mount");
  os.AddWindow("emu", "emu");
}

int SettingsReads(const testing::FakePlatform& os) {
  return static_cast<int>(os.Lines({"GetPrivateProfileString"}).size());
}

}  // namespace tolvimer::bench
