#include "msicommand/installer_command.h"

#include <string>

#include "base/fixed_text.h"
#include "launcher/language_table.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"
#include "launcher/path_utils.h"
#include "msicommand/command_buffer.h"
#include "msicommand/command_limits.h"
#include "msicommand/copy_slot_selection.h"
#include "msicommand/install_type.h"
#include "msicommand/launcher_response_file.h"
#include "platform/platform.h"

namespace {

constexpr const char* kInstallerProgram = "msiexec.exe";
constexpr const char* kFallbackLanguageTransform = "1033.mst";

uint32_t fail(LauncherContext& context, uint32_t code) {
  context.errorFlag = 1;
  return code;
}

// The installer from the system directory, so that no msiexec.exe of the
// current directory or the search path can stand in for it.
void startWithInstaller(CommandBuffer& command) {
  char systemDir[kSystemDirectoryCapacity] = {};
  uint32_t length = platform::getSystemDirectory(systemDir, sizeof systemDir);
  if (length == 0 || length >= sizeof systemDir) {
    command.reset(std::string(kInstallerProgram) + " /i ");
    return;
  }
  command.reset(std::string(systemDir) + "\\" + kInstallerProgram + " /i ");
}

// The language chosen with /i, handed to the package as KV7_INSTALL_LANG.
void appendInstallLanguage(const LauncherContext& context, CommandBuffer& command) {
  if (!context.languageGiven) return;
  command.append(" KV7_INSTALL_LANG=");
  command.appendQuoted(context.languageCode.view());
}

// The language transform's file name, or empty when the run names none.
std::string languageTransform(const LauncherContext& context) {
  FixedText<6> code;
  bool haveCode = false;
  if (context.languageGiven) {
    haveCode = lcidForCode(context.languageCode.c_str(), code.data(), code.kCapacity) == 0;
  } else {
    haveCode = systemLanguageField(kLanguageFieldLcid, code.data(), code.kCapacity);
  }
  code.syncLength();
  if (!haveCode || code.empty()) return "";

  // The existence test is made on the complete path; an image directory too
  // long for it means the transform cannot be there.
  std::string name = std::string(code.view()) + ".mst";
  PathText path;
  if (!path.assign(context.imageDir.view()) || !path.append(name) || !isRegularFile(path.c_str())) {
    name = kFallbackLanguageTransform;
    if (!path.assign(context.imageDir.view()) || !path.append(name) ||
        !isRegularFile(path.c_str())) {
      return "";
    }
  }
  return name;
}

}  // namespace

uint32_t composeInstallerCommand(LauncherContext& context, char* buffer, std::size_t bufferSize) {
  CommandBuffer command(buffer, bufferSize);
  startWithInstaller(command);

  // Paths formed from imageDir carry a doubled backslash; the file system
  // accepts it, and the installer receives the path as it was tested.
  PathText package;
  if (!packagePathFor(context.imageDir, package) || !isRegularFile(package.c_str())) {
    std::string shown = context.imageDir.c_str() + std::string("\\") + kPackageFileName;
    char text[kMessageCapacity] = {};
    lookupMessage(context.messageDir.c_str(), "ERROR_ACCESSING", text, sizeof text);
    showMessage(context, composeShownText(text, {shown.c_str()}), context.responseFileMode);
    return fail(context, kPackageMissing);
  }
  command.appendQuoted(package.view());

  if (!context.logFilePath.empty()) {
    command.append(" /l*v ");
    command.appendQuoted(context.logFilePath.view());
    command.append(" KV7_LOG_FILE_PATH=");
    command.appendQuoted(context.logFilePath.view());
  }

  if (context.responseFileMode) {
    int32_t rc = readLauncherResponseKeywords(context, context.responseFilePath.c_str());
    if (rc != 0) return fail(context, static_cast<uint32_t>(rc));
    command.append(" RSP_FILE_PATH=");
    command.appendQuoted(context.responseFilePath.view());
    command.append(context.basicUiRequested ? " /qb " : " /qn ");
  }

  InstallType type = InstallTypeNone;
  uint32_t rc = determineInstallType(context, kDriverProductCode, &type);
  if (rc != 0) return fail(context, rc);
  if (type == InstallTypeNone) return fail(context, kInstallTypeUnknown);

  TransformText transforms;
  if (type == InstallTypeNewCopy || type == InstallTypeMaintainInstance ||
      type == InstallTypeReinstallInstance) {
    char instanceCode[ProductCodeText::kCapacity] = {};
    rc = selectInstanceProductCode(context, kDriverProductCode, instanceCode);
    if (rc != 0) return fail(context, rc);
    TransformText slotTransform;
    rc = slotTransformName(kDriverProductCode, instanceCode, slotTransform.data(),
                           TransformText::kCapacity);
    slotTransform.syncLength();
    if (rc != 0) return fail(context, rc);
    if (type == InstallTypeNewCopy) {
      command.append(" MSINEWINSTANCE=1 ");
      if (slotTransform.empty()) {
        char text[kMessageCapacity] = {};
        lookupMessage(context.messageDir.c_str(), "ERROR_INSTALL_TRANSFORM", text, sizeof text);
        showMessage(context, text, context.responseFileMode);
        return fail(context, kInstanceSlotUnavailable);
      }
      transforms.assign(" TRANSFORMS=:");
      transforms.append(slotTransform.view());
    } else {
      command.append(" MSIINSTANCEGUID=");
      command.append(instanceCode);
    }
  }

  appendInstallLanguage(context, command);
  std::string language = languageTransform(context);
  if (!language.empty()) {
    bool fits = transforms.empty() ? transforms.assign(" TRANSFORMS=" + language)
                                   : transforms.append(";" + language);
    if (!fits) return fail(context, kRunnerTextDoesNotFit);
  }
  if (!transforms.empty()) command.append(transforms.view());

  if (type == InstallTypeReinstallDefault || type == InstallTypeReinstallInstance) {
    command.append(" REINSTALLMODE=vomus REINSTALL=ALL ");
  }

  if (context.copyNameGiven || !context.copyName.empty()) {
    command.append(" KV7_COPY_NAME=");
    command.appendQuoted(context.copyName.view());
    if (context.responseFileMode) {
      command.append(" COPY_NAME_OVERRIDE=");
      command.appendQuoted(context.copyName.view());
    }
  }
  if (!context.installPath.empty()) {
    command.append(" INSTALLDIR=");
    command.appendQuoted(context.installPath.view());
  }

  if (!command.fits()) return fail(context, kRunnerTextDoesNotFit);
  context.errorFlag = 0;
  return 0;
}
