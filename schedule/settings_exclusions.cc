#include "schedule/settings_exclusions.h"

#include "settings/exclusions_file.h"

namespace qs {

bool LoadSettingsExclusions(const std::string& path, Exclusions* exclusions, std::string* why) {
  std::string text;
  if (!LoadExclusionsText(path, &text, why)) return false;
  Exclusions read;
  std::string where;
  if (!AddExclusionLines(text, &read, &where)) {
    *why = "The exclusions file " + path + " is refused at " + where + ".";
    return false;
  }
  *exclusions = std::move(read);
  return true;
}

}  // namespace qs
