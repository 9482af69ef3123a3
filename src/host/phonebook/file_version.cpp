#include "host/phonebook/file_version.h"

#include <cstdint>

namespace verolink::host {

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

// File systems that keep whole seconds (ext4 with small inodes, FAT with its
// two seconds) show stamps without a fraction; the finest-grained ones keep
// the kernel's clock tick, the coarser fine ones (exFAT) 10 ms.
constexpr std::int64_t kWholeSecondsMargin = 2 * kNanosecondsPerSecond;
constexpr std::int64_t kFineStampMargin = 20'000'000;

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * kNanosecondsPerSecond + t.tv_nsec;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

FileVersion FileVersion::Of(const struct stat& st) {
  return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool FileVersion::operator==(const FileVersion& other) const {
  if (exists != other.exists) return false;
  if (!exists) return true;
  return device == other.device && inode == other.inode && size == other.size &&
         SameTime(modified, other.modified) && SameTime(changed, other.changed);
}

timespec StampClockNow() {
  // Inode stamps come from the coarse clock (or a finer one that is never
  // behind it), so a change after this moment is stamped at least this.
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

bool IsSettled(const FileVersion& version, const timespec& lookedAt) {
  if (!version.exists) return true;  // any file that appears is another version
  // The change time moves with every write and metadata change; a stamp set
  // into the future by hand is never settled.
  const timespec& stamp = version.changed;
  const std::int64_t margin = stamp.tv_nsec == 0 ? kWholeSecondsMargin : kFineStampMargin;
  return Nanoseconds(lookedAt) - Nanoseconds(stamp) > margin;
}

}  // namespace verolink::host
