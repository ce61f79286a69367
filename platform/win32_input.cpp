// The Win32 platform: key taps, the exit key, the cursor and the gamepads
// through DirectInput.
#include "platform/win32_calls.h"

#include <cstring>

namespace tolvimer {
using win32::As;
using win32::AsWindow;
using win32::FromPointer;

namespace {

// EnumDevices calls back with its own signature; this carries the portable
// callback through its context argument.
struct DeviceEnumContext {
  DeviceEnumCallback callback;
  std::intptr_t param;
};

BOOL CALLBACK DeviceEnumTrampoline(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  const auto& c = *static_cast<DeviceEnumContext*>(context);
  DeviceInstance device;
  static_assert(sizeof device.guidInstance == sizeof instance->guidInstance, "GUID size");
  static_assert(sizeof device.productName == sizeof instance->tszProductName, "name size");
  const GUID& guid = instance->guidInstance;
  device.guidInstance.data1 = guid.Data1;
  device.guidInstance.data2 = guid.Data2;
  device.guidInstance.data3 = guid.Data3;
  std::memcpy(device.guidInstance.data4, guid.Data4, sizeof guid.Data4);
  std::memcpy(device.productName, instance->tszProductName, sizeof device.productName);
  return c.callback(device, c.param) ? DIENUM_CONTINUE : DIENUM_STOP;
}

static_assert(sizeof(JoyState) == sizeof(DIJOYSTATE), "JoyState must match DIJOYSTATE");

}  // namespace

void Win32Platform::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode,
                               std::uint32_t flags, std::uintptr_t extraInfo) {
  ::keybd_event(virtualKey, scanCode, flags, extraInfo);
}

std::uint32_t Win32Platform::MapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return ::MapVirtualKeyA(code, mapType);
}

std::int16_t Win32Platform::GetAsyncKeyState(int virtualKey) {
  return ::GetAsyncKeyState(virtualKey);
}

std::uint32_t Win32Platform::GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) {
  // The keys of the navigation block and the keypad's slash share their scan
  // codes with keypad keys; the extended-key bit names them apart.
  constexpr std::uint32_t kExtended[] = {
      VK_PRIOR,  VK_NEXT,   VK_END,     VK_HOME, VK_LEFT, VK_UP,   VK_RIGHT,    VK_DOWN, VK_INSERT,
      VK_DELETE, VK_DIVIDE, VK_NUMLOCK, VK_LWIN, VK_RWIN, VK_APPS, VK_RCONTROL, VK_RMENU};
  LONG key = static_cast<LONG>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC) << 16);
  for (const std::uint32_t extended : kExtended) {
    if (extended == virtualKey) key |= 1L << 24;
  }
  if (size == 0) return 0;
  const int n = ::GetKeyNameTextA(key, out, static_cast<int>(size));
  if (n <= 0) out[0] = '\0';
  return n > 0 ? static_cast<std::uint32_t>(n) : 0;
}

bool Win32Platform::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != 0; }

HResult Win32Platform::DirectInputCreate(Instance instance, std::uint32_t version,
                                         ComObject& directInput) {
  IDirectInputA* object = nullptr;
  const HRESULT result =
      ::DirectInputCreateA(As<HINSTANCE__>(instance), version, &object, nullptr);
  directInput = FromPointer(object);
  return result;
}

HResult Win32Platform::EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                                     std::intptr_t param) {
  DeviceEnumContext context{callback, param};
  return As<IDirectInputA>(directInput)
      ->EnumDevices(DIDEVTYPE_JOYSTICK, DeviceEnumTrampoline, &context, DIEDFL_ATTACHEDONLY);
}

HResult Win32Platform::CreateDevice(ComObject directInput, const Guid& instanceGuid,
                                    ComObject& device) {
  GUID guid;
  guid.Data1 = instanceGuid.data1;
  guid.Data2 = instanceGuid.data2;
  guid.Data3 = instanceGuid.data3;
  std::memcpy(guid.Data4, instanceGuid.data4, sizeof guid.Data4);
  IDirectInputDeviceA* first = nullptr;
  const HRESULT result = As<IDirectInputA>(directInput)->CreateDevice(guid, &first, nullptr);
  device = FromPointer(first);
  return result;
}

HResult Win32Platform::QueryDevice2(ComObject device, ComObject& device2) {
  void* second = nullptr;
  const HRESULT result =
      As<IDirectInputDeviceA>(device)->QueryInterface(IID_IDirectInputDevice2A, &second);
  device2 = FromPointer(second);
  return result;
}

std::uint32_t Win32Platform::Release(ComObject object) { return As<IUnknown>(object)->Release(); }

WindowHandle Win32Platform::GetDesktopWindow() { return FromPointer(::GetDesktopWindow()); }

HResult Win32Platform::SetCooperativeLevel(ComObject device2, WindowHandle window,
                                           std::uint32_t flags) {
  return As<IDirectInputDevice2A>(device2)->SetCooperativeLevel(AsWindow(window), flags);
}

HResult Win32Platform::SetJoystickDataFormat(ComObject device2) {
  return As<IDirectInputDevice2A>(device2)->SetDataFormat(&c_dfDIJoystick);
}

HResult Win32Platform::SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                                    std::int32_t maximum) {
  DIPROPRANGE range;
  range.diph.dwSize = sizeof(DIPROPRANGE);
  range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  range.diph.dwObj = offset;
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = minimum;
  range.lMax = maximum;
  return As<IDirectInputDevice2A>(device2)->SetProperty(DIPROP_RANGE, &range.diph);
}

HResult Win32Platform::Acquire(ComObject device2) {
  return As<IDirectInputDevice2A>(device2)->Acquire();
}

HResult Win32Platform::Poll(ComObject device2) { return As<IDirectInputDevice2A>(device2)->Poll(); }

HResult Win32Platform::GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) {
  return As<IDirectInputDevice2A>(device2)->GetDeviceState(size, &state);
}

HResult Win32Platform::Unacquire(ComObject device2) {
  return As<IDirectInputDevice2A>(device2)->Unacquire();
}

}  // namespace tolvimer
