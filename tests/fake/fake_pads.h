#pragma once

// Gamepad states and pads for the recording fake, shared by the gamepad,
// exit-watch and whole-run tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {

// The hat value of a pad whose hat is not pressed.
constexpr std::uint32_t kCentred = 0xFFFFFFFFu;

// A raw state with the given buttons (1-based) held at 0x80 and the hat at `hat`.
inline JoyState Held(std::initializer_list<int> buttons, std::uint32_t hat = kCentred) {
  JoyState state;
  for (int button : buttons) state.rgbButtons[button - 1] = 0x80;
  state.rgdwPOV[0] = hat;
  return state;
}

// A pad that answers its polls with `states` in turn.
inline FakePlatform::Pad Pad(std::uint32_t guid, std::vector<JoyState> states = {Held({})},
                             std::string productName = "Pad") {
  FakePlatform::Pad pad;
  pad.guid.data1 = guid;
  pad.productName = std::move(productName);
  pad.states = std::move(states);
  return pad;
}

}  // namespace tolvimer::testing
