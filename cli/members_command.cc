#include "cli/members_command.h"

#include <ostream>

#include "valdrex/automation/member_table.h"

namespace valdrex::cli {

void membersCommand(std::ostream& out) {
  for (const Member& m : members()) {
    if (m.kind == MemberKind::Property) {
      out << "属性  " << m.name << " As " << typeName(m.result) << '\n';
      continue;
    }
    out << "方法  " << m.name << "(";
    for (std::size_t i = 0; i < m.parameters.size(); ++i)
      out << (i ? ", " : "") << m.parameters[i].name << " As " << typeName(m.parameters[i].type);
    out << ")";
    if (m.result != ParamType::Void) out << " As " << typeName(m.result);
    out << '\n';
  }
}

}  // namespace valdrex::cli
