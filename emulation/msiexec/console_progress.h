#pragma once

#include <string_view>

// What the installer shows on standard output while it works, unless its
// user interface is off ("/qn"): what it installs, one line per step with
// how far it has come, and the outcome.
namespace msiexec {

class ConsoleProgress {
 public:
  explicit ConsoleProgress(bool shown) : shown_(shown) {}

  void say(std::string_view text) const;
  // "[ 40%] WriteRegistryValues"
  void step(std::size_t done, std::size_t total, std::string_view action) const;

 private:
  bool shown_;
};

}  // namespace msiexec
