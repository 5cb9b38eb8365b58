// The content of a gzip file, read a piece at a time. Concatenated gzip
// members are one content, as gzip reads them; anything else after the
// last member (bytes a writer left behind, a file written over a longer
// one) is damage, as are a file that is no gzip stream and one cut off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

namespace cmr {

class GzipInput {
 public:
  GzipInput() = default;
  ~GzipInput();
  GzipInput(const GzipInput&) = delete;
  GzipInput& operator=(const GzipInput&) = delete;

  // Opens a file by its path on this machine; false with errno set.
  bool Open(const std::string& path);
  // Up to `size` bytes of content into `out`; 0 at the end or on damage,
  // which Problem() then tells.
  size_t Read(char* out, size_t size);
  const std::string& Problem() const { return problem_; }

 private:
  bool FillInput();
  // At the end of a member: another member follows, or the file ends.
  bool NextMember();
  void Close();

  FILE* file_ = nullptr;
  z_stream zs_{};
  bool inflating_ = false;
  bool done_ = false;
  std::vector<unsigned char> input_;
  std::string problem_;
};

}  // namespace cmr
