// The level-40 lines of one record's dump: whether the trace file takes them
// is asked once, when the dump starts, rather than at every line (a dump
// writes a dozen and more of them per record).
#pragma once

#include <type_traits>

#include "base/trace.h"

namespace cmr {

class DetailTrace {
 public:
  static constexpr DWORD kLevel = 40;

  DetailTrace() : on_(cmr::Tracer::Instance().WouldWrite(kLevel)) {}
  bool On() const { return on_; }

  template <class... Args>
  void operator()(std::type_identity_t<cmr::CheckedFormat<cmr::format_detail::Decay<Args>...>> format,
                  const Args&... args) const {
    if (on_) Trace(kLevel, format, args...);
  }

 private:
  bool on_;
};

}  // namespace cmr
