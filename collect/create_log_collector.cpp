// CreateLogCollector: the collector of the interface chosen for the log.
#include <new>

#include "base/error_report.h"
#include "base/log_info_entry.h"
#include "collect/log_collector.h"
#include "collect/log_collector_etw.h"
#include "collect/log_collector_nt.h"

namespace cmr {

HRESULT CreateLogCollector(const std::u16string& computer, const CollectorOptions& options,
                           const CollectorSettings& config, const CEventFilter& filter,
                           std::unique_ptr<LogCollector>& collector) {
  int32_t api = config.PreferredAPI;
  if (config.LoadFromEvtFile.empty()) {
    HRESULT hr = ChooseLogApi(computer, config.LogName, config.PreferredAPI, config.FallbackAPI, api);
    if (FAILED(hr)) return hr;
  }
  try {
    if (api == kApiVista) {
      collector = std::make_unique<LogCollectorEtw>(config, filter, options);
    } else {
      collector = std::make_unique<LogCollectorNt>(config, filter, options);
    }
  } catch (const std::bad_alloc&) {
    // No collector means no collection: a failure, not a success without one.
    return ReportError(E_OUTOFMEMORY, Win32ErrorText(ERROR_OUTOFMEMORY));
  }
  return S_OK;
}

}  // namespace cmr
