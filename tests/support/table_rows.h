// Names each row of a table-driven test after the row's `name` field, so that a row shows, and can be filtered, as
// Suite/Test/Name. It only names rows; the rows and their checks stay in each test file.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

struct RowName {
  template <class Row>
  std::string operator()(const testing::TestParamInfo<Row>& info) const {
    return std::string(info.param.name);
  }
};

}  // namespace testing_support
