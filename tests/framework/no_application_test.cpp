// A process that has made no Qt application yet: the first operation on a window or a control makes one
// instead of ending the process through Qt's fatal error. Each case runs in a child process of its own, so that
// each meets a process without an application.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "framework/controls.h"
#include "framework/window.h"
#include "tests/support/table_rows.h"

namespace {

struct FirstOperation {
  const char* name;
  std::function<bool()> run;  // true when the operation did what it says
};

const FirstOperation kFirstOperations[] = {
    {"WindowBuiltAndShown",
     [] {
       auto window = RuntimeNewObject<Window>();
       window->Constructor();
       return window->IsVisible();
     }},
    {"ControlMadeForAWindowNotYetBuilt",
     [] {
       auto window = RuntimeNewObject<Window>();
       Ref<Object> label = window->New_(Label::ClassRecord());
       window->Constructor();
       return label && window->IsLive();
     }},
};

class NoApplication : public ::testing::TestWithParam<FirstOperation> {};

TEST_P(NoApplication, FirstOperationMakesTheApplication) {
  // _Exit: the child reports through its exit code only, without running the parent's clean-up a second time.
  EXPECT_EXIT(std::_Exit(GetParam().run() ? 0 : 2), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Framework, NoApplication, ::testing::ValuesIn(kFirstOperations), testing_support::RowName());

}  // namespace
