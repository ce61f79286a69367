#include "tools/plan/disc_warnings.h"

#include "platform/us_keyboard.h"
#include "settings/settings.h"

namespace tolvimer::plan {
namespace {

// The key's name with a US keyboard layout, as the plan's narration gives it.
std::string KeyName(std::uint32_t virtualKey) {
  char name[32];
  return UsKeyName(virtualKey, name, sizeof name) > 0 ? name : "no name";
}

}  // namespace

void CheckDiscs(const PlanInput& input, const RunFacts& facts, std::vector<std::string>& warnings) {
  if (!facts.playlist) return;
  if (facts.discs.empty()) {
    warnings.push_back("the playlist " + input.imagePath +
                       (facts.playlistPathTooLong
                            ? " is a path longer than the " + std::to_string(kPathBufferSize - 1) +
                                  " characters the launcher holds: no disc is mounted"
                            : " cannot be read or names no disc: no disc is mounted"));
    return;
  }
  for (std::size_t i = 0; i < facts.discs.size(); ++i) {
    const std::string& disc = facts.discs[i];
    // A path with a drive letter is looked at only where it means one.
    const bool driveLetter = disc.size() >= 2 && disc[1] == ':';
    if ((input.windowsPaths || !driveLetter) && !input.lookAt(disc).exists) {
      warnings.push_back("disc " + std::to_string(i + 1) + " of the playlist, " + disc +
                         ", does not exist");
    }
  }
  // The exit key is polled first: the same key ends play before it swaps.
  if (facts.swapKey && facts.swapKeyPolled == facts.exitKeyPolled) {
    warnings.push_back("[General] NextDisc names virtual key " +
                       std::to_string(facts.swapKeyPolled) + " (" + KeyName(facts.swapKeyPolled) +
                       "), the key the exit key polls: a press ends play and never swaps discs");
  }
  const bool swapAsked = facts.swapKey || facts.swapComboEnabled;
  if (swapAsked && !facts.unmountRun) {
    warnings.push_back(
        "a next-disc key or combination is set, but no unmount is run ([General] Unmount is "
        "not true, or no mount tool is set up): a swap does nothing");
  }
  if (facts.swapComboEnabled && facts.swapComboEmpty) {
    warnings.push_back(
        "[GamePadNextDisc] MapGamePadNextDisc is true but no input is switched on: the "
        "combination is met at the first check, and the discs are swapped then");
  }
}

}  // namespace tolvimer::plan
