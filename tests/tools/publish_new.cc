// qs_publish_new FROM TO: copies FROM to TO as a run saves an old version, put in place only
// where nothing has the name TO. Prints "published", or "refused CODE" with the system's error
// code, and exits 0 or 1; 2 when the copy cannot even be made.
#include <cstdio>
#include <memory>

#include "os/file_system.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qs_publish_new FROM TO\n");
    return 2;
  }
  std::unique_ptr<qs::FileSystem> fs = qs::MakeRealFileSystem();
  std::unique_ptr<qs::PendingCopy> copy = fs->PrepareCopy(argv[1], argv[2]);
  if (copy == nullptr || !copy->Flush()) {
    std::fprintf(stderr, "qs_publish_new: cannot copy %s: %u\n", argv[1], fs->LastErrorCode());
    return 2;
  }
  if (copy->PublishNew()) {
    std::printf("published\n");
    return 0;
  }
  std::printf("refused %u\n", fs->LastErrorCode());
  return 1;
}
