#include "tools/msiexec/transforms.h"

#include <gtest/gtest.h>

#include "platform/emulated/test_machine.h"
#include "tools/msiexec/installer_codes.h"

namespace msiexec {
namespace {

const char kPackage[] = "D:\\media\\image\\QOR Telvar Driver for ODBC, CLI, and .NET.msi";

TEST(TransformsTest, FindsLanguageTransformsBesideThePackageAndInstanceSlotsInIt) {
  emulated::TestMachine machine;
  machine.writeFile("D:\\media\\image\\1031.mst", "x");
  machine.writeFile("D:\\media\\image\\1033.mst", "x");
  machine.writeFile("E:\\other\\custom.mst", "x");
  struct Case {
    const char* list;
    uint32_t slot;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"", 0, {}},
      {"1031.mst", 0, {"D:\\media\\image\\1031.mst"}},
      {":inst15.mst;1031.mst", 15, {"D:\\media\\image\\1031.mst"}},
      {":INST1.MST", 1, {}},
      {"1033.mst;:inst7.mst", 7, {"D:\\media\\image\\1033.mst"}},
      {"E:\\other\\custom.mst;@1031.mst",
       0,
       {"E:\\other\\custom.mst", "D:\\media\\image\\1031.mst"}},
      {";;1031.mst;", 0, {"D:\\media\\image\\1031.mst"}},
  };
  for (const Case& c : cases) {
    TransformSelection selection;
    std::string error;
    ASSERT_EQ(selectTransforms(c.list, kPackage, &selection, &error), 0u)
        << c.list << ": " << error;
    EXPECT_EQ(selection.instanceSlot, c.slot) << c.list;
    EXPECT_EQ(selection.files, c.files) << c.list;
  }
}

TEST(TransformsTest, RefusesMissingFilesAndUnknownStoredTransforms) {
  emulated::TestMachine machine;
  machine.writeFile("D:\\media\\image\\1033.mst", "x");
  machine.makeDirectory("D:\\media\\image\\dir.mst");
  for (const char* list :
       {"1031.mst", "1033.mst;1031.mst", "dir.mst", ":inst0.mst", ":inst16.mst", ":inst015.mst",
        ":lang.mst", ":inst15.mst;:inst14.mst", "E:\\none.mst"}) {
    TransformSelection selection;
    std::string error;
    EXPECT_EQ(selectTransforms(list, kPackage, &selection, &error), kTransformFailure) << list;
    EXPECT_FALSE(error.empty()) << list;
  }
}

TEST(TransformsTest, NumbersTheInstanceSlots) {
  EXPECT_EQ(instanceSlotOfTransform("inst1.mst"), 1u);
  EXPECT_EQ(instanceSlotOfTransform("Inst15.MST"), 15u);
  for (const char* name : {"inst.mst", "inst16.mst", "inst0.mst", "inst1.mstx", "instA.mst",
                           "inst100.mst", "x1.mst", ""}) {
    EXPECT_EQ(instanceSlotOfTransform(name), 0u) << name;
  }
}

}  // namespace
}  // namespace msiexec
