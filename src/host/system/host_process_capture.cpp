#include "host/system/host_process_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

#include "host/system/host_process.h"

namespace verolink::host {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads until end of file or the deadline; false on the deadline or an error.
bool ReadAll(int fd, std::chrono::steady_clock::time_point deadline, std::string& out) {
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv,
                                         std::chrono::milliseconds timeout) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
  Descriptor readEnd(ends[0]);
  Descriptor writeEnd(ends[1]);

  pid_t pid = 0;
  try {
    pid = SpawnWithOutput(argv, writeEnd.get());
  } catch (const std::exception&) {
    return std::nullopt;
  }
  writeEnd.Close();

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string out;
  const bool complete = ReadAll(readEnd.get(), deadline, out);
  if (!complete) ::kill(pid, SIGKILL);
  HostStartedProcess process(pid);
  // After the end of its output the program is about to exit; a killed one
  // ends at once.
  if (!process.WaitForExit(complete ? timeout : std::chrono::milliseconds(1000)) || !complete ||
      process.ExitCode() != 0) {
    return std::nullopt;
  }
  return out;
}

}  // namespace verolink::host
