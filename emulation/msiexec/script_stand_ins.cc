#include "emulation/msiexec/script_stand_ins.h"

#include <string>

namespace msiexec {
namespace {

// The copy's registry entry names its install directory without the
// trailing backslash of a directory property; a drive root such as C:\ keeps
// it.
bool setCopyPath(PropertyTable* properties) {
  std::string dir = properties->get("INSTALLDIR");
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  properties->set("KV7_COPY_PATH", dir);
  return true;
}

}  // namespace

ScriptStandIn findScriptStandIn(std::string_view function) {
  if (function == "kv7SetCopyPath") return setCopyPath;
  return nullptr;
}

}  // namespace msiexec
