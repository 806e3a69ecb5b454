// The file side of an installation: the package's files out of its
// cabinets into their directories, and the empty folders it asks for.
#include <sys/stat.h>

#include <cstdint>

#include "base/ascii.h"
#include "emulation/machine/host_files.h"
#include "emulation/msiexec/cabinet.h"
#include "emulation/msiexec/directory_tree.h"
#include "emulation/msiexec/install_session.h"

namespace msiexec {
namespace {

constexpr std::size_t kMaxPath = 260;

}  // namespace

bool InstallSession::cabinetFiles(const FileRow& file,
                                  const std::map<std::string, std::string>** files) {
  const MediaRow* media = nullptr;
  for (const MediaRow& row : tables_.media) {
    if (row.lastSequence >= file.sequence) {
      media = &row;
      break;
    }
  }
  if (media == nullptr || media->cabinet.empty()) {
    return fail("the file " + file.file +
                " is not in a cabinet; uncompressed source layouts are not supported");
  }
  auto cached = cabinets_.find(media->cabinet);
  if (cached == cabinets_.end()) {
    std::string bytes;
    std::string error;
    if (media->cabinet[0] == '#') {
      if (!package_.readStream(media->cabinet.substr(1), &bytes, &error)) return fail(error);
    } else {
      const std::string path = directoryOf(packagePath_) + media->cabinet;
      if (!emulated::readHostFile(hostPathOf(path), &bytes, &error)) {
        return fail("cannot read the cabinet " + path + (error.empty() ? "" : ": " + error));
      }
    }
    std::map<std::string, std::string> extracted;
    if (!extractCabinet(bytes, &extracted, &error)) {
      return fail("cabinet " + media->cabinet + ": " + error);
    }
    log_->message("Extracted " + std::to_string(extracted.size()) + " files from cabinet " +
                  media->cabinet);
    cached = cabinets_.emplace(media->cabinet, std::move(extracted)).first;
  }
  *files = &cached->second;
  return true;
}

bool InstallSession::rewritesFile(const std::string& hostPath, const std::string& content) const {
  if (mode_ == InstallMode::kFirstInstall) return true;
  if (mode_ == InstallMode::kMaintenance) return false;
  std::string modes = properties_.get("REINSTALLMODE");
  if (modes.empty()) modes = "omus";
  auto has = [&](char letter) {
    return ascii::findNoCase(modes, std::string(1, letter)) != std::string::npos;
  };
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) {
    return has('p') || has('o') || has('e') || has('d') || has('c') || has('a');
  }
  if (has('a')) return true;
  // Without file versions to compare, a file that differs from the
  // package's counts as older; only one of the same size is read.
  std::string present;
  const bool differs = static_cast<std::uint64_t>(st.st_size) != content.size() ||
                       !emulated::readHostFile(hostPath, &present, nullptr, content.size()) ||
                       present != content;
  return (has('o') || has('e') || has('d') || has('c')) && differs;
}

bool InstallSession::installFiles() {
  for (const FileRow& file : tables_.files) {
    if (!components_.count(file.component)) continue;
    std::string directory;
    std::string target;
    if (!fileTarget(file, &directory, &target)) return false;
    if (target.size() > kMaxPath) {
      return fail("the path " + target + " is longer than " + std::to_string(kMaxPath) +
                  " characters");
    }
    const std::map<std::string, std::string>* files = nullptr;
    if (!cabinetFiles(file, &files)) return false;
    auto content = files->find(file.file);
    if (content == files->end()) return fail("the cabinet does not hold the file " + file.file);
    const std::string host = hostPathOf(target);
    if (host.empty()) return fail("the path " + target + " is not on this machine");
    if (!rewritesFile(host, content->second)) {
      log_->message("File: " + target + "; kept as it is");
      continue;
    }
    std::string error;
    if (!journal_->makeDirectories(directory, &error) ||
        !journal_->writeFile(target, content->second, &error)) {
      return fail("cannot write " + target + ": " + error);
    }
    log_->message("File: " + target + "; installed (" + std::to_string(content->second.size()) +
                  " bytes)");
    progress_->say("  " + target);
  }
  return true;
}

bool InstallSession::createFolders() {
  for (const CreateFolderRow& row : tables_.createFolders) {
    if (!components_.count(row.component)) continue;
    auto directory = directories_.find(row.directory);
    if (directory == directories_.end()) return fail("no directory " + row.directory);
    std::string error;
    if (!journal_->makeDirectories(directory->second, &error)) {
      return fail("cannot create the folder " + directory->second + ": " + error);
    }
    log_->message("Folder: " + directory->second + "; created");
  }
  return true;
}

}  // namespace msiexec
