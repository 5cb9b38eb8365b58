// Saving a document without risking the old one: the new content is written
// to a file beside it (held deny-write while it is written), flushed, closed
// and only then renamed over the old file. A failure leaves the old file as
// it was and removes the new one.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace cmr {

// `write` writes the content to the stream and returns an empty text, or the
// error text to throw. Throws std::runtime_error(openError) when the new file
// cannot be made, and std::runtime_error(openError) when flushing, closing or
// renaming fails.
void WriteFileReplacing(const std::u16string& path, const std::function<std::string(FILE*)>& write,
                        const std::string& openError);

// The name of the file written beside `path` before it replaces it.
std::u16string ReplacementPath(const std::u16string& path);

}  // namespace cmr
