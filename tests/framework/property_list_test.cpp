#include "framework/property_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Every declared type, split over a base and a derived class so that base properties are found too.
class ListTargetBase : public Object {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "ListTargetBase",
                                  .base = &Object::ClassRecord(),
                                  .properties = {{"Name", PropType::Text}, {"Left", PropType::Integer}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  std::vector<std::string> sets;  // declared names, in the order they were set

 protected:
  void PropertyChanged(const std::string& declaredName) override { sets.push_back(declaredName); }
};

class ListTarget : public ListTargetBase {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "ListTarget.ListTarget",
                                  .base = &ListTargetBase::ClassRecord(),
                                  .properties = {{"RunMode", PropType::Enumeration},
                                                 {"Period", PropType::Integer},
                                                 {"Index", PropType::Integer},
                                                 {"MultiLine", PropType::Boolean},
                                                 {"Transparent", PropType::Boolean},
                                                 {"FontUnit", PropType::ByteEnumeration},
                                                 {"FontSize", PropType::Single},
                                                 {"LineSpacing", PropType::Double},
                                                 {"TextColor", PropType::Colour},
                                                 {"Value", PropType::Text},
                                                 {"Tooltip", PropType::Text}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

std::string Le32(uint32_t v) { return Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)}); }

// The list in a heap block of exactly its size, so that AddressSanitizer catches a read past the end.
void Apply(const Ref<Object>& target, const std::string& list) {
  auto block = std::make_unique<char[]>(list.size());
  std::copy(list.begin(), list.end(), block.get());
  RuntimeMassPropertySetter(target, std::string_view(block.get(), list.size()));
}

TEST(PropertyList, TimerListIsThirtyOneBytesOfTwoEntries) {
  PropertyList list{{"RunMode", Enumeration(1)}, {"Period", Integer(4000)}};
  const std::string expected =
      "RunMode " + Bytes({1, 0, 0, 0, 0, 0, 0, 0}) + "Period " + Bytes({0xA0, 0x0F, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(list.Bytes(), expected);
  ASSERT_EQ(list.Size(), 31u);

  auto target = std::make_shared<ListTarget>();
  Apply(target, list.Bytes());
  EXPECT_EQ(target->sets, (std::vector<std::string>{"RunMode", "Period"}));
  EXPECT_EQ(target->IntProperty("RunMode"), 1);
  EXPECT_EQ(target->IntProperty("Period"), 4000);
}

struct EncodingCase {
  const char* name;
  const char* key;
  TypedValue value;
  std::string encoded;  // the value's bytes after "key "
};

TEST(PropertyList, EncodesEachValueAndReadsItBack) {
  const std::string longText(3725, 'x');
  const EncodingCase cases[] = {
      {"text", "Name", Text("StaticText5"), Bytes({0x0B, 0, 0, 0}) + "StaticText5"},
      {"empty text", "Tooltip", Text(""), Bytes({0, 0, 0, 0})},
      {"text over 255 bytes", "Value", Text(longText), Bytes({0x8D, 0x0E, 0, 0}) + longText},
      {"two-byte character counts two", "Value", Text("\xC2\xA9 2023"), Bytes({7, 0, 0, 0}) + "\xC2\xA9 2023"},
      {"CR LF counts two", "Value", Text("a\r\nb"), Bytes({4, 0, 0, 0}) + "a\r\nb"},
      {"single 9", "FontSize", Single(9.0f), Bytes({0, 0, 0x10, 0x41})},
      {"single 12", "FontSize", Single(12.0f), Bytes({0, 0, 0x40, 0x41})},
      {"double 1", "LineSpacing", Double(1.0), Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F})},
      {"green colour", "TextColor", Colour(0x00058207), Bytes({0x07, 0x82, 0x05, 0})},
      {"white colour", "TextColor", Colour(0x00FFFFFF), Bytes({0xFF, 0xFF, 0xFF, 0})},
      {"minus one", "Left", Integer(-1), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"no control array", "Index", Integer(-2147483648LL), Bytes({0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"true", "MultiLine", Boolean(true), Bytes({1})},
      {"false", "MultiLine", Boolean(false), Bytes({0})},
      {"byte enumeration", "FontUnit", ByteEnumeration(200), Bytes({200})},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.name);
    PropertyList list{{c.key, c.value}};
    ASSERT_EQ(list.Bytes(), std::string(c.key) + " " + c.encoded);
    auto target = std::make_shared<ListTarget>();
    Apply(target, list.Bytes());
    ASSERT_EQ(target->sets.size(), 1u);
    const PropValue* read = target->GetProperty(c.key);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(*read, c.value.value);
  }
}

TEST(PropertyList, ValueWidthComesFromTheDeclaredType) {
  // A black colour and an empty text are both four zero bytes; each is followed directly by the next key, and the
  // list may end with an empty text.
  const std::string list = "TextColor " + Bytes({0, 0, 0, 0}) + "Index " + Le32(7) + Bytes({0, 0, 0, 0}) + "FontUnit " +
                           Bytes({3}) + "tooltip " + Bytes({0, 0, 0, 0});
  auto target = std::make_shared<ListTarget>();
  Apply(target, list);
  EXPECT_EQ(target->sets, (std::vector<std::string>{"TextColor", "Index", "FontUnit", "Tooltip"}));
  EXPECT_EQ(*target->GetProperty("TextColor"), PropValue(uint32_t{0}));
  EXPECT_EQ(*target->GetProperty("Index"), PropValue(int64_t{7}));
  EXPECT_EQ(*target->GetProperty("FontUnit"), PropValue(int64_t{3}));
  EXPECT_EQ(*target->GetProperty("Tooltip"), PropValue(std::string()));
}

TEST(PropertyList, KeysMatchDeclaredNamesWithoutCaseAndRepeatsApplyTwice) {
  PropertyList list{{"Multiline", Boolean(true)},
                    {"left", Integer(-1)},
                    {"Transparent", Boolean(true)},
                    {"Transparent", Boolean(true)}};
  auto target = std::make_shared<ListTarget>();
  Apply(target, list.Bytes());
  EXPECT_EQ(target->sets, (std::vector<std::string>{"MultiLine", "Left", "Transparent", "Transparent"}));
  EXPECT_TRUE(target->BoolProperty("MultiLine"));
  EXPECT_EQ(target->IntProperty("Left"), -1);
}

struct MalformedCase {
  const char* name;
  std::string tail;  // after one good entry
  const char* key;   // the key the refusal must name
};

TEST(PropertyList, RefusesMalformedListsNamingClassAndKey) {
  const std::string good = PropertyList{{"Period", Integer(4000)}}.Bytes();
  const MalformedCase cases[] = {
      {"unknown key", "Bogus " + Bytes({1}), "Bogus"},
      {"empty key", " " + Bytes({1}), ""},
      {"ends inside the key", "Perio", "Perio"},
      {"ends after the blank", "Period ", "Period"},
      {"ends inside an integer", "Period " + Bytes({1, 2, 3, 4, 5, 6, 7}), "Period"},
      {"ends inside an enumeration", "RunMode " + Bytes({1}), "RunMode"},
      {"ends inside a boolean", "MultiLine ", "MultiLine"},
      {"ends inside a byte enumeration", "FontUnit ", "FontUnit"},
      {"ends inside a single", "FontSize " + Bytes({0, 0, 0x10}), "FontSize"},
      {"ends inside a double", "LineSpacing " + Bytes({0, 0, 0, 0, 0, 0, 0xF0}), "LineSpacing"},
      {"ends inside a colour", "TextColor " + Bytes({7, 0x82}), "TextColor"},
      {"ends inside a text count", "Name " + Bytes({5, 0, 0}), "Name"},
      {"text count one beyond the end", "Name " + Le32(5) + "abcd", "Name"},
      {"huge text count", "Name " + Le32(0xFFFFFFFF) + "abcd", "Name"},
  };
  for (const MalformedCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto target = std::make_shared<ListTarget>();
    try {
      Apply(target, good + c.tail);
      ADD_FAILURE() << "accepted";
    } catch (const UnsupportedFormatException& e) {
      EXPECT_NE(std::string(e.what()).find("ListTarget.ListTarget"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("'" + std::string(c.key) + "'"), std::string::npos) << e.what();
    }
    EXPECT_EQ(target->sets, std::vector<std::string>{"Period"});
    EXPECT_EQ(target->IntProperty("Period"), 4000);
  }
}

}  // namespace
