#include "task/flat_run.h"

#include "task/task.h"

namespace cmr {

HRESULT RunTaskWith(ITask& task, BSTR computer, BSTR savePath, BSTR configFile, BSTR productName, bool processBackups,
                    VARIANT_BOOL cleanBackups, ULONG bufSize) {
  return task.Run(computer, savePath, configFile, productName, static_cast<VARIANT_BOOL>(processBackups ? 1 : 0),
                  cleanBackups, bufSize);
}

HRESULT RunTask(BSTR computer, BSTR savePath, BSTR configFile, BSTR productName, bool processBackups,
                VARIANT_BOOL cleanBackups, ULONG bufSize) {
  ITask* task = nullptr;
  HRESULT hr = com::CreateObject<CTask>(&task);
  if (FAILED(hr)) return hr;
  hr = RunTaskWith(*task, computer, savePath, configFile, productName, processBackups, cleanBackups, bufSize);
  task->Release();
  return hr;
}

}  // namespace cmr
