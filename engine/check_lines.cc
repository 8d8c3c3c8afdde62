#include "engine/check_lines.h"

#include "os/error_text.h"

namespace qs {

namespace {

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string CheckEventLine(const CheckEvent& event) {
  const std::string path(event.path);
  switch (event.kind) {
    case CheckEventKind::kNotice:
      return std::string(event.why);
    case CheckEventKind::kNoRecord:
      return kNothingToCheck;
    case CheckEventKind::kDamaged:
      return "Damaged copy: " + path + " (recorded hash " + event.recorded.Hex() + ", found " +
             event.found.Hex() + ")";
    case CheckEventKind::kChanged:
      return "Changed outside the backup: " + path;
    case CheckEventKind::kUnreadable:
      return "Could not read copy: " + path + " " + ErrorCodeText(event.code);
    case CheckEventKind::kRepaired:
      return "Repaired: " + path + " (from " + std::string(event.from) + ")";
    case CheckEventKind::kNotRepaired:
      return "Not repaired: " + path + " (" + std::string(event.why) + ")";
    case CheckEventKind::kNotRecorded:
      return "The check could not be added to the record: " + path +
             (event.code ? " " + ErrorCodeText(event.code) : "");
  }
  return {};
}

std::vector<std::string> CheckSummaryLines(const CheckResults& results) {
  if (results.outcome != CheckResults::Outcome::kChecked) return {};
  std::vector<std::string> lines;
  lines.push_back("Check completed: " + std::to_string(results.read) + " of " +
                  Counted(results.copies, "copy", "copies") + " read, " +
                  std::to_string(results.bytesRead) + " of " + std::to_string(results.bytesInAll) +
                  " bytes; " + std::to_string(results.damaged) + " damaged, " +
                  std::to_string(results.changed) + " changed outside the backup, " +
                  std::to_string(results.unreadable) + " unreadable.");
  if (results.learned > 0)
    lines.push_back("Hashes learnt: " + Counted(results.learned, "copy", "copies") +
                    " the record had no hash for.");
  if (results.damaged > 0 && results.repaired > 0)
    lines.push_back("Repaired: " + std::to_string(results.repaired) + " of " +
                    std::to_string(results.damaged) + " damaged.");
  if (results.wrapped) lines.push_back("This check finished a rotation through every copy.");
  return lines;
}

}  // namespace qs
