// xdg-open hands the path to whatever the desktop has chosen for it; it is run without a
// shell, so no character of the path is taken for anything but itself.
#include "os/desktop_open.h"

#include "os/program_runner.h"

namespace qs {

namespace {

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

}  // namespace

bool OpenWithDesktop(const std::string& path, std::string* why) {
  const ProgramOutput ran = MakeProgramRunner()->Run({"xdg-open", path});
  if (ran.status == 0) return true;
  const std::string said = Trimmed(ran.output);
  if (ran.status < 0)
    *why = said.empty() ? std::string("xdg-open could not be run") : said;
  else
    *why = "xdg-open ended with status " + std::to_string(ran.status) +
           (said.empty() ? std::string() : ": " + said);
  return false;
}

}  // namespace qs
