#include "render/entry_bytes.h"

namespace cmr {

void EntryBytes::Grow(size_t count) { storage_.resize(std::max(storage_.size() * 2, size_ + count + 256)); }

}  // namespace cmr
