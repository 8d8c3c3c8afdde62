// The first failure is told in the backup log's own words, so that the person finds it there.
// The summary names the failures that count most: files, then folders, old versions, flushes.
#include "engine/run_notification.h"

#include "engine/backup_job.h"
#include "os/error_text.h"

namespace qs {

namespace {

std::string Counted(int32_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

/// The kinds of failure of a run, most important first, each as "N things could not be ...".
std::vector<std::string> FailureCounts(const BackupResults& results) {
  std::vector<std::string> counts;
  if (const int32_t n = results.counters.failed; n > 0)
    counts.push_back(Counted(n, "file", "files") + " could not be backed up");
  if (const int32_t n = results.unlistedDirectories; n > 0)
    counts.push_back(Counted(n, "folder", "folders") + " could not be read");
  if (const int32_t n = results.timeVersionFailures; n > 0)
    counts.push_back(Counted(n, "old version", "old versions") + " could not be kept");
  if (const int32_t n = results.flushFailures; n > 0)
    counts.push_back(Counted(n, "copy", "copies") + " could not be flushed to the disk");
  return counts;
}

std::string WithCode(const std::string& text, const RunEvent& event) {
  return text + " " + ErrorCodeText(event.code);
}

}  // namespace

bool RunOutcomeNotification(const BackupResults& results, const std::string& source,
                            const std::string& target, const std::string& first_failure,
                            bool notify_success, Notification* notification) {
  const std::string places = "Source: " + source + "\nTarget: " + target;
  const std::vector<std::string> counts = FailureCounts(results);
  if (counts.empty()) {
    if (!notify_success) return false;
    const BackupCounters& c = results.counters;
    *notification = {"Backup completed: " + std::to_string(c.copied) + " copied, " +
                         std::to_string(c.updated) + " updated",
                     places, Notification::Urgency::kNormal};
    return true;
  }
  std::string body = places;
  for (size_t i = 1; i < counts.size(); ++i) body += "\nAlso " + counts[i] + ".";
  if (!first_failure.empty()) body += "\nFirst failure: " + first_failure;
  *notification = {"Backup failed: " + counts[0], body, Notification::Urgency::kCritical};
  return true;
}

void RunNotification::NoteFailure(const RunEvent& event) {
  const std::string path(event.path);
  const std::string other(event.other);
  switch (event.kind) {
    case RunEventKind::kDirectoryUnlisted:
      return void(first_failure_ = WithCode("Cannot list directory: " + path, event));
    case RunEventKind::kVersionFolderFailed:
      return void(first_failure_ =
                      WithCode("Failed to create time version directory: " + path, event));
    case RunEventKind::kVersionNotSaved:
      return void(first_failure_ = "Old version not kept: " + path);
    case RunEventKind::kDirectoryFailed:
      return void(first_failure_ = "Failed to create directory: " + path);
    case RunEventKind::kCopyFailed:
      return void(first_failure_ = WithCode("CopyFile failed: " + path + " -> " + other, event));
    case RunEventKind::kNameCollision:
      return void(first_failure_ = "Name collides on the target: " + other + " and " + path);
    case RunEventKind::kFlushFailed:
      return void(first_failure_ = WithCode("Failed to flush to disk: " + path, event));
    case RunEventKind::kFailed:
      return void(first_failure_ = "Failed: " + path);
    default:
      return;
  }
}

void RunNotification::OnRunEvent(const RunEvent& event) {
  if (event.kind == RunEventKind::kStarted) {
    ended_ = false;
    source_ = event.summary->sourceRoot;
    target_ = event.summary->targetRoot;
    first_failure_.clear();
  } else if (event.kind == RunEventKind::kEnded) {
    ended_ = true;
    results_ = event.summary->results;
  } else if (first_failure_.empty()) {
    NoteFailure(event);
  }
}

std::string RunNotification::Deliver() {
  if (!ended_) return "";
  ended_ = false;
  Notification notification;
  if (!RunOutcomeNotification(results_, source_, target_, first_failure_, notify_success_,
                              &notification))
    return "";
  std::string why;
  if (notifier_.Notify(notification, &why) == NotifyResult::kShown) return "";
  return "Notification not shown: " + why;
}

}  // namespace qs
