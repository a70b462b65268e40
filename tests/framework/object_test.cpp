#include "framework/object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

class Shape : public Object {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "Shape", .base = &Object::ClassRecord()};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

class Square : public Shape {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{
        .fullName = "Square", .base = &Shape::ClassRecord(), .factory = [] { return std::make_shared<Square>(); }};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  void Constructor() { constructed = true; }
  bool constructed = false;
};

class Circle : public Shape {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "Circle", .base = &Shape::ClassRecord()};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

TEST(Object, CastsFollowTheClassRecords) {
  const Ref<Object> square = std::make_shared<Square>();
  EXPECT_EQ(RuntimeCheckCast<Square>(square), square);
  EXPECT_EQ(RuntimeCheckCast<Shape>(square), square);
  EXPECT_EQ(RuntimeCheckCast<Object>(square), square);
  EXPECT_EQ(RuntimeCheckCast<Circle>(nullptr), nullptr);

  struct {
    const char* name;
    Ref<Object> object;
    const ClassInfo& target;
  } const refused[] = {
      {"sibling class", square, Circle::ClassRecord()},
      {"base to derived", std::make_shared<Shape>(), Square::ClassRecord()},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    try {
      RuntimeCheckCast(c.object, c.target);
      ADD_FAILURE() << "cast accepted";
    } catch (const IllegalCastException& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.object->GetClass().fullName), std::string::npos) << message;
      EXPECT_NE(message.find(c.target.fullName), std::string::npos) << message;
    }
  }
}

TEST(Object, WeakRefGivesNoneOnceTheObjectIsGone) {
  auto square = std::make_shared<Square>();
  WeakRef weak(square);
  EXPECT_EQ(weak.Value(), square);
  square.reset();
  EXPECT_EQ(weak.Value(), nullptr);
  EXPECT_EQ(WeakRef().Value(), nullptr);
}

TEST(Object, LiveObjectCountFollowsEveryObjectAndCopy) {
  const int64_t before = LiveObjectCount();
  {
    auto square = std::make_shared<Square>();
    NilObjectException original("gone");
    Ref<RuntimeException> copy = original.Clone();
    EXPECT_EQ(LiveObjectCount(), before + 3);
    EXPECT_EQ(copy->ClassName(), "NilObjectException");
    EXPECT_STREQ(copy->what(), "gone");
  }
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST(Object, NewObjectIsNotYetConstructed) {
  Ref<Square> square = RuntimeNewObject<Square>();
  ASSERT_NE(square, nullptr);
  EXPECT_FALSE(square->constructed);
  EXPECT_THROW(RuntimeNewObject(Circle::ClassRecord()), FunctionNotFoundException);
}

// Classes that nothing else in this process asks for, so their registration order is this test's alone.
template <int N>
const ClassInfo& Listed() {
  static const ClassInfo record{.fullName = "Listed" + std::to_string(N), .base = &Object::ClassRecord()};
  return RuntimeRegisterClass(record);
}

TEST(Object, ClassIsRegisteredOnceAtItsFirstRequest) {
  ASSERT_EQ(RuntimeFindClass("Listed1"), nullptr);
  ASSERT_EQ(RuntimeFindClass("Listed2"), nullptr);
  EXPECT_TRUE(RuntimeIsClassRegistered(Listed<2>()));  // asked for ahead of its turn in the list
  const std::array<ClassInitializer, 3> list = {&Listed<1>, &Listed<2>, &Listed<3>};
  RuntimePerformInitializers(list);
  RuntimePerformInitializers(list);
  EXPECT_EQ(RuntimeFindClass("Listed3"), &Listed<3>());

  const std::vector<std::string> names = RuntimeRegisteredClassNames();
  auto position = [&](const std::string& name) {
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name;
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  EXPECT_LT(position("Listed2"), position("Listed1"));
  EXPECT_LT(position("Listed1"), position("Listed3"));
  EXPECT_LT(position("Object"), position("Listed2"));
}

TEST(Object, ExceptionsNameTheirClass) {
  struct {
    const char* name;
    Ref<RuntimeException> exception;
  } const cases[] = {
      {"RuntimeException", std::make_shared<RuntimeException>("m")},
      {"NilObjectException", std::make_shared<NilObjectException>("m")},
      {"IllegalCastException", std::make_shared<IllegalCastException>("m")},
      {"OutOfBoundsException", std::make_shared<OutOfBoundsException>("m")},
      {"TypeMismatchException", std::make_shared<TypeMismatchException>("m")},
      {"UnsupportedFormatException", std::make_shared<UnsupportedFormatException>("m")},
      {"FunctionNotFoundException", std::make_shared<FunctionNotFoundException>("m")},
      {"StackOverflowException", std::make_shared<StackOverflowException>("m")},
      {"ThreadAccessingUIException", std::make_shared<ThreadAccessingUIException>("m")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.exception->ClassName(), c.name);
    EXPECT_EQ(c.exception->Clone()->ClassName(), c.name);
    EXPECT_TRUE(c.exception->GetClass().DerivesFrom(RuntimeException::ClassRecord()));
    EXPECT_EQ(RuntimeFindClass(c.name), &c.exception->GetClass());
  }
}

}  // namespace
