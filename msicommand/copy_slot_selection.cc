#include "msicommand/copy_slot_selection.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "installed/install_copy.h"
#include "installed/install_copy_list.h"
#include "installed/installed_prod_list.h"
#include "installed/product_catalogue.h"
#include "launcher/language_table.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"
#include "launcher/shown_text.h"
#include "msicommand/command_limits.h"
#include "msicommand/driver_product.h"
#include "platform/platform.h"

namespace {

// A copy whose modification level is below this is reinstalled over; from it
// on it is maintained.
constexpr uint32_t kReinstallBelowModification = 600;
// Sixteen qualifying copies is the first count refused.
constexpr uint32_t kMaximumCopies = 16;
// The maximum-copies message is looked up into a field of its own size.
constexpr std::size_t kMaximumCopiesMessageCapacity = 1025;
constexpr const char* kDriverProductName = "QOR Telvar Driver Package";

// A copy takes part in the driver's slot bookkeeping when it holds the
// driver product under a first-generation product code.
bool qualifies(InstallCopy* copy, const DriverProduct& driver) {
  if (copy == nullptr || driver.catalogueId.empty()) return false;
  InstalledProdList* products = nullptr;
  if (copy->GetProducts(&products) != 0 || products == nullptr) return false;
  return products->HasProduct(driver.catalogueId.c_str()) && copy->GetProductGeneration() == 1;
}

// The product code under which the copy holds the driver.
uint32_t lookUpProductCode(InstallCopy* copy, const DriverProduct& driver, ProductCodeText* code) {
  InstalledProdList products(copy);
  code->clear();
  uint32_t rc = products.GetInstanceProductCode(driver.shortId.c_str(), code->data(),
                                                ProductCodeText::kCapacity);
  code->syncLength();
  return rc;
}

uint32_t modificationOf(const InstallCopy* copy) {
  std::unique_ptr<CopyVersion> version;
  copy->GetVersion(&version);
  // A version that cannot be read counts as modification 0.
  return version ? version->modification : 0;
}

InstallType typeForMatchedCopy(const InstallCopy* copy, const ProductCodeText& code,
                               const char* driverProductCode) {
  bool isDefault = ascii::equalsNoCase(code.view(), driverProductCode);
  if (modificationOf(copy) < kReinstallBelowModification) {
    return isDefault ? InstallTypeReinstallDefault : InstallTypeReinstallInstance;
  }
  return isDefault ? InstallTypeMaintainDefault : InstallTypeMaintainInstance;
}

bool pathOf(const InstallCopy* copy, PathText* path) {
  path->clear();
  bool ok = copy->GetPath(path->data(), PathText::kCapacity) == 0;
  path->syncLength();
  return ok;
}

bool nameOf(const InstallCopy* copy, CopyNameText* name) {
  name->clear();
  bool ok = copy->GetName(name->data(), CopyNameText::kCapacity) == 0;
  name->syncLength();
  return ok;
}

uint32_t countQualifying(InstallCopyList& list, const DriverProduct& driver) {
  uint32_t qualifying = 0;
  InstallCopy* copy = list.First();
  for (uint32_t i = 0; i < list.count() && copy != nullptr; ++i, copy = list.Next()) {
    if (qualifies(copy, driver)) ++qualifying;
  }
  return qualifying;
}

// The first copy, from the head, installed at path that qualifies.
InstallCopy* qualifyingCopyAtPath(InstallCopyList& list, const DriverProduct& driver,
                                  std::string_view path) {
  InstallCopy* copy = list.First();
  for (uint32_t i = 0; i < list.count() && copy != nullptr; ++i, copy = list.Next()) {
    PathText copyPath;
    if (pathOf(copy, &copyPath) && ascii::equalsNoCase(copyPath.view(), path) &&
        qualifies(copy, driver)) {
      return copy;
    }
  }
  return nullptr;
}

// The named copy when it exists and qualifies.
InstallCopy* qualifyingCopyNamed(InstallCopyList& list, const DriverProduct& driver,
                                 const char* name) {
  InstallCopy* copy = nullptr;
  if (!list.CopyExists(name) || list.FindCopy(name, &copy) != 0) return nullptr;
  return qualifies(copy, driver) ? copy : nullptr;
}

uint32_t decideByName(LauncherContext& context, const DriverProduct& driver,
                      const char* driverProductCode, InstallType* type) {
  InstallCopyList first(false);
  {
    InstallCopyList second(false);
    if (qualifyingCopyNamed(second, driver, context.copyName.c_str()) == nullptr) {
      *type = InstallTypeNewCopy;
      return 0;
    }
  }
  InstallCopy* copy = nullptr;
  uint32_t rc = first.FindCopy(context.copyName.c_str(), &copy);
  if (rc != 0) return rc;  // the copy vanished between the two reads
  ProductCodeText code;
  rc = lookUpProductCode(copy, driver, &code);
  if (rc != 0) {
    *type = InstallTypeNone;
    return rc;
  }
  if (copy->GetProductGeneration() == 1) {
    pathOf(copy, &context.installPath);
    *type = typeForMatchedCopy(copy, code, driverProductCode);
  }
  return 0;
}

uint32_t decideByPath(LauncherContext& context, const DriverProduct& driver,
                      const char* driverProductCode, InstallType* type) {
  InstallCopyList first(false);
  InstallCopyList second(false);
  InstallCopy* match = qualifyingCopyAtPath(second, driver, context.installPath.view());
  if (match == nullptr) {
    *type = InstallTypeNewCopy;
    return 0;
  }
  InstallCopy* copy = nullptr;
  if (first.FindCopyByPath(context.installPath.c_str(), &copy) != 0 || copy == nullptr) {
    // The directory has no short form any more (removed since it was
    // installed): the copy matched by its recorded path is still the one the
    // user named.
    copy = match;
  }
  ProductCodeText code;
  uint32_t rc = lookUpProductCode(copy, driver, &code);
  if (rc == 0 && copy->GetProductGeneration() == 1) {
    *type = typeForMatchedCopy(copy, code, driverProductCode);
  }
  nameOf(copy, &context.copyName);
  return rc;
}

// Asks before a plain run turns into maintenance of the copy already there.
bool userConfirmsMaintenance(LauncherContext& context) {
  char caption[kComposedMessageCapacity] = {};
  char question[kComposedMessageCapacity] = {};
  lookupMessage(context.messageDir.c_str(), "WARNING_HEADER", caption, sizeof caption);
  lookupMessage(context.messageDir.c_str(), "IMSG_LAUNCHER_INSTALLTYPE_WARNING", question,
                sizeof question);
  // The copy's name comes from the registry, in the system's code page.
  const ShownText text = composeShownText(question, {kDriverProductName, context.copyName.c_str()});
  return showBox(text, caption, BoxKind::kQuestion, messageLanguageOf(context.messageDir.view())) ==
         platform::kIdYes;
}

uint32_t decideWithoutNameOrPath(LauncherContext& context, const DriverProduct& driver,
                                 const char* driverProductCode, InstallType* type) {
  if (context.newCopyRequested) {
    *type = InstallTypeNewCopy;
    return 0;
  }
  uint32_t rc = collectInstanceProductCodes(context, driverProductCode);
  if (rc != 0) return rc;

  InstallCopyList first(false);
  InstallCopy* defaultCopy = nullptr;
  InstallCopy* copy = first.First();
  for (uint32_t i = 0; i < first.count() && copy != nullptr; ++i, copy = first.Next()) {
    if (!qualifies(copy, driver)) continue;
    ProductCodeText code;
    if (lookUpProductCode(copy, driver, &code) == 0 &&
        ascii::equalsNoCase(code.view(), driverProductCode)) {
      defaultCopy = copy;
      pathOf(copy, &context.installPath);
      nameOf(copy, &context.copyName);
      break;
    }
  }
  // The question comes also when only further copies hold the driver; it
  // then names no copy.
  if (!userConfirmsMaintenance(context)) return kUserDeclined;
  if (defaultCopy == nullptr) {
    // Yes, with no default copy to maintain: the base product code is free,
    // so the driver goes in as a first copy under it, named and placed by the
    // package as on a machine without copies, and the instance slots stay
    // free for the copies that need them.
    *type = InstallTypeFirstCopy;
    return 0;
  }
  *type = modificationOf(defaultCopy) < kReinstallBelowModification ? InstallTypeReinstallDefault
                                                                    : InstallTypeMaintainDefault;
  return 0;
}

}  // namespace

uint32_t determineInstallType(LauncherContext& context, const char* driverProductCode,
                              InstallType* type) {
  *type = InstallTypeNone;
  DriverProduct driver = findDriverProduct(driverProductCode);
  {
    InstallCopyList first(false);
    if (countQualifying(first, driver) == 0) {
      *type = InstallTypeFirstCopy;
      return 0;
    }
  }
  if (!context.copyName.empty()) return decideByName(context, driver, driverProductCode, type);
  if (!context.installPath.empty()) return decideByPath(context, driver, driverProductCode, type);
  return decideWithoutNameOrPath(context, driver, driverProductCode, type);
}

uint32_t collectInstanceProductCodes(LauncherContext& context, const char* driverProductCode) {
  if (context.copiesScanned) return 0;
  DriverProduct driver = findDriverProduct(driverProductCode);
  InstallCopyList list(false);
  uint32_t counted = 0;
  InstallCopy* copy = list.First();
  for (uint32_t i = 0; i < list.count() && copy != nullptr; ++i, copy = list.Next()) {
    if (!qualifies(copy, driver)) continue;
    ProductCodeText code;
    if (lookUpProductCode(copy, driver, &code) != 0) code.clear();
    context.copyGuidList.append(code.c_str());
    ++counted;
  }
  context.copiesScanned = 1;
  if (counted >= kMaximumCopies) {
    char text[kMaximumCopiesMessageCapacity] = {};
    lookupMessage(context.messageDir.c_str(), "ERROR_MAXIMUM_COPIES_REACHED", text, sizeof text);
    showMessage(context, text, context.responseFileMode);
    return kInstanceSlotUnavailable;
  }
  return 0;
}

uint32_t selectInstanceProductCode(LauncherContext& context, const char* driverProductCode,
                                   char* out) {
  uint32_t rc = collectInstanceProductCodes(context, driverProductCode);
  if (rc != 0) return rc;
  DriverProduct driver = findDriverProduct(driverProductCode);
  ProductCodeText result;
  if (!context.newCopyRequested && !context.copyNameGiven && !context.installPathGiven) {
    result.assign(driverProductCode);
    std::memcpy(out, result.c_str(), result.size() + 1);
    return 0;
  }

  InstallCopyList list(false);
  InstallCopy* existing = nullptr;
  if (!context.copyName.empty()) {
    existing = qualifyingCopyNamed(list, driver, context.copyName.c_str());
  }
  if (existing == nullptr && !context.installPath.empty()) {
    existing = qualifyingCopyAtPath(list, driver, context.installPath.view());
  }

  if (existing != nullptr) {
    InstallCopy* copy = nullptr;
    if (list.FindCopy(context.copyName.c_str(), &copy) != 0 &&
        list.FindCopyByPath(context.installPath.c_str(), &copy) != 0) {
      copy = existing;  // found by its recorded path, which has no short form now
    }
    ProductCodeText code;
    if (lookUpProductCode(copy, driver, &code) != 0) return kInstallTypeUnknown;
    if (copy->GetProductGeneration() == 1) {
      std::memcpy(out, code.c_str(), code.size() + 1);
    }
    return 0;
  }

  // A new copy takes the highest-numbered slot that no installed copy holds.
  for (uint32_t slot = kFirstInstance; slot <= kLastInstance; ++slot) {
    char slotCode[ProductCodeText::kCapacity] = {};
    MakeInstanceProductCode(driverProductCode, slot, slotCode);
    std::string_view slotView(slotCode);
    bool taken = false;
    for (INODE<char>* node = context.copyGuidList.head; node != nullptr; node = node->next) {
      if (ascii::startsWithNoCase(node->data, slotView)) {
        taken = true;
        break;
      }
    }
    if (!taken) std::memcpy(out, slotCode, slotView.size() + 1);
  }
  return 0;
}

uint32_t slotTransformName(const char* driverProductCode, const char* instanceProductCode,
                           char* out, std::size_t capacity) {
  for (uint32_t slot = kFirstInstance; slot <= kLastInstance; ++slot) {
    char slotCode[ProductCodeText::kCapacity] = {};
    MakeInstanceProductCode(driverProductCode, slot, slotCode);
    if (instanceProductCode == nullptr || !ascii::equalsNoCase(slotCode, instanceProductCode)) {
      continue;
    }
    char name[32];
    int length = std::snprintf(name, sizeof name, "inst%u.mst", static_cast<unsigned>(slot));
    if (length < 0 || static_cast<std::size_t>(length) + 1 > capacity) return kRunnerTextDoesNotFit;
    std::memcpy(out, name, static_cast<std::size_t>(length) + 1);
    return 0;
  }
  return kInstanceSlotUnavailable;
}
