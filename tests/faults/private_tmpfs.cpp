#include "private_tmpfs.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace verolink::faults {

namespace {

// Moves the process into its own mount namespace, once.
bool OwnMountNamespace(std::string& reason) {
  static const std::string failure = [] {
    if (unshare(CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return std::string("making mounts private: ") + std::strerror(errno);
    }
    return std::string();
  }();
  reason = failure;
  return failure.empty();
}

}  // namespace

PrivateTmpfs::PrivateTmpfs(const std::string& folder, const std::string& options)
    : folder_(folder), options_(options) {
  if (!OwnMountNamespace(reason_)) return;
  if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) != 0) {
    reason_ = std::string("mount -t tmpfs: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

PrivateTmpfs::~PrivateTmpfs() {
  if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
}

bool PrivateTmpfs::RemountReadOnly() {
  return mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
               options_.c_str()) == 0;
}

}  // namespace verolink::faults
