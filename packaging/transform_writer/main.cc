// transform_writer: makes the transforms of the driver package and stores
// the instance transforms in it. A build tool of the host, run by the build.
//
//   transform_writer changes  <package> <changes file> <code page> <out.mst>
//   transform_writer instance <package> <slot> <own directory> <out.mst>
//   transform_writer embed    <package> <out.msi> <name>=<transform file>...
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "packaging/transform_writer/change_list.h"
#include "packaging/transform_writer/instance_changes.h"
#include "packaging/transform_writer/package_embedding.h"
#include "packaging/transform_writer/transform_file.h"

namespace {

constexpr int kUsage = 2;
constexpr int kFailed = 1;

int usage() {
  std::fprintf(stderr,
               "usage: transform_writer changes <package> <changes file> <code page> <out.mst>\n"
               "       transform_writer instance <package> <slot> <own directory> <out.mst>\n"
               "       transform_writer embed <package> <out.msi> <name>=<transform file>...\n");
  return kUsage;
}

int fail(const std::string& reason) {
  std::fprintf(stderr, "transform_writer: %s\n", reason.c_str());
  return kFailed;
}

bool readFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  *text = content.str();
  return true;
}

// A whole decimal number, or false.
bool number(const std::string& text, unsigned long* value) {
  char* end = nullptr;
  *value = std::strtoul(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && text[0] != '-';
}

int writeChanges(const std::vector<std::string>& args) {
  unsigned long codePage = 0;
  if (args.size() != 4 || !number(args[2], &codePage) || codePage > 0xFFFF) return usage();
  transform_writer::BasePackage package;
  std::string error;
  std::string text;
  std::vector<msidb::TableChanges> changes;
  if (!transform_writer::readBasePackage(args[0], &package, &error)) return fail(error);
  if (!readFile(args[1], &text)) return fail("cannot read " + args[1]);
  if (!transform_writer::parseChangeList(text, package.tables, &changes, &error)) {
    return fail(args[1] + ": " + error);
  }
  if (!transform_writer::writeTransform(package, changes, static_cast<uint32_t>(codePage), args[3],
                                        &error)) {
    return fail(error);
  }
  return 0;
}

int writeInstance(const std::vector<std::string>& args) {
  unsigned long slot = 0;
  if (args.size() != 4 || !number(args[1], &slot)) return usage();
  transform_writer::BasePackage package;
  std::string error;
  std::vector<msidb::TableChanges> changes;
  if (!transform_writer::readBasePackage(args[0], &package, &error) ||
      !transform_writer::instanceChanges(package.tables, static_cast<uint32_t>(slot), args[2],
                                         &changes, &error) ||
      !transform_writer::writeTransform(package, changes, 0, args[3], &error)) {
    return fail(error);
  }
  return 0;
}

int embed(const std::vector<std::string>& args) {
  if (args.size() < 3) return usage();
  std::vector<transform_writer::EmbeddedTransform> transforms;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::size_t equals = args[i].find('=');
    if (equals == 0 || equals == std::string::npos) return usage();
    transforms.push_back({args[i].substr(0, equals), args[i].substr(equals + 1)});
  }
  std::string error;
  if (!transform_writer::embedTransforms(args[0], transforms, args[1], &error)) return fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "changes") return writeChanges(args);
  if (command == "instance") return writeInstance(args);
  if (command == "embed") return embed(args);
  return usage();
}
