#include "host/system/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace verolink::host {

namespace {

// Writes all of `content`, going on after interruptions and short writes;
// 0, or the errno of the failed write (EIO for one that wrote nothing).
int WriteWhole(int fd, std::string_view content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// Syncs a folder's own entries, so that a rename into it survives a crash.
int SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return error;
}

}  // namespace

int ReplaceFileAtomically(const std::string& folder, const std::string& name,
                          std::string_view content, mode_t mode, const std::string& temporaryPrefix,
                          const std::function<void()>& beforeRename) {
  std::string temporary = folder + "/" + temporaryPrefix + "XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = WriteWhole(fd, content);
  if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  const std::string target = folder + "/" + name;
  if (error == 0 && beforeRename) beforeRename();
  if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  return SyncFolder(folder);
}

}  // namespace verolink::host
