// The framework's object model: reference-counted objects, class records, casts and the framework's exceptions.
// It knows nothing of windows; window.h and controls.h build on it. Qt-free.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <variant>
#include <vector>

class Object;
class Delegate;
struct EventArgs;

template <class T>
using Ref = std::shared_ptr<T>;

// The declared type of a property decides how many bytes its value takes in a design-time property list.
enum class PropType { Text, Boolean, Integer, Enumeration, ByteEnumeration, Single, Double, Colour };

// A property value as decoded from a list: Text -> string, Boolean -> bool, Integer/Enumeration/ByteEnumeration ->
// int64_t, Single -> float, Double -> double, Colour -> uint32_t (0x00RRGGBB).
using PropValue = std::variant<std::string, bool, int64_t, float, double, uint32_t>;

struct PropertyDecl {
  std::string name;  // as declared; lists match it without regard to case
  PropType type;
};

// A window-event entry: one of the class's own operations, adapted to the framework's calling convention.
// The result is the event's Boolean result (false for events that have none).
using EventEntry = std::function<bool(Object& self, EventArgs& args)>;

// What a control class's event looks like to a delegate bound to it.
struct ControlEventDecl {
  std::string name;                         // "KeyDown"
  std::string signature;                    // "( TextArea, String ) as Boolean"
  std::type_index callable = typeid(void);  // the std::function type a bound delegate must wrap
};

// One record per class: registered once, in the start-up's class list or earlier at its first request.
// Names of properties, fonts and the like match without regard to the case of ASCII letters.
namespace internal {
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
}  // namespace internal

struct ClassInfo {
  std::string fullName;                             // "ControlWnd.ControlWnd"
  const ClassInfo* base = nullptr;                  // none for Object
  std::function<Ref<Object>()> factory{};           // a new, not yet constructed object; empty for abstract classes
  std::vector<PropertyDecl> properties{};           // declared by this class itself; bases are searched too
  std::vector<std::string> eventNames{};            // window or application event table, numbered from 0
  std::map<int, EventEntry> events{};               // the entries this class fills
  std::map<int, ControlEventDecl> controlEvents{};  // events a delegate may be bound to, by number
  // Of this class's event table: the events the framework raises. A class numbered by this table may fill no other
  // entry, since a handler there would never run; none leaves the entries unchecked, an empty set refuses all.
  std::optional<std::set<int>> raisedEvents{};

  bool DerivesFrom(const ClassInfo& other) const;
  const PropertyDecl* FindProperty(std::string_view name) const;  // case-insensitive, bases searched
  const ControlEventDecl* FindControlEvent(int number) const;     // bases searched; none when unknown
};

// Registers a class record once; later calls do nothing. Returns the record for chaining. A record that fills the
// entry of an event its event table's class does not raise is refused with OutOfBoundsException naming both.
const ClassInfo& RuntimeRegisterClass(const ClassInfo& record);
bool RuntimeIsClassRegistered(const ClassInfo& record);
// Full names in the order the classes were registered.
std::vector<std::string> RuntimeRegisteredClassNames();
const ClassInfo* RuntimeFindClass(std::string_view fullName);
// A class list entry: a function giving the record to register.
using ClassInitializer = const ClassInfo& (*)();
// Registers the classes in list order; a class already registered (asked for earlier) is skipped.
void RuntimePerformInitializers(std::span<const ClassInitializer> classList);

// Every framework object. Properties set from design-time lists are kept here, readable by name.
class Object : public std::enable_shared_from_this<Object> {
 public:
  Object();
  Object(const Object&);
  Object& operator=(const Object&) = default;
  virtual ~Object();

  static const ClassInfo& ClassRecord();
  virtual const ClassInfo& GetClass() const { return ClassRecord(); }

  // Sets a declared property (name as declared). Subclasses apply it to what the user sees in PropertyChanged.
  // A change that CheckPropertyChange refuses leaves the stored value as it was.
  void SetProperty(const std::string& declaredName, const PropValue& value);
  const PropValue* GetProperty(const std::string& declaredName) const;
  int64_t IntProperty(const std::string& name, int64_t fallback = 0) const;
  bool BoolProperty(const std::string& name, bool fallback = false) const;
  std::string TextProperty(const std::string& name) const;
  double NumberProperty(const std::string& name, double fallback = 0) const;  // Single or Double

 protected:
  // Raises to refuse a change before anything is stored (a window or control touched off the GUI thread).
  virtual void CheckPropertyChange() const {}
  virtual void PropertyChanged(const std::string& /*declaredName*/) {}

 private:
  // Event bindings live on the bound object so they go when it goes; only the binding operations touch them.
  friend void RuntimeAddEventHandler(const Ref<Object>& control, int eventNumber, const Ref<Delegate>& delegate);
  friend Ref<Delegate> RuntimeEventHandler(const Object& control, int eventNumber);

  std::map<std::string, PropValue> properties_;
  std::map<int, Ref<Delegate>> handlers_;
};

// Objects alive right now: tests use it to show that building and closing windows leaks nothing.
int64_t LiveObjectCount();

// A new object of the class, not yet constructed: the caller runs its Constructor() as a second step.
Ref<Object> RuntimeNewObject(const ClassInfo& cls);
template <class T>
Ref<T> RuntimeNewObject() {
  return std::static_pointer_cast<T>(RuntimeNewObject(T::ClassRecord()));
}

// The same object typed as T; none stays none; an object of another class raises IllegalCastException.
Ref<Object> RuntimeCheckCast(const Ref<Object>& object, const ClassInfo& cls);
template <class T>
Ref<T> RuntimeCheckCast(const Ref<Object>& object) {
  return std::static_pointer_cast<T>(RuntimeCheckCast(object, T::ClassRecord()));
}

// A weak reference: Value() is the object while it exists, none afterwards.
class WeakRef : public Object {
 public:
  explicit WeakRef(const Ref<Object>& target = nullptr) : target_(target) {}
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  Ref<Object> Value() const { return target_.lock(); }

 private:
  std::weak_ptr<Object> target_;
};

// Every framework failure. what() is the message; ClassName() names the exception's class.
class RuntimeException : public Object, public std::runtime_error {
 public:
  explicit RuntimeException(const std::string& message = "") : std::runtime_error(message) {}
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  std::string ClassName() const { return GetClass().fullName; }
  std::string Message() const { return what(); }
  virtual Ref<RuntimeException> Clone() const { return std::make_shared<RuntimeException>(*this); }
};

#define PALL_DECLARE_EXCEPTION(Name)                                                       \
  class Name : public RuntimeException {                                                   \
   public:                                                                                 \
    using RuntimeException::RuntimeException;                                              \
    static const ClassInfo& ClassRecord();                                                 \
    const ClassInfo& GetClass() const override { return ClassRecord(); }                   \
    Ref<RuntimeException> Clone() const override { return std::make_shared<Name>(*this); } \
  };

PALL_DECLARE_EXCEPTION(NilObjectException)
PALL_DECLARE_EXCEPTION(IllegalCastException)
PALL_DECLARE_EXCEPTION(OutOfBoundsException)
PALL_DECLARE_EXCEPTION(TypeMismatchException)
PALL_DECLARE_EXCEPTION(UnsupportedFormatException)
PALL_DECLARE_EXCEPTION(FunctionNotFoundException)
PALL_DECLARE_EXCEPTION(StackOverflowException)
PALL_DECLARE_EXCEPTION(ThreadAccessingUIException)

#undef PALL_DECLARE_EXCEPTION

// Raises NilObjectException naming what was missing when the reference is none; gives it back otherwise.
template <class T>
const Ref<T>& RequireObject(const Ref<T>& object, const std::string& what) {
  if (!object) throw NilObjectException(what + " is nil");
  return object;
}
