// A stand-in "dinput.dll": DirectInputCreateA and the IDirectInputA,
// IDirectInputDeviceA and IDirectInputDevice2A methods the launcher calls,
// serving scripted gamepads and recording every call.
//
// Placed beside the launcher and preferred with WINEDLLOVERRIDES="dinput=n,b".
// The script is "pads.ini" beside the DLL:
//   [Pads] Count=N (0 to 9)
//          FailCall=<method name> FailAt=<n-th call, 1 = first, 0 = every call>
//          PollResult=<HRESULT of a successful Poll, default 0>
//          Steps=<number of [StepK] sections>
//   [StepK] AtMs=<ms after DirectInputCreateA from which the step holds>
//          PadIButtons=<held buttons, numbered from 1, blank separated>
//          PadIPov=<first hat in hundredths of a degree; absent = centred>
// (I counts pads from 1.) Every call goes to "dinput_log.txt" beside the DLL.
#define DIRECTINPUT_VERSION 0x0500
#include <dinput.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "stand_in_log.h"

namespace {

constexpr int kMaxPads = 9;
constexpr int kMaxSteps = 16;

HMODULE gModule = nullptr;
standin::Log gLog;
standin::Script gScript;
DWORD gStartTick = 0;
int gCallCounts[16] = {};
const char* const kCallNames[] = {
    "DirectInputCreateA", "EnumDevices", "CreateDevice", "QueryInterface", "SetCooperativeLevel",
    "SetDataFormat",      "SetProperty", "Acquire",      "Poll",           "GetDeviceState",
    "Unacquire"};

// Counts the call and tells whether the script makes this one fail.
bool ShouldFail(const char* call) {
  int index = 0;
  while (std::strcmp(kCallNames[index], call) != 0) ++index;
  const int count = ++gCallCounts[index];
  char failCall[64];
  gScript.Text("Pads", "FailCall", failCall, sizeof failCall);
  if (std::strcmp(failCall, call) != 0) return false;
  const int failAt = gScript.Int("Pads", "FailAt", 1);
  return failAt == 0 || failAt == count;
}

HRESULT Answer(const char* call, HRESULT success, HRESULT failure) {
  if (ShouldFail(call)) {
    gLog.Line("  -> failed 0x%08lx", static_cast<unsigned long>(failure));
    return failure;
  }
  return success;
}

GUID PadGuid(int pad) {
  GUID guid = {0x5a1d0000u + static_cast<unsigned>(pad), 0x7017, 0x4e11, {1, 2, 3, 4, 5, 6, 7, 8}};
  return guid;
}

// The state the script gives a pad at this moment: the last step whose time
// has come.
int CurrentStep() {
  const DWORD elapsed = GetTickCount() - gStartTick;
  int current = 0;
  const int steps = gScript.Int("Pads", "Steps", 0);
  for (int k = 1; k <= steps && k <= kMaxSteps; ++k) {
    char section[16];
    wsprintfA(section, "Step%d", k);
    if (static_cast<DWORD>(gScript.Int(section, "AtMs", 0)) <= elapsed) current = k;
  }
  return current;
}

void FillState(int pad, int step, DIJOYSTATE& state) {
  std::memset(&state, 0, sizeof state);
  for (DWORD& pov : state.rgdwPOV) pov = 0xFFFFFFFFu;
  if (step == 0) return;
  char section[16];
  char key[32];
  char value[128];
  wsprintfA(section, "Step%d", step);
  wsprintfA(key, "Pad%dButtons", pad + 1);
  gScript.Text(section, key, value, sizeof value);
  for (char* p = value; *p;) {
    char* end = nullptr;
    const long button = std::strtol(p, &end, 10);
    if (end == p) {
      ++p;
      continue;
    }
    if (button >= 1 && button <= 32) state.rgbButtons[button - 1] = 0x80;
    p = end;
  }
  wsprintfA(key, "Pad%dPov", pad + 1);
  gScript.Text(section, key, value, sizeof value);
  if (value[0]) state.rgdwPOV[0] = static_cast<DWORD>(std::strtoul(value, nullptr, 0));
}

class Device final : public IDirectInputDevice2A {
 public:
  explicit Device(int pad) : pad_(pad) {}

  STDMETHOD_(HRESULT, QueryInterface)(REFIID riid, void** out) override {
    const bool device2 = IsEqualGUID(riid, IID_IDirectInputDevice2A);
    gLog.Line("QueryInterface pad=%d device2=%d", pad_ + 1, device2 ? 1 : 0);
    *out = nullptr;
    if (!device2 && !IsEqualGUID(riid, IID_IDirectInputDeviceA) &&
        !IsEqualGUID(riid, IID_IUnknown)) {
      return E_NOINTERFACE;
    }
    if (ShouldFail("QueryInterface")) {
      gLog.Line("  -> failed");
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG left = --references_;
    gLog.Line("Release pad=%d references=%lu", pad_ + 1, left);
    return left;
  }
  STDMETHOD(GetCapabilities)(LPDIDEVCAPS) override { return Unexpected("GetCapabilities"); }
  STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override {
    return Unexpected("EnumObjects");
  }
  STDMETHOD(GetProperty)(REFGUID, LPDIPROPHEADER) override { return Unexpected("GetProperty"); }
  STDMETHOD(SetProperty)(REFGUID property, LPCDIPROPHEADER header) override {
    const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
    gLog.Line("SetProperty pad=%d range=%d size=%lu header=%lu obj=%lu how=%lu min=%ld max=%ld",
              pad_ + 1, &property == &DIPROP_RANGE ? 1 : 0, header->dwSize, header->dwHeaderSize,
              header->dwObj, header->dwHow, range->lMin, range->lMax);
    return Answer("SetProperty", DI_OK, DIERR_UNSUPPORTED);
  }
  STDMETHOD(Acquire)() override {
    gLog.Line("Acquire pad=%d", pad_ + 1);
    return Answer("Acquire", DI_OK, DIERR_OTHERAPPHASPRIO);
  }
  STDMETHOD(Unacquire)() override {
    gLog.Line("Unacquire pad=%d", pad_ + 1);
    return Answer("Unacquire", DI_OK, DI_NOEFFECT);
  }
  STDMETHOD(GetDeviceState)(DWORD size, LPVOID data) override {
    const int step = CurrentStep();
    gLog.Line("GetDeviceState pad=%d size=%lu step=%d", pad_ + 1, size, step);
    if (size != sizeof(DIJOYSTATE)) return DIERR_INVALIDPARAM;
    // A failed read leaves the buffer as the previous read left it.
    if (ShouldFail("GetDeviceState")) {
      gLog.Line("  -> failed");
      return DIERR_INPUTLOST;
    }
    FillState(pad_, step, *static_cast<DIJOYSTATE*>(data));
    return DI_OK;
  }
  STDMETHOD(GetDeviceData)(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override {
    return Unexpected("GetDeviceData");
  }
  STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT format) override {
    // The record sizes differ between 32-bit and 64-bit builds; only whether
    // they are this build's own sizes is recorded.
    const bool sizesMatch =
        format->dwSize == sizeof(DIDATAFORMAT) && format->dwObjSize == sizeof(DIOBJECTDATAFORMAT);
    gLog.Line("SetDataFormat pad=%d sizes=%d objects=%lu flags=%lu data=%lu", pad_ + 1,
              sizesMatch ? 1 : 0, format->dwNumObjs, format->dwFlags, format->dwDataSize);
    return Answer("SetDataFormat", DI_OK, DIERR_INVALIDPARAM);
  }
  STDMETHOD(SetEventNotification)(HANDLE) override { return Unexpected("SetEventNotification"); }
  STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override {
    gLog.Line("SetCooperativeLevel pad=%d desktop=%d flags=%lu", pad_ + 1,
              window == GetDesktopWindow() ? 1 : 0, flags);
    return Answer("SetCooperativeLevel", DI_OK, DIERR_INVALIDPARAM);
  }
  STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override {
    return Unexpected("GetObjectInfo");
  }
  STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA) override { return Unexpected("GetDeviceInfo"); }
  STDMETHOD(RunControlPanel)(HWND, DWORD) override { return Unexpected("RunControlPanel"); }
  STDMETHOD(Initialize)(HINSTANCE, DWORD, REFGUID) override { return Unexpected("Initialize"); }
  STDMETHOD(CreateEffect)(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*, LPUNKNOWN) override {
    return Unexpected("CreateEffect");
  }
  STDMETHOD(EnumEffects)(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override {
    return Unexpected("EnumEffects");
  }
  STDMETHOD(GetEffectInfo)(LPDIEFFECTINFOA, REFGUID) override {
    return Unexpected("GetEffectInfo");
  }
  STDMETHOD(GetForceFeedbackState)(LPDWORD) override { return Unexpected("GetForceFeedbackState"); }
  STDMETHOD(SendForceFeedbackCommand)(DWORD) override {
    return Unexpected("SendForceFeedbackCommand");
  }
  STDMETHOD(EnumCreatedEffectObjects)
  (LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) override {
    return Unexpected("EnumCreatedEffectObjects");
  }
  STDMETHOD(Escape)(LPDIEFFESCAPE) override { return Unexpected("Escape"); }
  STDMETHOD(Poll)() override {
    gLog.Line("Poll pad=%d", pad_ + 1);
    return Answer("Poll", gScript.Int("Pads", "PollResult", DI_OK), DIERR_NOTACQUIRED);
  }
  STDMETHOD(SendDeviceData)(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override {
    return Unexpected("SendDeviceData");
  }

 private:
  HRESULT Unexpected(const char* call) {
    gLog.Line("unexpected %s pad=%d", call, pad_ + 1);
    return DIERR_UNSUPPORTED;
  }

  int pad_;
  ULONG references_ = 1;
};

Device* gDevices[kMaxPads] = {};

class DirectInput final : public IDirectInputA {
 public:
  STDMETHOD_(HRESULT, QueryInterface)(REFIID, void** out) override {
    *out = nullptr;
    gLog.Line("unexpected QueryInterface of IDirectInputA");
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG left = --references_;
    gLog.Line("Release directinput references=%lu", left);
    return left;
  }
  STDMETHOD(CreateDevice)(REFGUID guid, LPDIRECTINPUTDEVICEA* out, LPUNKNOWN outer) override {
    int pad = 0;
    while (pad < kMaxPads && !IsEqualGUID(guid, PadGuid(pad))) ++pad;
    gLog.Line("CreateDevice pad=%d outer=%d", pad < kMaxPads ? pad + 1 : 0, outer ? 1 : 0);
    *out = nullptr;
    if (pad == kMaxPads) return DIERR_DEVICENOTREG;
    if (ShouldFail("CreateDevice")) {
      gLog.Line("  -> failed");
      return DIERR_DEVICENOTREG;
    }
    if (!gDevices[pad]) gDevices[pad] = new Device(pad);
    *out = gDevices[pad];
    return DI_OK;
  }
  STDMETHOD(EnumDevices)
  (DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) override {
    gLog.Line("EnumDevices type=%lu flags=%lu", type, flags);
    if (ShouldFail("EnumDevices")) {
      gLog.Line("  -> failed");
      return DIERR_INVALIDPARAM;
    }
    const int count = gScript.Int("Pads", "Count", 0);
    for (int pad = 0; pad < count && pad < kMaxPads; ++pad) {
      DIDEVICEINSTANCEA instance = {};
      instance.dwSize = sizeof instance;
      instance.guidInstance = PadGuid(pad);
      instance.guidProduct = PadGuid(100 + pad);
      instance.dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8);
      wsprintfA(instance.tszInstanceName, "Stand-in pad %d", pad + 1);
      wsprintfA(instance.tszProductName, "Stand-in pad %d", pad + 1);
      const BOOL more = callback(&instance, context);
      gLog.Line("offered pad=%d answer=%d", pad + 1, more);
      if (more == DIENUM_STOP) break;
    }
    return DI_OK;
  }
  STDMETHOD(GetDeviceStatus)(REFGUID) override { return DIERR_UNSUPPORTED; }
  STDMETHOD(RunControlPanel)(HWND, DWORD) override { return DIERR_UNSUPPORTED; }
  STDMETHOD(Initialize)(HINSTANCE, DWORD) override { return DIERR_UNSUPPORTED; }

 private:
  ULONG references_ = 1;
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI
    DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* out, LPUNKNOWN outer) {
  gStartTick = GetTickCount();
  // The launcher's error mode as it prepares the gamepads, after the
  // emulator's start: a look at a drive must have put its own back.
  gLog.Line("DirectInputCreateA instance=%d version=0x%lx outer=%d errormode=0x%X",
            instance ? 1 : 0, version, outer ? 1 : 0, GetErrorMode());
  *out = nullptr;
  if (ShouldFail("DirectInputCreateA")) {
    gLog.Line("  -> failed");
    return DIERR_INVALIDPARAM;
  }
  *out = new DirectInput;
  return DI_OK;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = module;
    gLog.Open(module, "dinput_log.txt");
    gScript.Open(module, "pads.ini");
  }
  return TRUE;
}
