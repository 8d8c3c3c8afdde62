// Which targets the window's operations are writing to: while a backup, a restore or a prune
// writes to a target, no other operation is started on it. Claims are held by value: the
// claim ends when the last copy of its ticket is gone, whatever way the worker ends.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qs {

class TargetClaims {
 public:
  /// A held claim on `target` for `what` ("a backup", "a restore"), or null when another
  /// operation holds it; then `holder` is that one's `what`. Targets that differ only in their
  /// trailing separators are one target.
  std::shared_ptr<const void> Claim(const std::string& target, const std::string& what,
                                    std::string* holder);
  /// What holds `target` now, or "" when nothing does.
  std::string Holder(const std::string& target);

 private:
  std::shared_ptr<std::mutex> mutex_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::map<std::string, std::string>> held_ =
      std::make_shared<std::map<std::string, std::string>>();
};

}  // namespace qs
