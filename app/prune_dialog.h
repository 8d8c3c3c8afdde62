// "Prune Versions...": the keep rules, what they would remove, then the removal. The removal
// is only offered for the rules and target whose dry run was last shown.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/window_controls.h"
#include "engine/version_retention.h"

namespace qs {

class PruneDialog : public WindowEvents {
 public:
  /// The dialog's control ids; the fields' in the order of the rules.
  enum Id : int {
    kLast = 101,
    kHourly,
    kDaily,
    kWeekly,
    kMonthly,
    kWithin,
    kShowWhatWouldGo = 110,
    kPrune,
    kClose,
    kMessage = 120,
    kWouldGo,
  };

  explicit PruneDialog(AppContext& app) : app_(app) {}
  /// Makes the dialog the first time, then shows it; false when it cannot be made.
  bool Open();
  void OnCommand(int id) override;
  void OnClose() override;

 private:
  /// The rules as the fields give them and the target as typed: what a dry run was shown for.
  struct Key {
    RetentionPolicy keep;
    std::string target;
    bool operator==(const Key& other) const;
  };
  struct Outcome {
    bool refused = false;
    std::string why;
    std::vector<std::string> paths;  ///< what went, or would go
    uint64_t bytes = 0;
  };

  void MakeControls();
  /// The fields' rules and the target, or nullopt with the sentence saying why.
  std::optional<Key> Read(std::string* why);
  void Start(bool dry_run);
  void Done(bool dry_run, const Key& key, const Outcome& outcome);
  void Say(const std::string& sentence);
  /// Greyed unless the rules and target are those of the dry run last shown.
  void UpdatePruneButton();

  AppContext& app_;
  std::unique_ptr<DialogWindow> dialog_;
  Control* fields_[6] = {};
  Control* show_ = nullptr;
  Control* prune_ = nullptr;
  Control* message_ = nullptr;
  Control* list_ = nullptr;
  bool running_ = false;
  std::optional<Key> shown_;
};

}  // namespace qs
