#pragma once

#include <cstddef>
#include <string>

// A small disk of its own for a test: a tmpfs mounted on a new temporary
// directory (tests run as root; where mounting is not allowed, mounted() is
// false and reason() says why, for GTEST_SKIP), which the test can fill up
// to the last few pages.
namespace emulated {

class TestDisk {
 public:
  static constexpr std::size_t kPage = 4096;

  explicit TestDisk(std::size_t bytes);
  // Unmounts the disk and removes its directory.
  ~TestDisk();
  TestDisk(const TestDisk&) = delete;
  TestDisk& operator=(const TestDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  const std::string& dir() const { return dir_; }

  // Fills the disk with a file of its own until exactly pages pages are
  // left free; false when that cannot be done.
  bool fillLeaving(std::size_t pages);
  // Mounts the disk again read-only, as a write-protected medium; false,
  // with reason() saying why, when that cannot be done.
  bool makeReadOnly();

 private:
  std::string base_;
  std::string dir_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace emulated
