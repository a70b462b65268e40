// Calculate with 999 values in the field: from the click on the button to the report set in the field, beside Qt
// setting the same text in a bare text field. Offscreen, real widgets, one run; medians over many clicks.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "calculator/calculate_report.h"
#include "calculator/control_wnd.h"
#include "framework/controls.h"
#include "framework/internal/native.h"
#include "framework/services.h"

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double MedianMs(int runs, F&& once) {
  std::vector<double> samples;
  for (int i = 0; i < runs; ++i) samples.push_back(once());
  return Median(samples);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  SetMessagePresenterForTesting([](const std::string&) {});
  const int runs = argc > 1 ? std::atoi(argv[1]) : 100;

  std::string values;
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "." + std::string at -O2 and above.
  for (int i = 0; i < 999; ++i) {
    values += '.';
    values += std::to_string(100000 + (i * 7919) % 900000);
    values += "\r\n";
  }
  const std::string report = *CalculateReport("999", ".05", values, [](const std::string&) {});

  Ref<ControlWnd> window = ControlWnd::Implicit();
  window->Nvariables()->Text("999");
  window->ErrorFld()->Text(".05");
  auto* button = static_cast<QPushButton*>(internal::Native::Widget(*window->CalculateBtn()));
  double click = MedianMs(runs, [&] {
    window->InputFld1()->Text(values);
    QCoreApplication::processEvents();
    auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    auto end = std::chrono::steady_clock::now();
    if (window->InputFld1()->Text() != report) std::exit(1);
    return std::chrono::duration<double, std::milli>(end - start).count();
  });

  QTextEdit bare;
  bare.resize(315, 220);
  bare.show();
  QString reportText = QString::fromStdString(report).replace("\r\n", "\n");
  double setText = MedianMs(runs, [&] {
    bare.setPlainText(QString::fromStdString(values).replace("\r\n", "\n"));
    QCoreApplication::processEvents();
    auto start = std::chrono::steady_clock::now();
    bare.setPlainText(reportText);
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
  });

  std::printf("Calculate with 999 values, click to report in the field, median of %d\n", runs);
  std::printf("  Calculate click       : %7.3f ms\n", click);
  std::printf("  bare QTextEdit setText: %7.3f ms\n", setText);
  std::printf("  ratio                 : %7.2f x  (goal: at most 2 x, and under 16 ms)\n", click / setText);
  for (const Ref<Window>& w : RuntimeLiveWindows()) w->Close();
  return 0;
}
