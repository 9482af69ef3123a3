#pragma once

#include <string>

namespace verolink::faults {

// A small tmpfs mounted over a folder, seen by this test process alone: the
// process moves into a mount namespace of its own first, so nothing outside
// it sees the mount and nothing is left mounted if the test dies. Needs root
// (CAP_SYS_ADMIN); without it mounted() is false and reason() says why.
class PrivateTmpfs {
 public:
  PrivateTmpfs(const std::string& folder, const std::string& options);
  ~PrivateTmpfs();
  PrivateTmpfs(const PrivateTmpfs&) = delete;
  PrivateTmpfs& operator=(const PrivateTmpfs&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  // Makes the file system read-only, keeping its files.
  bool RemountReadOnly();

 private:
  std::string folder_;
  std::string options_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace verolink::faults
