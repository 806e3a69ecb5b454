#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"

// An emulated machine with the staged installation image copied to
// D:\media\image\, as a user who copied the media to a disk would have it
// (or to another folder, a share's among them), and helpers to describe
// installed copies of the product family.
class MachineWithImage {
 public:
  static constexpr const char* kImageDir = "D:\\media\\image\\";
  static constexpr const char* kPackageName = "QOR Telvar Driver for ODBC, CLI, and .NET.msi";
  static constexpr const char* kDriverCode = "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}";

  // imageDir ends in a backslash; on a share (\\server\share\...) the share
  // is made first.
  explicit MachineWithImage(const std::string& imageDir = kImageDir);

  emulated::TestMachine& machine() { return machine_; }

  // Adds a file (a language transform, a response file...) on the machine.
  void writeFile(const std::string& windowsPath, const std::string& content = "x");

  // A copy of the product family that holds the driver product under code
  // (the base code or an instance code), at path, with the version's
  // modification level.
  void addDriverCopy(const std::string& name, const std::string& path, uint32_t modification,
                     const std::string& code);
  // The default copy COPY00 under the base code, and one further copy in
  // each instance slot from firstSlot to 15 (COPY<slot + 10>).
  void addDefaultAndFurtherCopies(uint32_t firstSlot);
  // A copy without the driver product.
  void addPlainCopy(const std::string& name, const std::string& path);
  // The system default language, e.g. "0407".
  void setSystemLanguage(const std::string& languageId);
  // Writes the registry collected so far.
  void commitRegistry();

  // A text of the staged message file of locale, as the file holds it (in
  // its code page); "<KEY missing>" when the file has no such line.
  std::string stagedMessage(const std::string& key, const std::string& locale = "en_US") const;
  // Puts the fake installer in place of the machine's msiexec.exe; it records
  // its arguments, one a line, in the host file returned.
  std::string useFakeInstaller();
  // Fails the test (fatally) unless setup could install here: the machine
  // has its installer and the image a built driver package.
  void expectReadyToInstall();

  // Runs the staged setup from the image on this machine.
  emulated::TestMachine::ProgramRun setup(
      const std::vector<std::string>& args,
      const std::vector<std::pair<std::string, std::string>>& env = {}) const;

  // The product code of instance slot n of the driver.
  static std::string slotCode(uint32_t n);

 private:
  emulated::TestMachine machine_;
  std::string imageDir_;
  std::string registry_;
};

// Whether text holds part, for the checks of what the programs print and log.
inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
