#include "os/posix/posix_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/posix/posix_fd.h"
#include "os/posix/posix_path.h"

namespace qs::posix {

namespace {

class PosixFileReader : public FileReader {
 public:
  explicit PosixFileReader(int fd) : fd_(fd) {}
  int64_t Read(char* buffer, size_t size) override {
    for (;;) {
      const ssize_t n = read(fd_.get(), buffer, size);
      if (n >= 0) return n;
      if (errno != EINTR) return Fail(), -1;
    }
  }

 private:
  ScopedFd fd_;
};

}  // namespace

std::unique_ptr<FileReader> OpenFileReader(const std::string& path) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail(), nullptr;
  // O_NONBLOCK: a pipe at the path must not wait for a writer; it is refused below anyway.
  ScopedFd fd(openat(at.dir(), at.rest().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  struct stat st;
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0) return Fail(), nullptr;
  if (!S_ISREG(st.st_mode)) return FailWith(S_ISDIR(st.st_mode) ? EISDIR : EINVAL), nullptr;
  // Read from the start to the end once: let the system read ahead.
  posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<PosixFileReader>(fd.release());
}

bool AppendAndFlush(const std::string& path, const std::string& bytes) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  ScopedFd fd(openat(at.dir(), at.rest().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) return Fail();
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno != EINTR) return Fail();
    if (n > 0) done += static_cast<size_t>(n);
  }
  return fdatasync(fd.get()) == 0 || Fail();
}

}  // namespace qs::posix
