#pragma once

#include <cstdint>

// What a run does with the driver product.
enum InstallType : uint32_t {
  InstallTypeNone = 0,
  InstallTypeFirstCopy = 1,
  InstallTypeNewCopy = 2,
  InstallTypeMaintainDefault = 3,
  InstallTypeMaintainInstance = 4,
  InstallTypeReinstallDefault = 5,
  InstallTypeReinstallInstance = 6,
};

// Instance slots (kFirstInstance to kLastInstance, installed/product_catalogue.h)
// each carry a product code of their own and a transform "inst<N>.mst" stored
// in the package.

// The driver package's base product code; it belongs to no slot.
constexpr const char* kDriverProductCode = "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}";
