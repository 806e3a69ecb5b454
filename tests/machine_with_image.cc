#include "tests/machine_with_image.h"

#include <gtest/gtest.h>
#include <filesystem>

#include "installed/product_catalogue.h"

namespace fs = std::filesystem;

namespace {
// Registry texts hold backslashes doubled.
std::string regText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}
}  // namespace

MachineWithImage::MachineWithImage(const std::string& imageDir) : imageDir_(imageDir) {
  if (imageDir_.rfind("\\\\", 0) == 0) {
    const std::size_t server = imageDir_.find('\\', 2);
    const std::size_t share = imageDir_.find('\\', server + 1);
    machine_.makeShare(imageDir_.substr(2, server - 2),
                       imageDir_.substr(server + 1, share - server - 1));
  }
  std::string image = machine_.hostPath(imageDir_);
  fs::create_directories(image);
  fs::copy(emulated::TestMachine::imageDir(), image,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  // The package's content does not matter to a run that prints its command.
  if (!fs::exists(fs::path(image) / kPackageName)) writeFile(imageDir_ + kPackageName, "package");
}

void MachineWithImage::writeFile(const std::string& windowsPath, const std::string& content) {
  machine_.writeFile(windowsPath, content);
}

void MachineWithImage::addDriverCopy(const std::string& name, const std::string& path,
                                     uint32_t modification, const std::string& code) {
  addPlainCopy(name, path);
  registry_ += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\" + name +
               "\\CurrentVersion]\n\"Version\"=\"11\"\n\"Release\"=\"5\"\n\"Modification\"=\"" +
               std::to_string(modification) + "\"\n\"Fix Level\"=\"0\"\n\"Service Level\"=\"\"\n\n";
  registry_ += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
               code + "]\n\"WindowsInstaller\"=dword:00000001\n\"InstallLocation\"=\"" +
               regText(path + "\\") + "\"\n\n";
  machine_.writeFile(path + "\\cfg\\kv7kvdriver.lvl", "11.5\n");
}

void MachineWithImage::addDefaultAndFurtherCopies(uint32_t firstSlot) {
  addDriverCopy("COPY00", "C:\\apps\\COPY00", 600, kDriverCode);
  for (uint32_t slot = firstSlot; slot <= 15; ++slot) {
    std::string name = "COPY" + std::to_string(slot + 10);
    addDriverCopy(name, "C:\\apps\\" + name, 600, slotCode(slot));
  }
}

void MachineWithImage::addPlainCopy(const std::string& name, const std::string& path) {
  registry_ += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\" + name +
               "]\n\"KV7 Path Name\"=\"" + regText(path) + "\"\n\n";
  machine_.makeDirectory(path);
}

void MachineWithImage::setSystemLanguage(const std::string& languageId) {
  registry_ +=
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\n"
      "\"Default\"=\"" +
      languageId + "\"\n\n";
}

void MachineWithImage::commitRegistry() { machine_.writeRegistry(registry_); }

std::string MachineWithImage::stagedMessage(const std::string& key,
                                            const std::string& locale) const {
  const std::string file = machine_.readFile(imageDir_ + "launchmsg\\" + locale + "\\Launch.pro");
  std::size_t at = file.rfind(key + "=", 0) == 0 ? 0 : file.find("\n" + key + "=");
  if (at == std::string::npos) return "<" + key + " missing>";
  at = file.find('=', at) + 1;
  return file.substr(at, file.find_first_of("\r\n", at) - at);
}

std::string MachineWithImage::useFakeInstaller() {
  const std::string installer = machine_.hostPath("C:\\Windows\\system32\\msiexec.exe");
  fs::create_directories(fs::path(installer).parent_path());
  fs::remove(installer);  // may be a link: never overwrite what it points at
  fs::copy_file(emulated::TestMachine::testBinDir() + "/fake_installer", installer);
  return machine_.dir() + "/installer-args.txt";
}

emulated::TestMachine::ProgramRun MachineWithImage::setup(
    const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& env) const {
  return machine_.run(machine_.hostPath(imageDir_ + "setup"), args, env);
}

std::string MachineWithImage::slotCode(uint32_t n) {
  char code[39] = {};
  MakeInstanceProductCode(kDriverCode, n, code);
  return code;
}

void MachineWithImage::expectReadyToInstall() {
  const std::string installer = machine_.hostPath("C:\\Windows\\system32\\msiexec.exe");
  if (!fs::exists(installer)) {
    // A machine made before its installer was built: give it the one this
    // build made.
    fs::create_symlink(emulated::TestMachine::testBinDir() + "/msiexec", installer);
  }
  ASSERT_TRUE(fs::exists(installer)) << "no emulated installer: build the msiexec target";
  ASSERT_NE(machine_.readFile(imageDir_ + kPackageName), "package")
      << "the staged image has no driver package: build the driver_package target";
}
