// Open-file-description locks on single bytes of a lock file: they conflict
// between two opens even inside one process, and go when the process ends.
// Used for share modes and for named mutexes.
#pragma once

#include <sys/types.h>

#include <string>

namespace host {

// F_RDLCK (shared), F_WRLCK (exclusive) or F_UNLCK on byte `byte`; `wait`
// blocks until granted. False when another open holds a conflicting lock.
bool SetByteLock(int fd, short type, off_t byte, bool wait);

// /tmp/ec-<kind>-<uid>, made on first use, private to the user.
std::string LockDirectory(const std::string& kind);

}  // namespace host
