// A disk that fills up, for tests run in a child process of their own: a
// limit on the size of files, and text that does not compress.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <string>

namespace testsupport {

// Files may grow to `bytes` until the limit is lifted again (RLIM_INFINITY);
// a write beyond fails with EFBIG.
inline void LimitFileSize(rlim_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{bytes, RLIM_INFINITY};
  setrlimit(RLIMIT_FSIZE, &limit);
}

// `length` capital letters that do not compress, drawn from `seed`.
inline std::u16string Noise(uint32_t& seed, size_t length = 300) {
  std::u16string text;
  for (size_t k = 0; k < length; ++k)
    text.push_back(static_cast<char16_t>(u'A' + ((seed = seed * 1103515245 + 12345) >> 16) % 26));
  return text;
}

}  // namespace testsupport
