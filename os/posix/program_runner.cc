// posix_spawnp with standard output and error on one pipe, standard input from /dev/null. The
// pipe is read until the program closes it or the time runs out; then the program is reaped.
#include "os/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "os/error_text.h"

extern char** environ;

namespace qs {

namespace {

constexpr auto kTimeLimit = std::chrono::seconds(60);

/// Reads `fd` to its end or to the deadline; false when the time ran out.
bool ReadUntilClosed(int fd, std::string* output) {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd ready = {fd, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left.count()));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return false;
    const ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    output->append(buffer, static_cast<size_t>(got));
  }
}

int Spawn(const std::vector<std::string>& args, int out_fd, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 2);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int result = posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

class SpawningRunner : public ProgramRunner {
 public:
  ProgramOutput Run(const std::vector<std::string>& args) override {
    ProgramOutput result;
    int fds[2];
    if (args.empty() || pipe2(fds, O_CLOEXEC) != 0) return result;
    pid_t pid = 0;
    const int spawned = Spawn(args, fds[1], &pid);
    close(fds[1]);
    if (spawned != 0) {
      close(fds[0]);
      result.output = args[0] + " could not be started: " + ErrorCodeText(spawned);
      return result;
    }
    const bool ended = ReadUntilClosed(fds[0], &result.output);
    close(fds[0]);
    if (!ended) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!ended)
      result.output += args[0] + " did not end within 60 seconds and was stopped.";
    else if (WIFEXITED(status))
      result.status = WEXITSTATUS(status);
    return result;
  }
};

}  // namespace

std::unique_ptr<ProgramRunner> MakeProgramRunner() { return std::make_unique<SpawningRunner>(); }

}  // namespace qs
