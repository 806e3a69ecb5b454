#include "installed/instance_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"
#include "installed/install_copy.h"
#include "installed/result_codes.h"
#include "installed/test_registry.h"

namespace {

using test_registry::copy;
using test_registry::key;
using test_registry::value;

// An instance as the family's instance library reports it.
std::string instance(const std::string& name, const std::string& directory, const char* owner) {
  std::string text = key("SOFTWARE\\QOR\\KV7\\Instances\\" + name) + value("Directory", directory);
  if (owner != nullptr) text += value("Copy", owner);
  return text;
}

const std::string kLegacyCopy = key("SOFTWARE\\QOR\\KV7") + value("KV7 Path Name", "C:\\KV7V8");

std::vector<std::string> names(InstanceList& list) {
  std::vector<std::string> result;
  IKV7INSTANCE* item = list.First();
  for (uint32_t i = 0; i < list.count() && item != nullptr; ++i) {
    result.push_back(item->name());
    item = list.Next();
  }
  return result;
}

class InstanceListTest : public ::testing::Test {
 protected:
  emulated::TestMachine machine;
};

TEST_F(InstanceListTest, EachCopyListsTheInstancesItOwns) {
  machine.writeRegistry(
      kLegacyCopy + copy("COPY1", "C:\\c1") + copy("COPY2", "C:\\c2") +
      instance("INST1", "C:\\c1\\INST1", "copy1") + instance("INST2", "C:\\c2\\INST2", "COPY2") +
      instance("OLD", "C:\\KV7V8\\OLD", "") + instance("OLDER", "C:\\KV7V8\\OLDER", nullptr) +
      instance("INST3", "C:\\c1\\INST3", "COPY1"));
  const struct {
    const char* copy;
    std::vector<std::string> instances;
  } cases[] = {{"COPY1", {"INST1", "INST3"}},
               {"COPY2", {"INST2"}},
               {"KV7V8", {"OLD", "OLDER"}},
               {"COPY9", {}}};
  for (const auto& c : cases) {
    InstallCopy owner(c.copy, false);
    InstanceList list(&owner);
    EXPECT_FALSE(list.failed()) << c.copy;
    EXPECT_EQ(names(list), c.instances) << c.copy;
    for (const std::string& name : c.instances) EXPECT_TRUE(owner.HasInstance(name.c_str()));
  }
  InstallCopy copy1("COPY1", false);
  EXPECT_FALSE(copy1.HasInstance("INST2"));
  EXPECT_TRUE(copy1.HasInstance("inst3"));
}

TEST_F(InstanceListTest, NoInstancesGiveAnEmptyListThatDidNotFail) {
  machine.writeRegistry(copy("COPY1", "C:\\c1"));
  InstallCopy owner("COPY1", false);
  InstanceList* list = nullptr;
  ASSERT_EQ(owner.GetInstances(&list), 0u);
  EXPECT_EQ(list->count(), 0u);
  EXPECT_FALSE(list->failed());
  IKV7INSTANCE* found = nullptr;
  EXPECT_EQ(list->FindInstance("INST1", &found), RC_NOT_FOUND);
  EXPECT_EQ(list->FindInstance("INST1", nullptr), RC_MISSING_ARGUMENT);
  InstanceList* again = nullptr;
  ASSERT_EQ(owner.GetInstances(&again), 0u);
  EXPECT_EQ(again, list);

  InstallCopy unnamed("", false);
  EXPECT_EQ(unnamed.GetInstances(&list), RC_FAILED);
  EXPECT_FALSE(unnamed.HasInstance("INST1"));
}

TEST_F(InstanceListTest, ProfileClusterValueAndSystemFile) {
  std::string systemFile(4200, '\0');
  systemFile[40] = '\x34';
  systemFile[41] = '\x12';
  systemFile[4095] = 'E';
  systemFile[4096] = 'X';  // beyond what is read
  machine.writeFile("C:\\c1\\INST1\\kv7systm", systemFile);
  machine.writeRegistry(
      kLegacyCopy + copy("COPY1", "C:\\c1") + instance("INST1", "C:\\c1\\INST1", "COPY1") +
      instance("INST2", "C:\\c1\\INST2", "COPY1") + instance("OLD", "C:\\KV7V8\\OLD", "") +
      key("SOFTWARE\\QOR\\KV7\\InstalledCopies\\COPY1\\PROFILES\\INST1") +
      value("KV7CLUSTER", "CLUSTER-A") + key("SOFTWARE\\QOR\\KV7\\PROFILES\\OLD") +
      value("KV7CLUSTER", "LEGACY-CLUSTER"));

  InstallCopy copy1("COPY1", false);
  InstanceList* list = nullptr;
  ASSERT_EQ(copy1.GetInstances(&list), 0u);
  IKV7INSTANCE* inst1 = nullptr;
  ASSERT_EQ(list->FindInstance("inst1", &inst1), 0u);
  EXPECT_TRUE(inst1->IsCluster());
  char text[256];
  ASSERT_EQ(inst1->GetCluster(text, sizeof text), 0u);
  EXPECT_STREQ(text, "CLUSTER-A");
  EXPECT_EQ(inst1->GetSystemFileValue(), 0x1234u);
  uint8_t bytes[IKV7INSTANCE::kSystemFileSize];
  ASSERT_EQ(inst1->CopySystemFile(bytes), 0u);
  EXPECT_EQ(bytes[4095], 'E');
  ASSERT_EQ(inst1->GetCopyName(text, sizeof text), 0u);
  EXPECT_STREQ(text, "COPY1");
  EXPECT_EQ(machine.readFile("C:\\c1\\INST1\\kv7systm"), systemFile) << "read, never written";

  IKV7INSTANCE* inst2 = nullptr;
  ASSERT_EQ(list->FindInstance("INST2", &inst2), 0u);
  EXPECT_FALSE(inst2->IsCluster());
  ASSERT_EQ(inst2->GetCluster(text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(inst2->GetSystemFileValue(), 0u);
  EXPECT_EQ(inst2->ReloadSystemFile(nullptr), RC_MISSING_ARGUMENT);
  ASSERT_EQ(inst2->ReloadSystemFile("C:\\c1\\INST1"), 0u);
  EXPECT_EQ(inst2->GetSystemFileValue(), 0x1234u);

  InstallCopy legacy("KV7V8", false);
  IKV7INSTANCE* old = nullptr;
  ASSERT_EQ(legacy.GetInstances(&list), 0u);
  ASSERT_EQ(list->FindInstance("OLD", &old), 0u);
  ASSERT_EQ(old->GetCluster(text, sizeof text), 0u);
  EXPECT_STREQ(text, "LEGACY-CLUSTER");
}

TEST_F(InstanceListTest, InstanceTextsAndTheirBuffers) {
  const struct {
    const char* directory;
    const char* parent;
    uint32_t parentResult;
  } cases[] = {{"C:\\Program Files\\QOR\\INST1", "C:\\Program Files\\QOR", 0},
               {"C:\\INST1", "C:", 0},
               {"INST1", "", RC_FAILED}};
  for (const auto& c : cases) {
    IKV7INSTANCE item("INST1", nullptr, c.directory);
    char text[261] = "";
    EXPECT_EQ(item.GetParentPath(text, sizeof text), c.parentResult) << c.directory;
    if (c.parentResult == 0) {
      EXPECT_STREQ(text, c.parent);
    }
    EXPECT_EQ(item.GetCopyName(text, sizeof text), RC_FAILED);
  }
  IKV7INSTANCE item("LONGINSTANCE", nullptr, "C:\\x\\LONGINSTANCE");
  char name[9];
  ASSERT_EQ(item.GetName(name, sizeof name), 0u);
  EXPECT_STREQ(name, "LONGINST");
  EXPECT_EQ(item.GetName(name, 8), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(item.GetPath(nullptr, 10), RC_MISSING_ARGUMENT);
  EXPECT_EQ(item.CopySystemFile(nullptr), RC_MISSING_ARGUMENT);
}

}  // namespace
