#pragma once

#include <string>

#include "emulation/machine/registry_file.h"

// Windows Installer's registration of an installed product: its uninstall
// key (emulation/machine/product_registration_format.h), with its location,
// cached package, name, version and publisher, and "Transforms" when it was
// installed with transforms.
namespace msiexec {

struct ProductRegistration {
  std::string productCode;
  std::string productName;
  std::string productVersion;  // "11.5.600"
  std::string manufacturer;
  std::string language;         // decimal language id, "1033"
  std::string installLocation;  // from ARPINSTALLLOCATION; empty when not set
  std::string installSource;    // the package's directory
  std::string localPackage;     // the cached copy of the package
  // The transforms applied at installation (":inst15.mst;D:\\image\\1031.mst"),
  // which every later run on the product applies again.
  std::string transforms;
  // ARPNOMODIFY, ARPNOREMOVE and ARPNOREPAIR: what "Add or Remove Programs"
  // may not offer for the product.
  bool noModify = false;
  bool noRemove = false;
  bool noRepair = false;
};

// Whether the registry holds an installed product under that code.
bool isProductInstalled(const emulated::RegistryFile& registry, const std::string& productCode);

// The cached package of an installed product, or empty.
std::string registeredLocalPackage(const emulated::RegistryFile& registry,
                                   const std::string& productCode);

// The transforms an installed product was installed with, or empty.
std::string registeredTransforms(const emulated::RegistryFile& registry,
                                 const std::string& productCode);

// Writes (or, for a product already installed, refreshes) the registration.
// Values of the key that are not written here are kept. The uninstall key's
// commands are Windows Installer's: "MsiExec.exe /I{code}" as ModifyPath and
// UninstallString (maintenance, which offers the removal), "/X{code}" in both
// with NoModify when the product may not be modified, and neither command
// but NoRemove when it may not be removed. A flag written by an earlier run
// stays.
void registerProduct(emulated::RegistryFile* registry, const ProductRegistration& product);

// Takes the product's registration away: its uninstall key.
void unregisterProduct(emulated::RegistryFile* registry, const std::string& productCode);

// The Windows path under C:\Windows\Installer where a product's package is
// cached: a name made from the product code, so a reinstall refreshes its own
// copy.
std::string cachedPackagePath(const std::string& productCode);

// Where a transform file applied to a product is cached: beside the
// product's package, in a folder of the same name, under its own file name.
std::string cachedTransformPath(const std::string& productCode, const std::string& transformPath);

}  // namespace msiexec
