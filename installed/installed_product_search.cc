#include <cstring>
#include <string_view>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "installed/instance_code_maker.h"
#include "installed/product_catalogue.h"
#include "platform/platform.h"

namespace {

// The level file a product leaves in the copy it is installed in.
using LevelFileName = FixedText<256>;
// Windows Installer's install locations are read into 256 bytes.
constexpr uint32_t kLocationSize = 256;

bool levelFileExists(const char* shortId, const char* copyPath) {
  LevelFileName name;
  bool fits = name.assign(copyPath);
  if (fits && name.back() != '\\') fits = name.append('\\');
  fits = fits && name.append("cfg\\kv7") && name.append(shortId) && name.append(".lvl");
  // A name of 256 characters or more cannot be a file of the copy.
  return fits && platform::pathAccess(name.c_str(), platform::kAccessExists);
}

void copyCode(const char* code, char* out) {
  std::size_t length = strnlen(code, kProductCodeSize - 1);
  std::memcpy(out, code, length);
  out[length] = '\0';
}

// True when Windows Installer has the product installed at copyPath.
bool installedAt(const char* productCode, std::string_view copyPath) {
  if (platform::msiQueryProductState(productCode) != platform::kInstallStateDefault) return false;
  char location[kLocationSize] = "";
  uint32_t size = kLocationSize;
  // An unreadable location stays empty and matches no copy.
  platform::msiGetProductInfo(productCode, "InstallLocation", location, &size);
  location[kLocationSize - 1] = '\0';
  std::string_view where(location);
  if (!where.empty() && where.back() == '\\') where.remove_suffix(1);
  return ascii::equalsNoCase(where, copyPath);
}

// The code itself or one of its instance codes installed at copyPath, copied
// into out.
bool findCodeOrInstance(const char* baseCode, std::string_view copyPath, char* out) {
  if (baseCode == nullptr || baseCode[0] == '\0') return false;
  if (installedAt(baseCode, copyPath)) {
    copyCode(baseCode, out);
    return true;
  }
  const InstanceCodeMaker instances(baseCode);
  for (uint32_t n = kFirstInstance; n <= kLastInstance; ++n) {
    char instanceCode[kProductCodeSize] = "";
    if (instances.append(n, instanceCode) != 0) continue;
    if (installedAt(instanceCode, copyPath)) {
      copyCode(instanceCode, out);
      return true;
    }
  }
  return false;
}

}  // namespace

uint32_t FindInstalledProductCode(const char* shortId, const char* copyPath, char* out,
                                  bool isLegacy, bool use32BitView) {
  if (shortId == nullptr || copyPath == nullptr || out == nullptr) return kGenerationNone;
  // A copy without a path holds nothing; its level files would otherwise be
  // looked for at the root of the current drive.
  if (copyPath[0] == '\0') return kGenerationNone;
  // The level file comes first: a product without one costs no installer
  // query.
  if (!levelFileExists(shortId, copyPath)) return kGenerationNone;

  if (isLegacy) {
    // Release 8 registered no product codes that can be asked for: the level
    // file alone marks the product, and its code comes from the table.
    if (ascii::equalsNoCase(shortId, "qdx")) return kGenerationNone;
    const ProductRow* row = ProductCatalogue::legacy().findByShortId(shortId);
    copyCode(row != nullptr && row->productCode != nullptr ? row->productCode : "", out);
    return kGenerationLegacy;
  }

  const ProductRow* row = ProductCatalogue::current().findByShortId(shortId);
  if (row == nullptr) return kGenerationNone;
  struct Candidate {
    const char* code;
    uint32_t generation;
  };
  const Candidate candidates[] = {
      {use32BitView ? row->productCode32 : row->productCode, kGenerationFirst},
      {use32BitView ? row->productCodeGen2_32 : row->productCodeGen2, kGenerationSecond},
      {use32BitView ? row->productCodeGen3_32 : row->productCodeGen3, kGenerationThird},
  };
  std::string_view path(copyPath);
  for (const Candidate& candidate : candidates) {
    if (findCodeOrInstance(candidate.code, path, out)) return candidate.generation;
  }
  return kGenerationNone;
}
