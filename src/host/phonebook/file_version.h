#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>

namespace verolink::host {

// Which version of a file a path held when it was looked at: a writer that
// renames another file over it, or writes into it, gives it another version
// (another inode, size, or change time, which user programs cannot set).
struct FileVersion {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileVersion Missing() { return {}; }
  static FileVersion Of(const struct stat& st);
  bool operator==(const FileVersion& other) const;
};

// The file system's clock, as it stamps inodes, read before a file is looked at.
timespec StampClockNow();

// Whether every later change of the file is sure to show as another version:
// its change time lies before `lookedAt` by more than the file system's stamp
// granularity, so whatever comes later is stamped later. A file changed just
// before it was looked at can be changed again within the same clock tick
// (a few milliseconds) with its size and stamps all the same; its version is
// not settled, and the only way to know its text is to read it again.
bool IsSettled(const FileVersion& version, const timespec& lookedAt);

}  // namespace verolink::host
