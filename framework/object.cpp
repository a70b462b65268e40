#include "framework/object.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

namespace {

std::atomic<int64_t> liveObjects{0};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Function-local so that a ClassRecord() asked for during another file's static initialisation finds it ready.
struct Registry {
  std::mutex mutex;
  std::vector<const ClassInfo*> ordered;
  std::unordered_set<const ClassInfo*> known;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

bool ClassInfo::DerivesFrom(const ClassInfo& other) const {
  for (const ClassInfo* cls = this; cls; cls = cls->base) {
    if (cls == &other) return true;
  }
  return false;
}

bool internal::EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

const ControlEventDecl* ClassInfo::FindControlEvent(int number) const {
  for (const ClassInfo* cls = this; cls; cls = cls->base) {
    auto it = cls->controlEvents.find(number);
    if (it != cls->controlEvents.end()) return &it->second;
  }
  return nullptr;
}

const PropertyDecl* ClassInfo::FindProperty(std::string_view name) const {
  for (const ClassInfo* cls = this; cls; cls = cls->base) {
    for (const PropertyDecl& decl : cls->properties) {
      if (internal::EqualsIgnoringAsciiCase(decl.name, name)) return &decl;
    }
  }
  return nullptr;
}

namespace {

// Before the registry's lock is taken: making the exception registers the exception's own class.
void RefuseEntriesNeverRaised(const ClassInfo& record) {
  const ClassInfo* table = &record;
  while (table && table->eventNames.empty()) table = table->base;
  if (!table || !table->raisedEvents) return;
  for (const auto& entry : record.events) {
    const int number = entry.first;
    if (table->raisedEvents->count(number)) continue;
    const bool named = number >= 0 && static_cast<size_t>(number) < table->eventNames.size();
    throw OutOfBoundsException("class " + record.fullName + " fills the entry of event " +
                               (named ? table->eventNames[static_cast<size_t>(number)] + " (" : "(") +
                               std::to_string(number) + "), which " + table->fullName + " never raises");
  }
}

}  // namespace

const ClassInfo& RuntimeRegisterClass(const ClassInfo& record) {
  if (!RuntimeIsClassRegistered(record)) RefuseEntriesNeverRaised(record);
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (registry.known.insert(&record).second) registry.ordered.push_back(&record);
  return record;
}

bool RuntimeIsClassRegistered(const ClassInfo& record) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return registry.known.count(&record) != 0;
}

std::vector<std::string> RuntimeRegisteredClassNames() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  std::vector<std::string> names;
  names.reserve(registry.ordered.size());
  for (const ClassInfo* cls : registry.ordered) names.push_back(cls->fullName);
  return names;
}

const ClassInfo* RuntimeFindClass(std::string_view fullName) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const ClassInfo* cls : registry.ordered) {
    if (cls->fullName == fullName) return cls;
  }
  return nullptr;
}

void RuntimePerformInitializers(std::span<const ClassInitializer> classList) {
  for (ClassInitializer initializer : classList) RuntimeRegisterClass(initializer());
}

Object::Object() { ++liveObjects; }

Object::Object(const Object& other)
    : std::enable_shared_from_this<Object>(other), properties_(other.properties_), handlers_(other.handlers_) {
  ++liveObjects;
}

Object::~Object() { --liveObjects; }

const ClassInfo& Object::ClassRecord() {
  static const ClassInfo record{.fullName = "Object", .factory = [] { return std::make_shared<Object>(); }};
  return RuntimeRegisterClass(record);
}

void Object::SetProperty(const std::string& declaredName, const PropValue& value) {
  CheckPropertyChange();
  properties_[declaredName] = value;
  PropertyChanged(declaredName);
}

const PropValue* Object::GetProperty(const std::string& declaredName) const {
  auto it = properties_.find(declaredName);
  return it == properties_.end() ? nullptr : &it->second;
}

int64_t Object::IntProperty(const std::string& name, int64_t fallback) const {
  const PropValue* value = GetProperty(name);
  if (!value) return fallback;
  if (auto* i = std::get_if<int64_t>(value)) return *i;
  if (auto* c = std::get_if<uint32_t>(value)) return *c;
  return fallback;
}

bool Object::BoolProperty(const std::string& name, bool fallback) const {
  const PropValue* value = GetProperty(name);
  if (auto* b = value ? std::get_if<bool>(value) : nullptr) return *b;
  return fallback;
}

std::string Object::TextProperty(const std::string& name) const {
  const PropValue* value = GetProperty(name);
  if (auto* s = value ? std::get_if<std::string>(value) : nullptr) return *s;
  return {};
}

double Object::NumberProperty(const std::string& name, double fallback) const {
  const PropValue* value = GetProperty(name);
  if (!value) return fallback;
  if (auto* f = std::get_if<float>(value)) return *f;
  if (auto* d = std::get_if<double>(value)) return *d;
  return fallback;
}

int64_t LiveObjectCount() { return liveObjects.load(); }

Ref<Object> RuntimeNewObject(const ClassInfo& cls) {
  RuntimeRegisterClass(cls);
  if (!cls.factory) throw FunctionNotFoundException("class " + cls.fullName + " has no constructor to make objects");
  return cls.factory();
}

Ref<Object> RuntimeCheckCast(const Ref<Object>& object, const ClassInfo& cls) {
  if (!object) return nullptr;
  const ClassInfo& actual = object->GetClass();
  if (!actual.DerivesFrom(cls)) {
    throw IllegalCastException("cannot cast an object of class " + actual.fullName + " to " + cls.fullName);
  }
  return object;
}

const ClassInfo& WeakRef::ClassRecord() {
  static const ClassInfo record{
      .fullName = "WeakRef", .base = &Object::ClassRecord(), .factory = [] { return std::make_shared<WeakRef>(); }};
  return RuntimeRegisterClass(record);
}

const ClassInfo& RuntimeException::ClassRecord() {
  static const ClassInfo record{.fullName = "RuntimeException", .base = &Object::ClassRecord(), .factory = [] {
                                  return std::make_shared<RuntimeException>();
                                }};
  return RuntimeRegisterClass(record);
}

#define PALL_DEFINE_EXCEPTION(Name)                                                                            \
  const ClassInfo& Name::ClassRecord() {                                                                       \
    static const ClassInfo record{.fullName = #Name, .base = &RuntimeException::ClassRecord(), .factory = [] { \
                                    return std::make_shared<Name>();                                           \
                                  }};                                                                          \
    return RuntimeRegisterClass(record);                                                                       \
  }

PALL_DEFINE_EXCEPTION(NilObjectException)
PALL_DEFINE_EXCEPTION(IllegalCastException)
PALL_DEFINE_EXCEPTION(OutOfBoundsException)
PALL_DEFINE_EXCEPTION(TypeMismatchException)
PALL_DEFINE_EXCEPTION(UnsupportedFormatException)
PALL_DEFINE_EXCEPTION(FunctionNotFoundException)
PALL_DEFINE_EXCEPTION(StackOverflowException)
PALL_DEFINE_EXCEPTION(ThreadAccessingUIException)

#undef PALL_DEFINE_EXCEPTION
