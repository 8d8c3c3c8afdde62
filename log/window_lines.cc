// Only the events whose runner lines name an option are worded here; every other line is the
// runner's own, so that the two front ends cannot drift apart.
#include "log/window_lines.h"

namespace qs {

namespace {

void Rename(std::string& text, const std::string& name, const std::string& words) {
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
    std::string said = words;
    if (at == 0) said[0] = static_cast<char>(said[0] - 'a' + 'A');
    text.replace(at, name.size(), said);
    at += said.size();
  }
}

}  // namespace

std::string InWindowWords(std::string refusal) {
  Rename(refusal, "TARGET", "the target");
  Rename(refusal, "DEST", "the destination folder");
  return refusal;
}

void WindowOperationLinesOf(const RunEvent& event, const LineSink& sink) {
  if (event.kind == RunEventKind::kNoKeepRule) return sink(kNoKeepRuleInWindow);
  // As the runner's, every reason but the two others is the one of a file only versions hold.
  const bool dated =
      event.reason == LeftOutReason::kWrittenLater || event.reason == LeftOutReason::kNoCopyThen;
  if (event.kind == RunEventKind::kLeftOut && !dated)
    return sink(kOnlyVersionsHoldInWindow + std::string(event.path));
  OperationLinesOf(event, [&sink](const std::string& line) { sink(InWindowWords(line)); });
}

}  // namespace qs
