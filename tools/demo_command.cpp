// "demo": a short demonstration of the foundation that exists so far: the
// error texts of the exception family and the trace file of a simulated
// computer.
#include <cstdio>

#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "tools/command.h"

namespace {

void Show(const char* label, const std::u16string& text) {
  std::printf("  %-28s %s\n", label, cmr::Utf16ToUtf8(text).c_str());
}

int RunDemo(const tool::Args&) {
  std::printf("This is a demonstration of the foundation built so far (the collection\n"
              "commands are not built yet).\n\nError texts:\n");
  Show("Win32 code 5:", cmr::Win32Exception(5).FullText());
  Show("with context:", cmr::Win32Exception(2, u"Failed to open the event log").FullText());
  Show("code without system text:", cmr::Win32Exception(0x20000001).FullText());
  Show("zlib error -2:", cmr::ZlibException(-2, u"stream error").FullText());
  Show("formatted:", cmr::FormatString(u"%-5d|%08X|%I64u|%S", 42, 0xBEEFu, uint64_t{1} << 40, "narrow"));
  return 0;
}

}  // namespace

EC_COMMAND("demo", "demonstrate the foundation: error texts and formatting",
           "usage: eventcollector demo\n\nPrints error texts built by the exception family.", RunDemo);
