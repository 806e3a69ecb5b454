#pragma once

#include <cstddef>
#include <cstdint>

// Generation codes: under which of a row's product codes a product was found.
constexpr uint32_t kGenerationNone = 0;
constexpr uint32_t kGenerationFirst = 1;
constexpr uint32_t kGenerationSecond = 0x10;
constexpr uint32_t kGenerationThird = 0x100;
constexpr uint32_t kGenerationLegacy = 0xFFFF;  // found in the legacy copy

// Product codes are GUIDs in braces: 38 characters and the terminator.
constexpr size_t kProductCodeSize = 39;
// Instance slots of a package, each with a product code of its own.
constexpr uint32_t kFirstInstance = 1;
constexpr uint32_t kLastInstance = 15;

// Column 6 of a row: the product class (0 to 4) followed by a flag.
struct ProductClassAndFlag {
  uint32_t productClass;
  uint8_t flag;
};

// One product of the family, 15 pointer-sized columns. Rows of the legacy
// table fill only columns 0 to 7; the rest are null.
struct ProductRow {
  const char* catalogueId;           // 0  e.g. "PROD_CLI"
  const char* shortId;               // 1  key of every lookup, part of the level file name
  const char* productCode;           // 2  first generation, default view
  const char* productName;           // 3
  uintptr_t productBits;             // 4  32-bit mask
  const char* productWord;           // 5  the product's word in response files
  ProductClassAndFlag classAndFlag;  // 6
  uintptr_t productNumber;           // 7
  const char* packageFileName;       // 8  the package in the installation image
  const char* productCode32;         // 9  first generation, 32-bit view
  const char* productCodeGen2;       // 10 may be empty
  const char* productCodeGen2_32;    // 11 may be empty
  const char* productCodeGen3;       // 12 may be empty
  const char* productCodeGen3_32;    // 13 may be empty
  uintptr_t reserved;                // 14 zero
};
static_assert(sizeof(void*) != 8 || sizeof(ProductRow) == 15 * sizeof(void*),
              "a catalogue row is 15 pointer-sized columns");

// A constant table of rows, searched in row order.
struct ProductTable {
  const ProductRow* rows;
  uint32_t count;

  const ProductRow* begin() const { return rows; }
  const ProductRow* end() const { return rows + count; }
  const ProductRow& operator[](uint32_t index) const { return rows[index]; }
  // The first row whose short id equals shortId (letter case ignored), or
  // null; null for a null shortId.
  const ProductRow* findByShortId(const char* shortId) const;
};

// The static catalogue of the family's products.
struct ProductCatalogue {
  static constexpr uint32_t kCurrentRowCount = 13;
  static constexpr uint32_t kLegacyRowCount = 27;

  // One row per product of this release; the driver package is the last.
  static const ProductTable& current();
  // Products of release 8, used only for the legacy copy.
  static const ProductTable& legacy();
};

// Appends to out (39 bytes, emptied by the caller) the product code of
// instance n of baseCode: the fourth group plus n, in upper-case hexadecimal
// without leading zeros, and without its first digit when that gives more
// than four. 1 when baseCode is null (nothing written); RC_MISSING_ARGUMENT
// for a null out; RC_FAILED when baseCode does not have five groups;
// RC_BUFFER_TOO_SMALL when the code would not fit (out unchanged); else 0.
uint32_t MakeInstanceProductCode(const char* baseCode, uint32_t instance, char* out);

// Which of the catalogue's product codes for shortId is installed at
// copyPath: answers a generation code (kGenerationNone when none) and copies
// the code found into out (39 bytes). A product counts only when its level
// file "cfg\kv7<shortId>.lvl" exists in the copy.
uint32_t FindInstalledProductCode(const char* shortId, const char* copyPath, char* out,
                                  bool isLegacy, bool use32BitView);
