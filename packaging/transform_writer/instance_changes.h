#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"

// The changes of an instance transform: what lets a further copy of a
// package be installed beside the first as a product of its own.
namespace transform_writer {

// For instance slot n (1 to 15): ProductCode becomes the slot's product code
// (the product family's rule, MakeInstanceProductCode), and every component
// installed into the instance's own directory (ownDirectory or a directory
// below it) gets a component code of its own, so that Windows Installer
// counts each instance's components apart. The component code of slot n is
// derived by the same rule from the package's component code: its fourth
// group plus n. That is deterministic, differs for every slot and from the
// package's own code, and needs no record of the codes handed out.
bool instanceChanges(const msidb::Tables& package, uint32_t slot, const std::string& ownDirectory,
                     std::vector<msidb::TableChanges>* changes, std::string* error);

}  // namespace transform_writer
