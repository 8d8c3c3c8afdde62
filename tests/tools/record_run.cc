// qs_record_run TARGET HOURS_AGO EXIT_STATUS: appends to TARGET's record one run that ended
// HOURS_AGO hours before now with EXIT_STATUS, so that the window's cases can start from a
// backup of a known age. Exit status 1 when the record cannot take it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/paths.h"
#include "engine/record_facts.h"
#include "engine/record_store.h"
#include "os/clock.h"
#include "os/error_text.h"
#include "os/file_system.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: qs_record_run TARGET HOURS_AGO EXIT_STATUS\n");
    return 2;
  }
  const std::unique_ptr<qs::FileSystem> fs = qs::MakeRealFileSystem();
  const std::string target = qs::WithTrailingSeparator(argv[1]);
  qs::RecordStore store = qs::RecordStore::Open(*fs, target);
  qs::RunFact run;
  run.number = store.history().runs().size() + 1;
  run.endTicks = qs::RealClock().WallTicks() - std::atoll(argv[2]) * int64_t{36000000000};
  run.startTicks = run.endTicks - 10000000;
  run.sourceRoot = "(recorded by qs_record_run)";
  run.exitStatus = std::atoi(argv[3]);
  run.fullListing = true;
  uint32_t code = 0;
  if (store.Append(*fs, qs::FrameKind::kRun, qs::EncodeRun(run), &code)) return 0;
  std::fprintf(stderr, "qs_record_run: cannot append to %s: %s\n", target.c_str(),
               qs::ErrorCodeText(code).c_str());
  return 1;
}
