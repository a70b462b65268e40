// Start-up, measured from outside: the real executable from exec to its first window shown, beside a bare Qt
// program that shows one empty window, both on the offscreen platform, alternating in one run. A preloaded driver
// writes one byte at the first window shown and ends the process; the peak memory is the child's maximum resident
// set at that moment.
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

extern char** environ;

namespace {

struct Sample {
  double ms;
  long peakKiB;
};

Sample RunOnce(const std::string& program, const std::string& preload, const char* mode) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(2);
  std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "LD_PRELOAD=" + preload,
                                  std::string("PALL_DRIVER=") + mode, "PALL_DRIVER_FD=" + std::to_string(fds[1])};
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) && entry.rfind("LD_PRELOAD=", 0) && entry.rfind("PALL_DRIVER", 0))
      env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = program;
  char* argv[] = {path.data(), nullptr};

  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0) std::exit(2);
  close(fds[1]);
  char byte = 0;
  ssize_t got = read(fds[0], &byte, 1);
  auto shown = std::chrono::steady_clock::now();
  close(fds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (got != 1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s did not show a window (status %d)\n", program.c_str(), status);
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(shown - start).count(), usage.ru_maxrss};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = argc > 1 ? argv[1] : PALL_PROGRAM;
  const std::string bare = argc > 2 ? argv[2] : PALL_BARE_PROGRAM;
  const std::string preload = argc > 3 ? argv[3] : PALL_DRIVER_PRELOAD;
  const int runs = argc > 4 ? std::atoi(argv[4]) : 15;
  for (const char* mode : {"first-show", "first-frame"}) {
    std::vector<double> programMs, bareMs, programKiB, bareKiB;
    RunOnce(program, preload, mode);  // warm the file cache for both
    RunOnce(bare, preload, mode);
    for (int i = 0; i < runs; ++i) {
      Sample p = RunOnce(program, preload, mode);
      Sample b = RunOnce(bare, preload, mode);
      programMs.push_back(p.ms);
      bareMs.push_back(b.ms);
      programKiB.push_back(static_cast<double>(p.peakKiB));
      bareKiB.push_back(static_cast<double>(b.peakKiB));
    }
    double pm = Median(programMs), bm = Median(bareMs), pk = Median(programKiB), bk = Median(bareKiB);
    std::printf("exec to %s of the first window, median of %d runs (offscreen)\n",
                std::string(mode) == "first-show" ? "show" : "first drawn frame", runs);
    std::printf("  Pallastrovane : %8.1f ms  %8.0f KiB peak\n", pm, pk);
    std::printf("  bare Qt window: %8.1f ms  %8.0f KiB peak\n", bm, bk);
    std::printf("  ratio         : %8.2f x   %8.2f x   (goal: at most 1.30 x)\n", pm / bm, pk / bk);
  }
  return 0;
}
