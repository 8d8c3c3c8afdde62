// Torn writes are tried twice: with what came before kept and what came after dropped (the
// crash hit that write), and with everything else kept (the names got through, the data not).
#include "tests/support/crash_states.h"

#include <random>
#include <set>

namespace qs::test {

namespace {

class StateList {
 public:
  void Add(std::string label, std::vector<Fate> fates) {
    if (seen_.insert(fates).second) states_.push_back({std::move(label), std::move(fates)});
  }
  std::vector<CrashState> Take() { return std::move(states_); }

 private:
  std::set<std::vector<Fate>> seen_;
  std::vector<CrashState> states_;
};

void AddPrefixes(size_t pending, StateList* states) {
  for (size_t kept = 0; kept <= pending; ++kept) {
    std::vector<Fate> fates(pending, Fate::kDrop);
    std::fill(fates.begin(), fates.begin() + static_cast<ptrdiff_t>(kept), Fate::kKeep);
    states->Add("prefix " + std::to_string(kept) + "/" + std::to_string(pending), fates);
  }
}

void AddTorn(const std::vector<bool>& writes, size_t limit, StateList* states) {
  std::vector<size_t> at;
  for (size_t i = 0; i < writes.size(); ++i)
    if (writes[i]) at.push_back(i);
  // Spread evenly over the writes when there are more than the limit.
  const size_t step = limit == 0 ? 0 : (at.size() + limit - 1) / limit;
  for (size_t k = 0; step != 0 && k < at.size(); k += step) {
    const size_t op = at[k];
    for (const Fate torn : {Fate::kTornPrefix, Fate::kTornZeros}) {
      const std::string how = torn == Fate::kTornPrefix ? "prefix" : "zeros";
      std::vector<Fate> fates(writes.size(), Fate::kDrop);
      std::fill(fates.begin(), fates.begin() + static_cast<ptrdiff_t>(op), Fate::kKeep);
      fates[op] = torn;
      states->Add("torn " + how + " of op " + std::to_string(op), fates);
      std::fill(fates.begin() + static_cast<ptrdiff_t>(op) + 1, fates.end(), Fate::kKeep);
      states->Add("torn " + how + " of op " + std::to_string(op) + ", rest kept", fates);
    }
  }
}

void AddRandom(const std::vector<bool>& writes, const CrashStateOptions& options, uint64_t point,
               StateList* states) {
  std::mt19937_64 random(options.seed * 1000003u + point);
  for (size_t i = 0; i < options.randomSubsets; ++i) {
    std::vector<Fate> fates(writes.size(), Fate::kDrop);
    for (size_t op = 0; op < writes.size(); ++op) {
      const uint64_t roll = random() % 8;
      if (writes[op] && roll == 0)
        fates[op] = Fate::kTornPrefix;
      else if (writes[op] && roll == 1)
        fates[op] = Fate::kTornZeros;
      else if (roll >= 4)
        fates[op] = Fate::kKeep;
    }
    states->Add("random " + std::to_string(i) + " of seed " + std::to_string(options.seed), fates);
  }
}

}  // namespace

std::vector<CrashState> CrashStatesFor(const std::vector<bool>& writes,
                                       const CrashStateOptions& options, uint64_t point) {
  StateList states;
  AddPrefixes(writes.size(), &states);
  AddTorn(writes, options.tornWrites, &states);
  if (!writes.empty()) AddRandom(writes, options, point, &states);
  return states.Take();
}

}  // namespace qs::test
