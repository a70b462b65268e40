// Start-up, measured from outside: the real executable beside a bare Qt program that shows one empty window (a plain
// Qt program: no icon, no desktop entry), alternating in one run.
//
// On the offscreen platform a preloaded driver writes one byte at the first window shown (or once its content has
// been drawn) and ends the process. On a bare Xvfb (no window manager, the xcb platform, nothing preloaded) the
// benchmark itself watches the X server and stops the process when its first top-level window is mapped. The peak
// memory is the child's maximum resident set at that moment.
//
// Usage: bench_startup [program bare preload [runs]]   (default: the build's executables, 15 runs)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef PALL_HAVE_XCB
#include <xcb/xcb.h>
#endif

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
  double ms;
  double cpuMs;  // user and system time of the child: less swayed than the wall clock by other work on the machine
  long peakKiB;
};

struct Usage {
  double cpuMs;
  long peakKiB;
};

// This process's environment with the platform, the preload and the driver's variables replaced by `extra`.
std::vector<std::string> ChildEnvironment(std::vector<std::string> extra) {
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) && entry.rfind("LD_PRELOAD=", 0) && entry.rfind("PALL_DRIVER", 0) &&
        entry.rfind("DISPLAY=", 0))
      extra.push_back(entry);
  }
  return extra;
}

// The child's diagnostics (Qt's notes on a missing runtime folder and the like) would bury the figures: a failed
// start shows in its exit status instead.
pid_t Spawn(std::vector<std::string> args, std::vector<std::string> env) {
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

Usage Reap(pid_t pid, bool mustExitCleanly, const std::string& program) {
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (mustExitCleanly && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) {
    std::fprintf(stderr, "%s did not show a window (status %d)\n", program.c_str(), status);
    std::exit(1);
  }
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss};
}

Sample RunOffscreen(const std::string& program, const std::string& preload, const char* mode) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(2);
  const auto start = Clock::now();
  const pid_t pid = Spawn(
      {program}, ChildEnvironment({"QT_QPA_PLATFORM=offscreen", "LD_PRELOAD=" + preload,
                                   std::string("PALL_DRIVER=") + mode, "PALL_DRIVER_FD=" + std::to_string(fds[1])}));
  if (pid <= 0) std::exit(2);
  close(fds[1]);
  char byte = 0;
  const ssize_t got = read(fds[0], &byte, 1);
  const auto shown = Clock::now();
  close(fds[0]);
  const Usage usage = Reap(pid, true, program);
  if (got != 1) {
    std::fprintf(stderr, "%s did not show a window\n", program.c_str());
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(shown - start).count(), usage.cpuMs, usage.peakKiB};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs both programs alternately (after one warm-up run each, for the file cache) and prints the medians.
template <typename RunFn>
void Compare(const char* title, int runs, RunFn run) {
  std::vector<Sample> program, bare;
  run(true);
  run(false);
  for (int i = 0; i < runs; ++i) {
    program.push_back(run(true));
    bare.push_back(run(false));
  }
  const auto median = [](const std::vector<Sample>& samples, auto field) {
    std::vector<double> values;
    for (const Sample& sample : samples) values.push_back(static_cast<double>(sample.*field));
    return Median(values);
  };
  const double pm = median(program, &Sample::ms), bm = median(bare, &Sample::ms);
  const double pc = median(program, &Sample::cpuMs), bc = median(bare, &Sample::cpuMs);
  const double pk = median(program, &Sample::peakKiB), bk = median(bare, &Sample::peakKiB);
  std::printf("%s, median of %d runs\n", title, runs);
  std::printf("                  %8s     %8s     %8s\n", "wall", "CPU", "peak RSS");
  std::printf("  Pallastrovane : %8.1f ms  %8.1f ms  %8.0f KiB\n", pm, pc, pk);
  std::printf("  bare Qt window: %8.1f ms  %8.1f ms  %8.0f KiB\n", bm, bc, bk);
  std::printf("  ratio         : %8.2f x   %8.2f x   %8.2f x    (goal: at most 1.25 x)\n", pm / bm, pc / bc, pk / bk);
  std::fflush(stdout);
}

#ifdef PALL_HAVE_XCB
// A bare Xvfb of its own; the X connection sees every top-level window mapped on it.
class XServer {
 public:
  bool Start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    // It reports each display number it finds taken on its way to a free one.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"Xvfb",      "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                                     "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&server_, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) server_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    char c;
    while (server_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    connection_ = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(connection_, xcb_change_window_attributes_checked(connection_, root, XCB_CW_EVENT_MASK, &mask));
    return true;
  }

  ~XServer() {
    if (connection_) xcb_disconnect(connection_);
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }

  const std::string& Display() const { return display_; }

  // Waits for a top-level window to be mapped; false after ten seconds without one or when the X server is gone.
  bool WaitForMap() {
    const auto limit = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < limit) {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) return true;
      }
      if (xcb_connection_has_error(connection_)) return false;
      pollfd fd = {xcb_get_file_descriptor(connection_), POLLIN, 0};
      poll(&fd, 1, 100);
    }
    return false;
  }

  // Drops the events of a run that has ended (its windows' unmapping and destruction).
  void Drain() {
    xcb_aux_sync();
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
  }

 private:
  void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

  pid_t server_ = -1;
  std::string display_;
  xcb_connection_t* connection_ = nullptr;
};

Sample RunOnXvfb(XServer& x, const std::string& program) {
  const auto start = Clock::now();
  const pid_t pid = Spawn({program}, ChildEnvironment({"QT_QPA_PLATFORM=xcb", "DISPLAY=" + x.Display()}));
  if (pid <= 0) std::exit(2);
  const bool mapped = x.WaitForMap();
  const auto shown = Clock::now();
  kill(pid, SIGKILL);
  const Usage usage = Reap(pid, false, program);
  x.Drain();
  if (!mapped) {
    std::fprintf(stderr, "%s mapped no window on Xvfb\n", program.c_str());
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(shown - start).count(), usage.cpuMs, usage.peakKiB};
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string program = argc > 1 ? argv[1] : PALL_PROGRAM;
  const std::string bare = argc > 2 ? argv[2] : PALL_BARE_PROGRAM;
  const std::string preload = argc > 3 ? argv[3] : PALL_DRIVER_PRELOAD;
  const int runs = argc > 4 ? std::atoi(argv[4]) : 15;

#ifdef PALL_HAVE_XCB
  if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) {
    std::printf("exec to the first window mapped on Xvfb: skipped, Xvfb is not installed\n");
  } else if (XServer x; !x.Start()) {
    std::printf("exec to the first window mapped on Xvfb: skipped, Xvfb did not start\n");
  } else {
    Compare("exec to the first window mapped (bare Xvfb, xcb)", runs,
            [&](bool real) { return RunOnXvfb(x, real ? program : bare); });
  }
#endif
  Compare("exec to show of the first window (offscreen)", runs,
          [&](bool real) { return RunOffscreen(real ? program : bare, preload, "first-show"); });
  Compare("exec to the first drawn frame of the first window (offscreen)", runs,
          [&](bool real) { return RunOffscreen(real ? program : bare, preload, "first-frame"); });
  return 0;
}
