#include "host/system/host_process.h"

#include <glib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "window/ui_services.h"

namespace verolink::host {

namespace {

// Runs in the child before exec: a process group of its own, default signal
// handling and an empty signal mask, whatever the window set up for itself.
void ResetChild(gpointer) {
  setpgid(0, 0);
  for (int signal = 1; signal < NSIG; ++signal) ::signal(signal, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

void WaitBlocking(pid_t pid) {
  while (waitpid(pid, nullptr, 0) == -1 && errno == EINTR) {
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const Text& commandLine) {
  std::vector<std::string> words;
  gchar** pieces = g_strsplit_set(ToUtf8(commandLine).c_str(), " \t", -1);
  for (gchar** piece = pieces; *piece != nullptr; ++piece) {
    if (**piece != '\0') words.emplace_back(*piece);  // runs of blanks leave empty pieces
  }
  g_strfreev(pieces);
  return words;
}

pid_t SpawnQuietly(const std::vector<std::string>& argv) {
  if (argv.empty()) throw ProcessStartError("empty command line");
  std::vector<gchar*> args;
  for (const auto& arg : argv) args.push_back(const_cast<gchar*>(arg.c_str()));
  args.push_back(nullptr);
  // GLib gives the child /dev/null for stdin, closes every descriptor beyond
  // the three, and reports a failed exec as an error of the call itself.
  const auto flags =
      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                               G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
  GPid pid = 0;
  GError* error = nullptr;
  if (!g_spawn_async(nullptr, args.data(), nullptr, flags, ResetChild, nullptr, &pid, &error)) {
    const std::string why = "cannot start " + argv[0] + ": " + error->message;
    g_error_free(error);
    throw ProcessStartError(why);
  }
  return pid;
}

HostStartedProcess::~HostStartedProcess() {
  if (Reaped()) return;
  try {
    std::thread(WaitBlocking, pid_).detach();
  } catch (...) {
    // No thread to spare: the child is reaped when the program ends.
  }
}

bool HostStartedProcess::Reaped() {
  if (ended_) return true;
  pid_t result;
  do {
    result = waitpid(pid_, nullptr, WNOHANG);
  } while (result == -1 && errno == EINTR);
  ended_ = result != 0;  // ended, or reaped elsewhere (ECHILD, e.g. SIGCHLD ignored)
  return ended_;
}

bool HostStartedProcess::WaitLooking(std::chrono::milliseconds timeout, EventPump* events) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  auto interval = std::chrono::milliseconds(1);
  while (!Reaped()) {
    const auto now = Clock::now();
    if (now >= deadline) return false;
    const auto pause =
        std::min(interval, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
    // Events end the pause early; once the program is ending, it is slept.
    if (events != nullptr && !events->ProcessEventsFor(pause)) events = nullptr;
    if (events == nullptr) std::this_thread::sleep_for(pause);
    interval = std::min(interval * 2, std::chrono::milliseconds(50));
  }
  return true;
}

std::unique_ptr<StartedProcess> HostProcessLauncher::Start(const Text& commandLine,
                                                           int /*windowStyle*/) {
  return std::make_unique<HostStartedProcess>(SpawnQuietly(SplitCommandLine(commandLine)));
}

}  // namespace verolink::host
