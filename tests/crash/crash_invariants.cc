// A copy is judged by its bytes and its time together: the right bytes under a time later
// than the source's are skipped by every later run, for ever, and so count as a violation.
#include "tests/crash/crash_invariants.h"

#include <optional>
#include <sstream>

#include "engine/record_history.h"
#include "engine/record_store.h"
#include "engine/version_retention.h"

namespace qs::test {

namespace {

constexpr char kTempPrefix[] = ".qs-tmp-";

std::string Describe(const FileCopy& copy) {
  std::ostringstream text;
  text << copy.bytes.size() << " bytes dated " << copy.time.seconds << "." << copy.time.nanos;
  return text.str();
}

Tree TreeOf(const std::map<std::string, const CrashNode*>& files) {
  Tree tree;
  for (const auto& [relative, node] : files) tree[relative] = {node->data, node->lastWrite};
  return tree;
}

void Add(std::vector<Violation>* found, Invariant invariant, const std::string& detail) {
  found->push_back({invariant, detail});
}

/// A name of the current tree, judged against the copy before the run and the source.
void CheckName(const std::string& relative, const FileCopy& copy, const Expectation& expected,
               std::vector<Violation>* found) {
  const auto old = expected.before.current.find(relative);
  const auto source = expected.source.find(relative);
  const bool has_old = old != expected.before.current.end();
  const bool has_source = source != expected.source.end();
  if ((has_old && copy == old->second) || (has_source && copy == source->second)) return;
  const std::string what = relative + " holds " + Describe(copy);
  if (has_source && copy.time == source->second.time)
    return Add(found, Invariant::kDatedAsSource, what + ", not the source's bytes");
  if ((has_old && copy.bytes == old->second.bytes) ||
      (has_source && copy.bytes == source->second.bytes))
    return Add(found, Invariant::kWronglyDated, what + ": right bytes, wrong time");
  Add(found, Invariant::kOldOrNew, what + ": neither the old copy nor the new one");
}

/// A version folder's copy must be one the target held before, at the same path.
bool IsOldCopy(const std::string& relative, const FileCopy& copy, const Expectation& expected) {
  const auto current = expected.before.current.find(relative);
  if (current != expected.before.current.end() && current->second == copy) return true;
  for (const auto& [folder, tree] : expected.before.versions) {
    const auto kept = tree.find(relative);
    if (kept != tree.end() && kept->second == copy) return true;
  }
  return false;
}

void CheckVersions(const TargetView& view, const Expectation& expected,
                   std::vector<Violation>* found) {
  for (const auto& [folder, tree] : expected.before.versions) {
    const auto now = view.versions.find(folder);
    if (now == view.versions.end() || now->second != tree)
      Add(found, Invariant::kVersionIsOld, "version folder " + folder + " changed or went");
  }
  for (const auto& [folder, tree] : view.versions) {
    if (expected.before.versions.count(folder) != 0) continue;
    for (const auto& [relative, copy] : tree)
      if (!IsOldCopy(relative, copy, expected))
        Add(found, Invariant::kVersionIsOld,
            folder + "/" + relative + " holds " + Describe(copy) + ", no old copy");
  }
}

/// Each updated file's old copy is at its name or in a version folder the run made.
void CheckOldCopiesKept(const TargetView& view, const Expectation& expected,
                        std::vector<Violation>* found) {
  if (!expected.timeVersioning) return;
  for (const std::string& relative : expected.updated) {
    if (expected.notSaved.count(relative) != 0) continue;
    const FileCopy& old = expected.before.current.at(relative);
    const auto current = view.current.find(relative);
    bool kept = current != view.current.end() && current->second == old;
    for (const auto& [folder, tree] : view.versions) {
      const auto copy = tree.find(relative);
      kept = kept || (expected.before.versions.count(folder) == 0 && copy != tree.end() &&
                      copy->second == old);
    }
    if (!kept) Add(found, Invariant::kOldCopyKept, "the old copy of " + relative + " is lost");
  }
}

/// The record's journal in a view, read; null when there is none.
std::optional<JournalContents> JournalOf(const TargetView& view) {
  const auto journal = view.record.find(kJournalFileName);
  if (journal == view.record.end()) return std::nullopt;
  return ReadJournal(journal->second.bytes);
}

/// After a crash: the record reads whole up to its last whole fact, every run it held before
/// still there.
void CheckRecordAfterCrash(const TargetView& view, const Expectation& expected,
                           std::vector<Violation>* found) {
  const std::optional<JournalContents> journal = JournalOf(view);
  if (!journal) {
    if (expected.recordedRuns != 0) Add(found, Invariant::kRecordReadsBack, "the journal went");
    return;
  }
  if (journal->foreign) return Add(found, Invariant::kRecordReadsBack, "the journal has no header");
  const RecordHistory history = RecordHistory::From(*journal);
  // A torn end is allowed; a whole frame that cannot be read is not.
  if ((history.damaged() && !journal->torn) || history.runs().size() < expected.recordedRuns)
    Add(found, Invariant::kRecordReadsBack,
        std::to_string(history.runs().size()) + " whole runs of " +
            std::to_string(expected.recordedRuns) + " before the run");
}

/// After the rerun: the record is whole, one run more, and its listing is the source's, each
/// hash it knows the hash of the source's bytes.
void CheckRecordAfterRerun(const TargetView& view, const Expectation& expected,
                           std::vector<Violation>* found) {
  const std::optional<JournalContents> journal = JournalOf(view);
  if (!journal || journal->foreign || journal->torn)
    return Add(found, Invariant::kRecordAppendsAgain, "the rerun left no whole journal");
  const RecordHistory history = RecordHistory::From(*journal);
  if (history.damaged() || history.runs().size() <= expected.recordedRuns)
    return Add(found, Invariant::kRecordAppendsAgain, "the rerun's run is not in the record");
  const Listing latest = history.Latest();
  bool listing_true = latest.size() == expected.source.size();
  for (const RecordedFile& file : latest) {
    const auto source = expected.source.find(file.path);
    listing_true = listing_true && source != expected.source.end() &&
                   file.size == source->second.bytes.size() &&
                   file.lastWrite == source->second.time &&
                   (!file.hashKnown || file.hash == HashOf(source->second.bytes));
  }
  if (!listing_true)
    Add(found, Invariant::kRecordAppendsAgain, "the rerun's listing is not the source's");
}

}  // namespace

const char* InvariantName(Invariant invariant) {
  static const char* const kNames[] = {
      "a name holds the old copy or the new one",
      "a copy dated as its source holds the source's bytes",
      "a copy carries the time of the bytes it holds",
      "an old copy in a version folder is what it replaced",
      "an updated file's old copy survives",
      "a run that ended without a failure is on the disk",
      "a rerun ends with a complete, correct backup",
      "a version folder the rules keep is whole",
      "a rerun of the prune leaves only the folders kept",
      "a restore writes nothing into the target",
      "a restored file is absent or whole, with its own time",
      "a rerun of the restore gives the whole tree",
      "the record reads back whole, or without its torn tail",
      "an append after the reboot is read back",
  };
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<size_t>(Invariant::kCount));
  return kNames[static_cast<size_t>(invariant)];
}

TargetView ViewTarget(const CrashImage& image) {
  TargetView view;
  const Tree files = TreeOf(image.Files(TargetRoot()));
  VersionStamp stamp;
  for (const auto& [relative, copy] : files) {
    const size_t slash = relative.find('/');
    const std::string top = relative.substr(0, slash);
    const std::string name = relative.substr(relative.rfind('/') + 1);
    if (top == kRecordFolderName && slash != std::string::npos) {
      view.record[relative.substr(slash + 1)] = copy;
    } else if (name.compare(0, sizeof(kTempPrefix) - 1, kTempPrefix) == 0) {
      ++view.temporaryNames;
    } else if (slash != std::string::npos && ParseVersionFolderName(top, &stamp)) {
      if (relative.substr(slash + 1) != "README.txt")
        view.versions[top][relative.substr(slash + 1)] = copy;
    } else {
      view.current[relative] = copy;
    }
  }
  return view;
}

std::string TargetKey(const TargetView& view) {
  std::ostringstream key;
  const auto put = [&key](const Tree& tree) {
    for (const auto& [relative, copy] : tree)
      key << relative << '\0' << copy.bytes << '\0' << copy.time.seconds << '.' << copy.time.nanos
          << '\n';
  };
  put(view.current);
  for (const auto& [folder, tree] : view.versions) {
    key << "[" << folder << "]\n";
    put(tree);
  }
  key << "[" << kRecordFolderName << "]\n";
  put(view.record);
  key << view.temporaryNames;
  return key.str();
}

Expectation ExpectationFor(const CrashImage& before, bool time_versioning) {
  Expectation expected;
  expected.source = TreeOf(before.Files(SourceRoot()));
  expected.before = ViewTarget(before);
  expected.timeVersioning = time_versioning;
  if (const std::optional<JournalContents> journal = JournalOf(expected.before))
    expected.recordedRuns = RecordHistory::From(*journal).runs().size();
  for (const auto& [relative, copy] : expected.before.current) {
    const auto source = expected.source.find(relative);
    if (source != expected.source.end() && copy.time < source->second.time)
      expected.updated.insert(relative);
  }
  return expected;
}

std::vector<Violation> CheckCrashState(const TargetView& crashed, const Expectation& expected) {
  std::vector<Violation> found;
  for (const auto& [relative, copy] : crashed.current) CheckName(relative, copy, expected, &found);
  for (const auto& [relative, copy] : expected.before.current)
    if (crashed.current.count(relative) == 0)
      Add(&found, Invariant::kOldOrNew, relative + ", backed up before the run, is gone");
  CheckVersions(crashed, expected, &found);
  CheckOldCopiesKept(crashed, expected, &found);
  CheckRecordAfterCrash(crashed, expected, &found);
  return found;
}

std::vector<Violation> CheckRerun(const TargetView& after, const TargetView& durable,
                                  const RunOutcome& rerun, const Expectation& expected) {
  std::vector<Violation> found;
  if (rerun.results.AnyFailed())
    Add(&found, Invariant::kRerunConverges, rerun.results.counters.SummaryText());
  if (after.current != expected.source) {
    for (const auto& [relative, copy] : expected.source) {
      const auto got = after.current.find(relative);
      if (got == after.current.end() || got->second != copy)
        Add(&found, Invariant::kRerunConverges,
            relative + " is not the source's " + Describe(copy) + " after the rerun");
    }
    if (after.current.size() > expected.source.size())
      Add(&found, Invariant::kRerunConverges, "the rerun left names that are not the source's");
  }
  if (TargetKey(durable) != TargetKey(after))
    Add(&found, Invariant::kEndedDurable, "the rerun's backup is not all on the disk at its end");
  CheckVersions(after, expected, &found);
  CheckOldCopiesKept(after, expected, &found);  // now in a version folder: the names are new
  CheckRecordAfterRerun(after, expected, &found);
  return found;
}

}  // namespace qs::test
