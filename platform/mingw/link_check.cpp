// The Windows build links this program against the component's layers, so
// that every platform call they make resolves against the real system
// libraries.
#include <cstdio>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/guid_text.h"
#include "base/text.h"
#include "base/trace.h"

int main() {
  cmr::Tracer::Instance().ConfigureTracingFromRegistry(u"EventCollector", 500, 10);
  std::u16string text = cmr::Win32Exception(5, u"Link check").FullText();
  cmr::ReportError(static_cast<HRESULT>(0x80004005u), text);
  std::printf("%s\n%s\n", cmr::Utf16ToUtf8(cmr::GetErrorText(static_cast<HRESULT>(0x80004005u))).c_str(),
              cmr::GuidToTextA(cmr::NewGuid()).c_str());
  cmr::Tracer::Instance().Shutdown();
  return 0;
}
