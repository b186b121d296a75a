// The member table of ValdrexCls and a dispatch by name over tagged values: what a scripting host
// needs to call the object without compiling against it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/export.h"
#include "valdrex/host/variant.h"

namespace valdrex {

enum class ParamType {
  Void,
  Integer,
  Long,
  Double,
  Boolean,
  Text,
  Variant,
  Worksheet,
  Workbook,
  Application
};
enum class MemberKind { Property, Method };

struct Parameter {
  std::string_view name;
  ParamType type;
};

struct Member {
  std::string_view name;
  MemberKind kind;
  std::vector<Parameter> parameters;  // a property's type is its one parameter's type
  ParamType result;                   // a property's reads give its type
};

// Every member in interface order.
VALDREX_API const std::vector<Member>& members();

// The name of a type as the member table prints it ("Integer", "Worksheet", ...).
VALDREX_API std::string_view typeName(ParamType type);

// Calls a member by name. A property with no argument is read, with one argument written.
// Arguments are by reference: what the member changes (a trimmed label, say) comes back in args.
// An unknown name, a wrong number of arguments or an argument of the wrong type fails with a
// message naming the member; failures of the member itself reach the caller unchanged.
VALDREX_API Variant invoke(ValdrexCls& object, std::string_view name, std::vector<Variant>& args);

}  // namespace valdrex
