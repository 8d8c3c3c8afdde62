// The claims' map lives in shared state, so a ticket that outlives the registry (a worker
// still ending as the program closes) can still let go of its claim.
#include "schedule/target_claims.h"

namespace qs {

namespace {

std::string Key(std::string target) {
  while (target.size() > 1 && (target.back() == '/' || target.back() == '\\')) target.pop_back();
  return target;
}

}  // namespace

std::shared_ptr<const void> TargetClaims::Claim(const std::string& target, const std::string& what,
                                                std::string* holder) {
  const std::string key = Key(target);
  std::lock_guard<std::mutex> lock(*mutex_);
  auto [at, claimed] = held_->emplace(key, what);
  if (!claimed) {
    if (holder != nullptr) *holder = at->second;
    return nullptr;
  }
  auto mutex = mutex_;
  auto held = held_;
  // Not null, so that a held claim tests true.
  return std::shared_ptr<const void>(held.get(), [mutex, held, key](const void*) {
    std::lock_guard<std::mutex> release(*mutex);
    held->erase(key);
  });
}

std::string TargetClaims::Holder(const std::string& target) {
  std::lock_guard<std::mutex> lock(*mutex_);
  const auto at = held_->find(Key(target));
  return at == held_->end() ? "" : at->second;
}

}  // namespace qs
