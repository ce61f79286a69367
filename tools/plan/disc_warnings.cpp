#include "tools/plan/disc_warnings.h"

#include "tools/plan/catalogue_search.h"

namespace tolvimer::plan {

void CheckDiscs(const PlanInput& input, const RunFacts& facts, std::vector<std::string>& warnings) {
  if (!facts.playlist) return;
  if (facts.discs.empty()) {
    warnings.push_back("the playlist " + input.imagePath +
                       " cannot be read or names no disc: no disc is mounted");
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
  const std::uint32_t code = facts.swapSettingCode;
  if (code != 0 && facts.swapKeyPolled != code) {
    warnings.push_back("[General] NextDisc names virtual key " + std::to_string(code) + " (" +
                       VirtualKeyName(code) + "), but the launcher polls the key of its character" +
                       (facts.swapKeyPolled == 0
                            ? ", which it has not: no key press swaps discs"
                            : ", " + std::to_string(facts.swapKeyPolled) + " (" +
                                  VirtualKeyName(facts.swapKeyPolled) + ")"));
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
