#pragma once

#include <map>
#include <string>
#include <vector>

// The tables of an installer package that this installer acts on, read into
// plain rows. Texts are UTF-8 as the package stores them after decoding; a
// null column reads as an empty text (or as the column's *Null flag where
// the difference matters).
namespace msiexec {

struct DirectoryRow {
  std::string directory;
  std::string parent;  // empty for a root
  std::string defaultDir;
};

// Bits of a component's attributes.
constexpr int kComponentRegistryKeyPath = 0x4;
constexpr int kComponentPermanent = 0x10;
constexpr int kComponent64Bit = 0x100;

struct ComponentRow {
  std::string component;
  std::string componentId;  // empty: a component Windows Installer never registers
  std::string directory;
  int attributes = 0;
  std::string condition;
  std::string keyPath;  // a File or Registry key, or empty: the directory
};

struct FileRow {
  std::string file;  // the key, also the file's name in the cabinet
  std::string component;
  std::string fileName;  // "short|long" or one name
  int sequence = 0;
};

struct RegistryRow {
  std::string registry;
  int root = 0;  // -1 per-machine or per-user, 0 HKCR, 1 HKCU, 2 HKLM, 3 HKU
  std::string key;
  std::string name;
  bool nameNull = true;
  std::string value;
  bool valueNull = true;
  std::string component;
};

struct CustomActionRow {
  std::string action;
  int type = 0;
  std::string source;
  std::string target;
};

struct SequenceRow {
  std::string action;
  std::string condition;
  int sequence = 0;
};

struct FeatureRow {
  std::string feature;
  std::string parent;
  int level = 0;
};

struct FeatureComponentRow {
  std::string feature;
  std::string component;
};

struct MediaRow {
  int diskId = 0;
  int lastSequence = 0;
  std::string cabinet;  // "#name" for a cabinet stored in the package
};

struct AppSearchRow {
  std::string property;
  std::string signature;
};

struct RegLocatorRow {
  std::string signature;
  int root = 0;
  std::string key;
  std::string name;
  bool nameNull = true;
  int type = 0;
};

// A condition the installation must meet before it changes anything; its
// description (formatted) says why the installation stops when it is false.
struct LaunchConditionRow {
  std::string condition;
  std::string description;
};

struct CreateFolderRow {
  std::string directory;
  std::string component;
};

struct PackageTables {
  std::map<std::string, std::string> properties;
  std::vector<DirectoryRow> directories;
  std::vector<ComponentRow> components;
  std::vector<FileRow> files;
  std::vector<RegistryRow> registry;
  std::vector<CustomActionRow> customActions;
  std::vector<SequenceRow> installExecuteSequence;  // sorted by sequence number
  std::vector<FeatureRow> features;
  std::vector<FeatureComponentRow> featureComponents;
  std::vector<MediaRow> media;  // sorted by last sequence
  std::vector<AppSearchRow> appSearch;
  std::vector<RegLocatorRow> regLocators;
  std::vector<CreateFolderRow> createFolders;
  std::vector<LaunchConditionRow> launchConditions;
};

}  // namespace msiexec
