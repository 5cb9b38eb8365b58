#include "tools/task_client.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/com/bstr.h"
#include "base/replace_file.h"
#include "base/text.h"
#include "tools/com_calls.h"

namespace tool {
namespace {

using com::Bstr;

VARIANT_BOOL Bool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

void ApplySettings(ITaskConfig* config, const ConfigSettings& s, Calls& call) {
  if (s.log) call("SetEventLog", config->SetEventLog(Bstr(*s.log).Get()));
  if (s.savePath) call("SetSavePath", config->SetSavePath(Bstr(*s.savePath).Get()));
  if (s.loadFromEvtFile) call("SetLoadFromEvtFile", config->SetLoadFromEvtFile(Bstr(*s.loadFromEvtFile).Get()));
  if (s.filter) call("SetFilter", config->SetFilter(Bstr(*s.filter).Get()));
  if (s.compactName) call("UseCompactLogName", config->UseCompactLogName(Bstr(*s.compactName).Get()));
  if (s.lastPosition) call("SetLastPosition", config->SetLastPosition(s.lastPosition->first, s.lastPosition->second));
  if (s.preferredApi) call("PreferredAPI", config->put_PreferredAPI(*s.preferredApi));
  for (const auto& [type, second] : s.auditTypes) {
    if (second) call("AddPolicyAuditEventTypeEx", config->AddPolicyAuditEventTypeEx(type, *second));
    else call("AddPolicyAuditEventType", config->AddPolicyAuditEventType(type));
  }
  if (s.seekLastFirstRun) call("SeekLastFirstRun", config->put_SeekLastFirstRun(Bool(*s.seekLastFirstRun)));
  if (s.resolveSids) call("ResolveSIDs", config->put_ResolveSIDs(VARIANT_TRUE));
  if (s.resolveMacs) call("ResolveMACs", config->put_ResolveMACs(VARIANT_TRUE));
  if (s.resolveComputerName) call("ResolveComputerName", config->ResolveComputerName(VARIANT_TRUE));
  if (s.collectResources) call("CollectEventResources", config->CollectEventResources(VARIANT_TRUE));
}

void ReadLogList(const Component& component, const Bstr& xml, TaskResults* r, Calls& call) {
  com::Ptr<ITaskResult2> list;
  VARIANT v;
  VariantInit(&v);
  if (!call("creating a TaskResult2", component.Create(CLSID_TaskResult2, list)) ||
      !call("ITaskResult2::Init", list->Init(xml.Get())) ||
      !call("ITaskResult2::LogInfoList", list->get_LogInfoList(&v))) {
    return;
  }
  if (v.vt == (VT_ARRAY | VT_DISPATCH) && v.parray != nullptr) {
    LONG low = 0, high = -1;
    SafeArrayGetLBound(v.parray, 1, &low);
    SafeArrayGetUBound(v.parray, 1, &high);
    for (LONG i = low; i <= high && call.ok(); ++i) {
      IDispatch* item = nullptr;
      if (FAILED(SafeArrayGetElement(v.parray, &i, &item)) || item == nullptr) continue;
      com::Ptr<IDispatch> held = com::Ptr<IDispatch>::Attach(item);
      com::Ptr<ILogInfo> info;
      if (!call("ILogInfo", held.As(info))) break;
      LogRow row;
      Bstr name, display;
      VARIANT_BOOL enabled = VARIANT_FALSE;
      call("ILogInfo::Name", info->get_Name(name.Receive()));
      call("ILogInfo::DisplayName", info->get_DisplayName(display.Receive()));
      call("ILogInfo::API", info->get_API(&row.api));
      call("ILogInfo::APIUsed", info->get_APIUsed(&row.apiUsed));
      call("ILogInfo::Enabled", info->get_Enabled(&enabled));
      call("ILogInfo::NumOfRecords", info->get_NumOfRecords(&row.records));
      row.name = name.Text();
      row.displayName = display.Text();
      row.enabled = enabled != VARIANT_FALSE;
      r->logs.push_back(std::move(row));
    }
  }
  VariantClear(&v);
}

void ReadComputerInfo(ITaskResult* result, TaskResults* r, Calls& call) {
  com::Ptr<ITaskComputerInfo> info;
  HRESULT hr = result->get_ComputerInfo(info.Receive());
  if (!call("ITaskResult::ComputerInfo", hr) || hr == S_FALSE || !info) return;
  Bstr fullName, domain;
  call("ITaskComputerInfo::VersionMajor", info->get_VersionMajor(&r->versionMajor));
  call("ITaskComputerInfo::VersionMinor", info->get_VersionMinor(&r->versionMinor));
  call("ITaskComputerInfo::Type", info->get_Type(&r->type));
  call("ITaskComputerInfo::FullName", info->get_FullName(fullName.Receive()));
  call("ITaskComputerInfo::Domain", info->get_Domain(domain.Receive()));
  r->fullName = fullName.Text();
  r->domain = domain.Text();
  r->hasComputerInfo = call.ok();
}

}  // namespace

bool BuildConfig(const Component& component, const ConfigSettings& settings, std::u16string* xml, std::string* error) {
  Calls call(error);
  com::Ptr<ITaskConfig> config;
  if (!call("creating a TaskConfig", component.Create(CLSID_TaskConfig, config))) return false;
  ApplySettings(config.Get(), settings, call);
  Bstr document;
  if (!call("ITaskConfig::Commit", config->Commit(document.Receive()))) return false;
  *xml = document.Text();
  return true;
}

HRESULT RunTask(const Component& component, const std::u16string& computer, const std::u16string& configFile,
                const RunSwitches& s, std::string* error) {
  com::Ptr<ITask> task;
  HRESULT hr = component.Create(CLSID_Task, task);
  if (FAILED(hr)) {
    *error = "creating a Task failed: " + FailureText(hr);
    return hr;
  }
  return RunTask(task.Get(), computer, configFile, s, error);
}

HRESULT RunTask(ITask* task, const std::u16string& computer, const std::u16string& configFile, const RunSwitches& s,
                std::string* error) {
  Bstr savePath(s.savePath.value_or(u"")), product(s.product.value_or(u""));
  SetErrorInfo(0, nullptr);
  HRESULT hr = task->Run(Bstr(computer).Get(), s.savePath ? savePath.Get() : nullptr, Bstr(configFile).Get(),
                         s.product ? product.Get() : nullptr, Bool(s.processBackups),
                         static_cast<VARIANT_BOOL>(s.deleteBackupsAfterHours), s.bufferSize);
  if (FAILED(hr)) *error = FailureText(hr);
  return hr;
}

bool ReadResults(const Component& component, const std::u16string& xml, TaskResults* r, std::string* error) {
  Calls call(error);
  Bstr document(xml);
  com::Ptr<ITaskResult> result;
  if (!call("creating a TaskResult", component.Create(CLSID_TaskResult, result)) ||
      !call("ITaskResult::Init", result->Init(document.Get()))) {
    return false;
  }
  Bstr errorText, warning, fileName, log;
  VARIANT_BOOL found = VARIANT_FALSE;
  call("ITaskResult::ErrorCode", result->get_ErrorCode(&r->errorCode));
  call("ITaskResult::ErrorText", result->get_ErrorText(errorText.Receive()));
  call("ITaskResult::Warning", result->get_Warning(warning.Receive()));
  call("ITaskResult::LastEventFound", result->get_LastEventFound(&found));
  call("ITaskResult::EventFileName", result->get_EventFileName(fileName.Receive()));
  call("ITaskResult::EventLog", result->get_EventLog(log.Receive()));
  r->errorText = errorText.Text();
  r->warning = warning.Text();
  r->eventFileName = fileName.Text();
  r->eventLog = log.Text();
  r->lastEventFound = found != VARIANT_FALSE;
  ReadComputerInfo(result.Get(), r, call);
  ReadLogList(component, document, r, call);
  return call.ok();
}

std::u16string WidePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  return cmr::Utf8ToUtf16(ec ? path : full.lexically_normal().string());
}

bool ReadTextFile(const std::string& path, std::u16string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return false;
  *text = cmr::Utf8ToUtf16(bytes.str());
  return true;
}

bool WriteTextFile(const std::string& path, const std::u16string& text, std::string* error) {
  std::string bytes = cmr::Utf16ToUtf8(text);
  std::string failure = "cannot write " + path;
  try {
    cmr::WriteFileReplacing(
        WidePath(path),
        [&](FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() ? "" : failure; }, failure);
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
  return true;
}

}  // namespace tool
