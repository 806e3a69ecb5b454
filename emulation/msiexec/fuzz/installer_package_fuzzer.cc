// Arbitrary bytes as an installer package file: the package is opened and
// its tables, streams and cabinets read, or it is refused with a reason.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "emulation/machine/host_files.h"
#include "emulation/msiexec/cabinet.h"
#include "emulation/msiexec/installer_package.h"

// libmsi and glib keep memory from package to package and lose some on
// damaged ones; those are no findings of this harness, and a leak check
// after every input would slow it to a crawl.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

// A folder of this process's own for the package file, removed at its end
// (a run in fork mode starts many such processes).
const std::string& packageFile() {
  static const std::string file = [] {
    static char folder[] = "/tmp/kv7-package-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    std::atexit([] { emulated::removeHostTree(folder); });
    return std::string(folder) + "/package.msi";
  }();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!(std::ofstream(packageFile(), std::ios::binary) << bytes)) return 0;
  std::string error;
  const auto package = msiexec::InstallerPackage::open(packageFile(), &error);
  if (package == nullptr) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  msiexec::PackageTables tables;
  if (!package->readTables(&tables, &error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  for (const msiexec::MediaRow& media : tables.media) {
    std::string cabinet;
    if (media.cabinet.size() < 2 || media.cabinet[0] != '#' ||
        !package->readStream(media.cabinet.substr(1), &cabinet, &error)) {
      continue;
    }
    std::map<std::string, std::string> files;
    msiexec::extractCabinet(cabinet, &files, &error);
  }
  for (const msiexec::CustomActionRow& action : tables.customActions) {
    std::string script;
    package->readBinary(action.source, &script, &error);
  }
  return 0;
}
