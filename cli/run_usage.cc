// The runner's usage text, kept apart from the parsing it describes. Only the prose around the
// tables' rows is written here.
#include "cli/run_usage.h"

#include <algorithm>
#include <vector>

#include "cli/run_modes.h"
#include "cli/run_options.h"

namespace qs {

namespace {

const char kExitStatuses[] =
    "\n"
    "Exit status: 0 when everything was done; 1 when a file failed, a folder below SOURCE (or\n"
    "SOURCE itself) could not be listed, an old version could not be kept, a version folder\n"
    "could not be removed (a prune never enters another file system mounted inside),\n"
    "nothing of a PATH was restored, or TARGET does not keep last-write times (unless\n"
    "accepted); 2 for a usage error (nothing is written then).\n";

/// The options' column: their names and values, then their words.
constexpr size_t kNameWidth = 22;
const std::string kWordsIndent(2 + kNameWidth, ' ');

/// "  --name VALUE   words", a name too long for the column keeping two spaces after it.
std::string OptionLines(const RunOption& option, const char* text) {
  std::string name = option.name;
  if (option.value) name += std::string(" ") + option.value;
  name += name.size() < kNameWidth ? std::string(kNameWidth - name.size(), ' ') : "  ";
  std::string lines = "  " + name;
  for (const char* c = text; *c; ++c)
    lines += *c == '\n' ? "\n" + kWordsIndent : std::string(1, *c);
  return lines + "\n";
}

std::string Section(const RunMode& mode) {
  std::string text = std::string("\n") + mode.helpIntro;
  for (const RunOption& option : RunOptions())
    for (const OptionHelp& help : option.help)
      if (help.text && help.mode == mode.mode) text += OptionLines(option, help.text);
  return text + mode.helpOutro;
}

}  // namespace

std::string RunSynopsis() {
  std::string text;
  for (const RunMode& mode : RunModes()) {
    text += text.empty() ? "usage: quillstone-run" : "       quillstone-run";
    if (*mode.synopsis) text += std::string(" ") + mode.synopsis;
    text += "\n";
  }
  return text;
}

std::string RunHelp() {
  std::vector<const RunMode*> sections;
  for (const RunMode& mode : RunModes())
    if (mode.helpPosition > 0) sections.push_back(&mode);
  std::stable_sort(sections.begin(), sections.end(), [](const RunMode* a, const RunMode* b) {
    return a->helpPosition < b->helpPosition;
  });
  std::string text = RunSynopsis();
  for (const RunMode* mode : sections) text += Section(*mode);
  return text + kExitStatuses;
}

}  // namespace qs
