// Shared set-up of the task tests: a fresh host whose local computer is a
// domain member, a folder with the task configuration file, and a trace file.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/text.h"
#include "base/trace.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"
#include "platform/host/net/net_facts.h"
#include "task/task.h"
#include "tests/support/com_values.h"
#include "tests/support/file_text.h"
#include "tests/support/fresh_host.h"
#include "tests/support/temp_dir.h"

namespace tasktest {

using namespace cmr;

using testsupport::Bstr;

class TaskFixture : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    host::SetWevtapiAvailable(true);
    host::Host::Get().Local().Service<host::NetFacts>().JoinDomain(u"CORP", u"corp.example.com", u"DC1", u"10.0.0.2");
    host::Host::Get().Add(u"DC1");
    cmr::Tracer::Instance().OpenTraceFile(u"EventCollector", 40, dir_.Wide("/trace.log"), 1);
  }
  void TearDown() override {
    cmr::Tracer::Instance().Shutdown();
    FreshHost::TearDown();
  }

  std::string ConfigPath() const { return dir_.path() + "/task.xml"; }
  void WriteConfig(const cmr::CTaskEventLog& config) { config.SaveToFile(cmr::Utf8ToUtf16(ConfigPath())); }
  cmr::CTaskEventLog ReadConfig() {
    cmr::CTaskEventLog config;
    config.LoadFromFile(cmr::Utf8ToUtf16(ConfigPath()));
    return config;
  }
  std::string TraceText() {
    cmr::Tracer::Instance().Shutdown();
    return testsupport::ReadFileText(dir_.path() + "/trace.log");
  }

  // ITask::Run on the local computer with the configuration file.
  HRESULT Run(CTask& task, const char16_t* savePath = nullptr, const char16_t* product = nullptr,
              const char16_t* computer = u"\\\\WORKSTATION1") {
    Bstr c(computer), f(cmr::Utf8ToUtf16(ConfigPath()));
    Bstr s(savePath ? savePath : u""), p(product ? product : u"");
    return task.Run(c.b, savePath ? s.b : nullptr, f.b, product ? p.b : nullptr, VARIANT_FALSE, 0, 0x10000);
  }

  void AddChannel(const std::u16string& name, DWORD type, int events) {
    host::ChannelConfig c;
    c.name = name;
    c.type = type;
    auto& local = host::Host::Get().Local();
    host::AddChannel(local, c);
    formats::EvtxEventSpec spec;
    spec.provider = u"TestSource";
    spec.eventId = 1;
    for (int i = 0; i < events; ++i) host::AppendEvent(local, name, spec);
  }

  testsupport::TempDir dir_;
};

}  // namespace tasktest
