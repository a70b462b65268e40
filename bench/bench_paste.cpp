// A large paste into the calculator's p-value field, on a real X server: Xvfb with openbox, the xcb platform, the
// text owned by xclip and pasted with a real Ctrl+V from xdotool, then Calculate clicked with the mouse. Each size
// runs in a fresh process, so its peak resident set is its own.
//
// A paste counts as done when the GUI thread, asked from another thread every few milliseconds through the event
// queue, finds the whole text in the field and then answers once more, so that what the paste queued (layout,
// painting) has run too. Calculate likewise: until the report has replaced the text.
//
// Usage: bench_paste [megabytes ...] [--timeout seconds]   (default: 1 10, 300 s a run)
// Skips with a message where Xvfb, openbox, xdotool or xclip is missing.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "calculator/calculate_report.h"
#include "calculator/control_wnd.h"
#include "framework/controls.h"
#include "framework/internal/native.h"
#include "framework/services.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool OnPath(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {},
            posix_spawn_file_actions_t* actions = nullptr) {
  std::vector<std::string> env = extraEnv;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> envp, argv;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// ---- the measured process

QTextDocument* DocumentOf(const Ref<TextArea>& field) {
  auto* widget = (internal::Native::Widget(*field));
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->document();
  if (auto* rich = qobject_cast<QTextEdit*>(widget)) return rich->document();
  return nullptr;
}

// Runs f on the GUI thread through the event queue and waits for its answer.
template <class F>
auto InGui(F f) -> decltype(f()) {
  std::packaged_task<decltype(f())()> task(std::move(f));
  auto answer = task.get_future();
  QMetaObject::invokeMethod(
      qApp, [&task] { task(); }, Qt::QueuedConnection);
  return answer.get();
}

// Asks the GUI thread until the condition holds there, then once more; the time of that last answer, or a
// negative time when the limit passed first.
template <class F>
double UntilAnswered(Clock::time_point start, double limitMs, F condition) {
  while (!InGui(condition)) {
    if (MsSince(start) > limitMs) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  InGui([] { return true; });
  return MsSince(start);
}

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

// xclip -verbose writes a line as it starts waiting for each request for the text, the first before any came.
int TextRequestsLogged(const std::string& log) {
  std::ifstream in(log);
  int waits = 0;
  for (std::string line; std::getline(in, line);) waits += line.find("Waiting for selection request") != line.npos;
  return waits - 1;
}

int Measure(int argc, char** argv, std::size_t bytes, double limitMs) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  SetMessagePresenterForTesting([](const std::string&) {});

  // A column of p values as a spreadsheet copies it: LF breaks, ten bytes a line.
  std::string text;
  text.reserve(bytes + 16);
  for (long i = 0; text.size() + 10 <= bytes; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "0.%07ld\n", (i * 7919) % 10000000);
    text += line;
  }
  const long lines = static_cast<long>(text.size() / 10);
  std::string asTyped;  // the field gives its text with CR LF breaks
  for (char c : text) asTyped += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string report = CalculateReport("999", ".05", asTyped, [](const std::string&) {}).value_or("");
  const int reportChars = static_cast<int>(QString::fromStdString(report).remove(u'\r').size()) + 1;
  char path[] = "/tmp/bench_paste_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return 2;
  close(fd);

  Ref<ControlWnd> window = ControlWnd::Implicit();
  window->Show();
  Ref<TextArea> field = window->InputFld1();
  auto* fieldWidget = (internal::Native::Widget(*field));
  auto* button = static_cast<QPushButton*>(internal::Native::Widget(*window->CalculateBtn()));

  int result = 0;
  std::thread driver([&] {
    // In the foreground, so that it can be stopped; it serves the clipboard until then, and logs each request for
    // the text (not those for its formats) as it starts waiting for the next.
    const std::string ownerLog = std::string(path) + ".owner";
    posix_spawn_file_actions_t logged;
    posix_spawn_file_actions_init(&logged);
    posix_spawn_file_actions_addopen(&logged, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&logged, STDERR_FILENO, ownerLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t owner = Spawn({"xclip", "-verbose", "-selection", "clipboard", "-i", path}, {}, &logged);
    posix_spawn_file_actions_destroy(&logged);
    const auto ready = Clock::now();
    while (!Run("timeout 2 xclip -o -selection clipboard -t TARGETS >/dev/null 2>&1") && MsSince(ready) < 10000) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    while (!InGui([&] {
      fieldWidget->window()->activateWindow();
      field->SetFocus();
      return fieldWidget->window()->isActiveWindow() && fieldWidget->hasFocus();
    })) {
      if (MsSince(ready) > 10000) {
        std::fprintf(stderr, "the calculator window never took the focus\n");
        result = 1;
        Stop(owner);
        InGui([] { return QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); });
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    // A key press sent while the window manager is still settling the focus can be lost: when the GUI thread
    // answers with the field still empty two seconds later, the paste never started, and the key is sent again
    // (the paste's own clipboard transfer blocks the GUI thread, so it cannot be mistaken for one).
    auto pasteStart = Clock::now();
    Run("xdotool key --clearmodifiers ctrl+v");
    double pasteMs = -1;
    for (int sent = 1;;) {
      const int count = InGui([&] { return DocumentOf(field)->characterCount(); });
      if (count > lines * 9) {
        InGui([] { return true; });
        pasteMs = MsSince(pasteStart);
        break;
      }
      if (MsSince(pasteStart) > limitMs) break;
      if (count <= 1 && MsSince(pasteStart) > 2000 && sent < 5) {
        InGui([&] {
          fieldWidget->window()->activateWindow();
          field->SetFocus();
          return true;
        });
        pasteStart = Clock::now();
        Run("xdotool key --clearmodifiers ctrl+v");
        ++sent;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Stop(owner);
    const int transfers = TextRequestsLogged(ownerLog);
    unlink(ownerLog.c_str());

    double calculateMs = -1;
    if (pasteMs >= 0) {
      const QPoint centre = InGui([&] {
        window->Nvariables()->Text("999");
        window->ErrorFld()->Text(".05");
        return button->mapToGlobal(button->rect().center());
      });
      const auto clickStart = Clock::now();
      Run("xdotool mousemove " + std::to_string(centre.x()) + " " + std::to_string(centre.y()) + " click 1");
      calculateMs = UntilAnswered(clickStart, limitMs, [&] {
        return DocumentOf(field)->characterCount() == reportChars && field->Text() == report;
      });
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld %.1f %.1f %ld %d\n", lines, pasteMs, calculateMs, usage.ru_maxrss, transfers);
    std::fflush(stdout);
    InGui([] { return QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); });
  });
  app.exec();
  driver.join();
  unlink(path);
  // The window's Close handler would end the run-time; the process ends here anyway.
  std::_Exit(result);
}

// ---- the driver: one X server for every size, one process a size

struct Outcome {
  bool finished = false;
  long lines = 0;
  double pasteMs = -1, calculateMs = -1;
  long peakKiB = 0;
  int transfers = -1;  // requests for the clipboard's text that the paste made of its owner
};

Outcome RunSize(const char* self, double megabytes, double limitS, const std::string& display) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(2);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  const auto bytes = static_cast<std::size_t>(megabytes * 1024 * 1024);
  pid_t pid = Spawn({self, "--measure", std::to_string(bytes), std::to_string(limitS * 1000)}, {"DISPLAY=" + display},
                    &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  Outcome outcome;
  std::string line;
  const auto start = Clock::now();
  // The child reports before it ends; a child stuck past the limit (plus set-up time) is killed.
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    const double left = limitS * 1000 + 30000 - MsSince(start);
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) break;
    char buffer[256];
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    line.append(buffer, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  outcome.finished = std::sscanf(line.c_str(), "%ld %lf %lf %ld %d", &outcome.lines, &outcome.pasteMs,
                                 &outcome.calculateMs, &outcome.peakKiB, &outcome.transfers) == 5;
  return outcome;
}

std::string Figure(double ms, double limitS) {
  if (ms < 0) return "> " + std::to_string(static_cast<int>(limitS)) + " s (stopped)";
  char text[32];
  std::snprintf(text, sizeof text, "%.0f ms", ms);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--measure") {
    int qtArgc = 1;
    return Measure(qtArgc, argv, std::stoul(argv[2]), std::stod(argv[3]));
  }
  std::vector<double> sizes;
  double limitS = 300;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--timeout" && i + 1 < argc) {
      limitS = std::stod(argv[++i]);
    } else {
      sizes.push_back(std::stod(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1, 10};
  for (const char* tool : {"Xvfb", "openbox", "xdotool", "xclip"}) {
    if (!OnPath(tool)) {
      std::printf("bench_paste: skipped, %s is not installed (it needs Xvfb, openbox, xdotool and xclip)\n", tool);
      return 0;
    }
  }

  int displayPipe[2];
  if (pipe(displayPipe) != 0) return 2;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, displayPipe[0]);
  const pid_t xvfb =
      Spawn({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
            {}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(displayPipe[1]);
  std::string number;
  char c;
  while (read(displayPipe[0], &c, 1) == 1 && c != '\n') number += c;
  close(displayPipe[0]);
  if (xvfb <= 0 || number.empty()) {
    std::printf("bench_paste: skipped, Xvfb did not start\n");
    Stop(xvfb);
    return 0;
  }
  const std::string display = ":" + number;
  const pid_t wm = Spawn({"openbox"}, {"DISPLAY=" + display});
  // The window manager is up once it has published its desktops.
  const auto wmStart = Clock::now();
  while (!Run("DISPLAY=" + display + " xdotool get_num_desktops >/dev/null 2>&1") && MsSince(wmStart) < 10000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

  std::printf("Paste into the p-value field (Xvfb, openbox, xcb; Ctrl+V of a clipboard owned by xclip)\n");
  std::printf("  %8s %9s %18s %24s %10s %16s\n", "size", "lines", "paste", "Calculate 999 after", "peak RSS",
              "text transfers");
  for (double megabytes : sizes) {
    const Outcome o = RunSize(argv[0], megabytes, limitS, display);
    if (!o.finished) {
      std::printf("  %6.2f MB: no result within the limit of %.0f s\n", megabytes, limitS);
      continue;
    }
    std::printf("  %6.2f MB %9ld %18s %24s %7ld MB %16d\n", megabytes, o.lines, Figure(o.pasteMs, limitS).c_str(),
                Figure(o.calculateMs, limitS).c_str(), o.peakKiB / 1024, o.transfers);
  }
  Stop(wm);
  Stop(xvfb);
  return 0;
}
