#include "tools/plan/catalogue_search.h"

#include <algorithm>
#include <vector>

#include "narration/words.h"
#include "settings/settings.h"

namespace tolvimer::plan {

std::string WhereKeyIsRead(const std::string& key) {
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  std::vector<std::string> places;
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsWord(key.c_str(), keys[i].key)) continue;
    places.push_back(SectionKindLabel(keys[i].section));
    // The combination keys are read in [GamePadNextDisc] too.
    if (FindKnownKey(SectionKind::kGamePadNextDisc, key.c_str()) == &keys[i]) {
      places.push_back(SectionKindLabel(SectionKind::kGamePadNextDisc));
    }
  }
  std::string out;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (i > 0) out += i + 1 == places.size() ? " and " : ", ";
    out += places[i];
  }
  return out;
}

std::string ClosestKnownKey(const std::string& key) {
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  std::string best;
  std::size_t bestDistance = 3;  // farther than two edits is no likely slip
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t distance = EditDistance(LowerAscii(key), LowerAscii(keys[i].key));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = keys[i].key;
    }
  }
  return best;
}

std::string WordList(const KnownKey& key) {
  Text text;
  AddWordList(text, key);
  return text.c_str();
}

std::string VirtualKeyName(std::uint32_t virtualKey) {
  Text text;
  AddVirtualKeyName(text, virtualKey);
  return text.c_str();
}

std::string LowerAscii(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace tolvimer::plan
