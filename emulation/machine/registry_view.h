#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "emulation/machine/registry_file.h"

// Read access to the machine's registry under HKEY_LOCAL_MACHINE, shared by
// the registry calls, the installer registrations and the instance library.
namespace emulated {

struct OpenedKey {
  std::shared_ptr<const RegistryFile> registry;  // keeps the key alive
  const RegistryKey* key = nullptr;
};

// Opens HKEY_LOCAL_MACHINE\subKey (UTF-8). In the 32-bit view a path under
// SOFTWARE leads into SOFTWARE\WOW6432Node, as on 64-bit Windows. Answers 0,
// 2 (no such key) or 1009 (the registry file is malformed).
uint32_t openMachineKey(std::string_view subKey, bool view32, OpenedKey* opened);

// The text a value holds, for REG_SZ and REG_EXPAND_SZ (UTF-8, without the
// terminator); a REG_DWORD as its decimal text.
bool valueAsText(const RegistryValue& value, std::string* utf8);

}  // namespace emulated
