#include "render/gzip_input.h"

#include <cstring>

namespace {

constexpr size_t kInputBytes = 1 << 16;
constexpr int kGzipOnly = 16 + MAX_WBITS;

bool StartsMember(const unsigned char* bytes, size_t size) { return size >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B; }

}  // namespace

namespace cmr {

GzipInput::~GzipInput() { Close(); }

void GzipInput::Close() {
  if (inflating_) inflateEnd(&zs_);
  inflating_ = false;
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool GzipInput::Open(const std::string& path) {
  Close();
  done_ = false;
  problem_.clear();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  input_.resize(kInputBytes);
  zs_ = z_stream{};
  if (inflateInit2(&zs_, kGzipOnly) != Z_OK) {
    problem_ = "cannot start decompressing";
    done_ = true;
    return true;
  }
  inflating_ = true;
  FillInput();
  if (!StartsMember(zs_.next_in, zs_.avail_in)) {
    problem_ = "not a gzip stream";
    done_ = true;
  }
  return true;
}

bool GzipInput::FillInput() {
  if (zs_.avail_in > 0) return true;
  const size_t got = std::fread(input_.data(), 1, input_.size(), file_);
  zs_.next_in = input_.data();
  zs_.avail_in = static_cast<uInt>(got);
  if (got == 0 && std::ferror(file_)) problem_ = "read error";
  return got > 0;
}

bool GzipInput::NextMember() {
  // The next member's first two bytes may straddle the input buffer's end.
  if (zs_.avail_in == 1) {
    input_[0] = *zs_.next_in;
    const size_t got = std::fread(input_.data() + 1, 1, input_.size() - 1, file_);
    zs_.next_in = input_.data();
    zs_.avail_in = static_cast<uInt>(got + 1);
  }
  if (!FillInput()) return false;  // the file ends with the member
  if (StartsMember(zs_.next_in, zs_.avail_in)) return inflateReset(&zs_) == Z_OK;
  uint64_t trailing = zs_.avail_in;
  for (size_t got; (got = std::fread(input_.data(), 1, input_.size(), file_)) > 0;) trailing += got;
  problem_ = std::to_string(trailing) + " byte" + (trailing == 1 ? "" : "s") + " after the gzip stream";
  return false;
}

size_t GzipInput::Read(char* out, size_t size) {
  if (done_) return 0;
  zs_.next_out = reinterpret_cast<unsigned char*>(out);
  zs_.avail_out = static_cast<uInt>(size);
  while (!done_ && zs_.avail_out == size) {
    if (zs_.avail_in == 0 && !FillInput()) {
      if (problem_.empty()) problem_ = "unexpected end of file";
      done_ = true;
      break;
    }
    const int result = inflate(&zs_, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      done_ = !NextMember();
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      problem_ = zs_.msg != nullptr ? zs_.msg : "damaged compressed data";
      done_ = true;
    }
  }
  return size - zs_.avail_out;
}

}  // namespace cmr
