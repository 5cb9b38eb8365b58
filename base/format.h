// FormatString: printf-style formatting in the Microsoft CRT's wide dialect
// (%s wide text, %S narrow text, %I64x, %08X, %-5d, %.02d, ...), type safe.
// A literal format is checked against its arguments at compile time; a
// format known only at run time is checked when it is used and a mismatch
// throws cmr::FormatError.
#pragma once

#include <stdexcept>
#include <string>
#include <type_traits>

#include "base/format_args.h"

namespace cmr {

class FormatError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// A format text checked against the argument types Args.
template <class... Args>
struct CheckedFormat {
  const char16_t* text;
  consteval CheckedFormat(const char16_t* f) : text(f) {
    const char* problem = format_detail::CheckFor<Args...>(f);
    if (problem[0] != 0) throw problem;  // a compile-time error names the problem
  }
};

namespace format_detail {
std::u16string Format(const char16_t* format, const FormatArg* args, size_t count);
template <class T>
using Decay = std::remove_cv_t<std::remove_reference_t<std::decay_t<T>>>;
}  // namespace format_detail

template <class... Args>
std::u16string FormatString(std::type_identity_t<CheckedFormat<format_detail::Decay<Args>...>> format,
                            const Args&... args) {
  format_detail::FormatArg list[sizeof...(Args) + 1] = {format_detail::MakeArg(args)...};
  return format_detail::Format(format.text, list, sizeof...(Args));
}

// For formats that are not literals: checked at run time.
template <class... Args>
std::u16string FormatStringRuntime(const char16_t* format, const Args&... args) {
  const char* problem = format_detail::CheckFor<format_detail::Decay<Args>...>(format);
  if (problem[0] != 0) throw FormatError(problem);
  format_detail::FormatArg list[sizeof...(Args) + 1] = {format_detail::MakeArg(args)...};
  return format_detail::Format(format, list, sizeof...(Args));
}

}  // namespace cmr

using cmr::FormatString;
