// Windows share modes between every open of a file, in this process and in
// others. Each open holds a lock-file descriptor of its own (an own open file
// description, so OFD locks of two opens conflict even inside one process).
// The lock file, one per file identity (device and inode), lives in
// /tmp/ec-share-<uid>/. Its bytes:
//   0 gate: held exclusively while an open checks and takes its locks
//   1 a reader is open      2 a writer is open      3 a deleter is open
//   4 reading is denied     5 writing is denied     6 deleting is denied
// An open holds shared locks on the bytes that describe it; it checks a
// conflict by trying an exclusive lock on the opposite byte. The last open
// to close removes the lock file; an opener that finds its lock file
// removed under it (after waiting at the gate) opens the new one.
#pragma once

#include <string>

#include "platform/api/types.h"

namespace host {

struct ShareRequest {
  bool read = false;
  bool write = false;
  bool remove = false;
  bool shareRead = false;
  bool shareWrite = false;
  bool shareDelete = false;
};

class ShareLock {
 public:
  ShareLock() = default;
  ~ShareLock();
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;

  // Takes the share lock of the open file `fd`. Returns 0, or
  // ERROR_SHARING_VIOLATION when another open forbids this one.
  DWORD Acquire(int fd, const ShareRequest& request);
  void Release();

 private:
  int lockFd_ = -1;
  std::string lockPath_;
};

// Whether the file at `linuxPath` may be deleted or renamed now: 0, or
// ERROR_SHARING_VIOLATION while an open of it does not share deletion.
DWORD CheckDeleteAllowed(const std::string& linuxPath);

}  // namespace host
