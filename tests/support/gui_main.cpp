// The one QApplication of a GUI test binary. The platform comes from the environment (CTest sets
// QT_QPA_PLATFORM=offscreen), never from the program.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
