#include "render/rendered_event.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "platform/api/errors.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "tests/support/evt_values.h"

using namespace cmr;

namespace {

using testsupport::Typed;

// A stand-in of the library's three rendering functions: system contexts
// render `g_system`, user contexts `g_user`, in two passes.
std::vector<EVT_VARIANT> g_system, g_user;
DWORD g_renderError = 0, g_contextError = 0;
int g_openContexts = 0;
const EVT_HANDLE kSystemContext = reinterpret_cast<EVT_HANDLE>(1), kUserContext = reinterpret_cast<EVT_HANDLE>(2);

EVT_HANDLE FakeCreateRenderContext(DWORD, LPCWSTR*, DWORD flags) {
  if (g_contextError != 0 && flags == EvtRenderContextUser) {
    SetLastError(g_contextError);
    return nullptr;
  }
  ++g_openContexts;
  return flags == EvtRenderContextSystem ? kSystemContext : kUserContext;
}

BOOL FakeRender(EVT_HANDLE context, EVT_HANDLE, DWORD, DWORD size, PVOID buffer, PDWORD used, PDWORD count) {
  if (g_renderError != 0) {
    SetLastError(g_renderError);
    return FALSE;
  }
  const auto& values = context == kSystemContext ? g_system : g_user;
  *used = static_cast<DWORD>(values.size() * sizeof(EVT_VARIANT));
  *count = static_cast<DWORD>(values.size());
  if (size < *used) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, values.data(), *used);
  return TRUE;
}

BOOL FakeClose(EVT_HANDLE) {
  --g_openContexts;
  SetLastError(0);
  return TRUE;
}

const EvtRenderFunctions kFake{FakeCreateRenderContext, FakeRender, FakeClose};

std::vector<EVT_VARIANT> SystemValues() {
  std::vector<EVT_VARIANT> v(EvtSystemPropertyIdEND, Typed(EvtVarTypeNull));
  v[EvtSystemProviderName] = testsupport::StringValue(u"Provider");
  v[EvtSystemEventID] = Typed(EvtVarTypeUInt16);
  v[EvtSystemEventID].UInt16Val = 5;
  v[EvtSystemTimeCreated] = Typed(EvtVarTypeFileTime);
  v[EvtSystemTimeCreated].FileTimeVal = 116444736000000000ull + 12345678;
  v[EvtSystemEventRecordId] = Typed(EvtVarTypeUInt64);
  v[EvtSystemEventRecordId].UInt64Val = 1ull << 40;
  v[EvtSystemComputer] = testsupport::StringValue(u"PC1");
  return v;
}

class RenderedEventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_system = SystemValues();
    g_user = {testsupport::StringValue(u"insert")};
    g_renderError = g_contextError = 0;
    g_openContexts = 0;
  }
};

TEST_F(RenderedEventTest, RenderFillsSystemAndUserValuesAndClosesContexts) {
  RenderedEvent event, systemOnly;
  event.Render(kFake, nullptr, true);
  EXPECT_EQ(g_openContexts, 0);
  EXPECT_EQ(event.SystemCount(), static_cast<DWORD>(EvtSystemPropertyIdEND));
  ASSERT_EQ(event.UserCount(), 1u);
  EXPECT_EQ(std::u16string(plat::U(event.UserValue(0).StringVal)), u"insert");
  EXPECT_EQ(event.ProviderName() + u"|" + event.Computer(), u"Provider|PC1");
  EXPECT_EQ(event.EventId(), 5);
  EXPECT_EQ(event.RecordId(), 1ull << 40);
  EXPECT_EQ(event.TimeCreatedWholeSeconds(), 116444736000000000ull + 10000000);
  EXPECT_EQ(event.TimeCreatedUnixSeconds(), 1u);
  EXPECT_EQ(event.UserSid(), nullptr);
  systemOnly.Render(kFake, nullptr, false);
  EXPECT_EQ(systemOnly.UserCount(), 0u);
}

TEST_F(RenderedEventTest, FailuresRaiseTheLastErrorAndCloseWhatWasOpened) {
  RenderedEvent event;
  g_renderError = ERROR_INVALID_PARAMETER;
  try {
    event.Render(kFake, nullptr, true);
    ADD_FAILURE() << "no exception";
  } catch (const cmr::Win32Exception& e) {
    EXPECT_EQ(e.Code(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(g_openContexts, 0);
  g_renderError = 0;
  g_contextError = ERROR_OUTOFMEMORY;
  EXPECT_THROW(event.Render(kFake, nullptr, true), cmr::Win32Exception);
  EXPECT_EQ(g_openContexts, 0);
}

// The full event id has the qualifiers when they are there; values of
// another type than expected read as absent.
TEST_F(RenderedEventTest, FullEventIdUsesQualifiersAndValuesOfAnotherTypeReadAsAbsent) {
  RenderedEvent event, empty;
  event.Assign(g_system, {});
  EXPECT_EQ(event.FullEventId(), 5u);
  EXPECT_EQ(event.SystemPropertyText(EvtSystemQualifiers), u"");
  g_system[EvtSystemQualifiers] = Typed(EvtVarTypeUInt16);
  g_system[EvtSystemQualifiers].UInt16Val = 0xC000;
  event.Assign(g_system, {});
  EXPECT_EQ(event.FullEventId(), 0xC0000005u);
  EXPECT_EQ(event.SystemPropertyText(EvtSystemQualifiers), u"49152");

  g_system[EvtSystemEventID] = Typed(EvtVarTypeUInt32);
  g_system[EvtSystemEventID].UInt32Val = 7;
  g_system[EvtSystemTimeCreated] = Typed(EvtVarTypeNull);
  event.Assign(g_system, {});
  EXPECT_EQ(event.EventId(), 0);
  EXPECT_EQ(event.TimeCreated(), 0u);
  EXPECT_EQ(event.TimeCreatedUnixSeconds(), 0u);
  EXPECT_EQ(empty.ProviderName(), u"");
  EXPECT_EQ(empty.SystemPropertyText(EvtSystemComputer), u"");
}

}  // namespace
