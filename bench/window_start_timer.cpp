// Times a desktop program from its start to its first window being mapped on
// the X display ($DISPLAY), over a few runs; ends each run by SIGTERM.
//   window_start_timer RUNS PROGRAM [ARGS...]
// Prints one line per run and "median_ms=..." last. Not a benchmark of the
// Google kind: a start-up takes a whole process.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUp = std::chrono::seconds(10);

// Waits for a top-level window to be mapped; false after kGiveUp.
bool WaitForMap(Display* display, Clock::time_point start) {
  while (Clock::now() - start < kGiveUp) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect) return true;
    }
    usleep(200);
  }
  return false;
}

// One run: milliseconds from fork to the window's map, or a negative number.
double TimeOneStart(Display* display, char** argv) {
  XSync(display, True);  // forget earlier events
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[0], argv);
    _exit(127);
  }
  if (child < 0) return -1;
  const bool mapped = WaitForMap(display, start);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  return mapped ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s RUNS PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

  const int runs = std::max(1, std::atoi(argv[1]));
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double ms = TimeOneStart(display, argv + 2);
    if (ms < 0) {
      std::fprintf(stderr, "run %d: no window within %lld s\n", i + 1,
                   static_cast<long long>(kGiveUp.count()));
      return 1;
    }
    std::printf("run %d: %.1f ms\n", i + 1, ms);
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("min_ms=%.1f median_ms=%.1f max_ms=%.1f\n", times.front(), times[times.size() / 2],
              times.back());
  XCloseDisplay(display);
  return 0;
}
