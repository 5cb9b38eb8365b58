// The exceptions of a failed gzip stream operation, as the event file writer
// raises them: Z_ERRNO as cmr::ErrnoException, any other zlib error as
// cmr::ZlibException with zlib's text.
#pragma once

#include <exception>
#include <string_view>

#include <zlib.h>

namespace cmr {

// The exception for a zlib error number: Z_ERRNO carries errno, any other
// number zlib's own text.
std::exception_ptr ZlibFailure(int error, const char* text);

// The failure of the stream's last operation, as gzerror tells it. Call it
// in the thread that made the call: errno is the thread's own.
std::exception_ptr StreamFailure(gzFile stream);

// Hands `bytes` to the stream; its failure, or null. The bytes go in
// pieces smaller than the stream's input buffer, so that the stream copies
// them: a larger write is compressed from the caller's memory, and after a
// failed one the stream would still point there when it is closed.
std::exception_ptr WriteToStream(gzFile stream, std::string_view bytes);

}  // namespace cmr
