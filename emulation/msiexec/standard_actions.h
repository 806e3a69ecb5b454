#pragma once

#include <string_view>

namespace msiexec {

// Whether a sequence entry names one of Windows Installer's standard
// actions. This installer carries out those that matter to the packages it
// installs (AppSearch, LaunchConditions, CostFinalize, CreateFolders,
// InstallFiles, WriteRegistryValues) and logs the others as having no effect
// here.
bool isStandardAction(std::string_view action);

}  // namespace msiexec
