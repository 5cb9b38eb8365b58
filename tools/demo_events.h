// The events of the demonstration machine: fixed times, record ids, users and
// GUIDs, so that every run builds the same logs.
#pragma once

#include <string>
#include <vector>

#include "platform/formats/evtx_writer.h"

namespace tool {

// The people and services that the events name.
struct DemoAccount {
  std::u16string sid;
  std::u16string domain;
  std::u16string name;
};

struct DemoIdentity {
  std::u16string computer;    // e.g. "WORKSTATION1"
  std::u16string machineSid;  // the computer's account domain, "S-1-5-21-a-b-c"
};

// Local user accounts of the machine (relative ids 1001 and up).
std::vector<DemoAccount> DemoUsers(const DemoIdentity& identity);

// The events of one log, oldest first, record ids from 1.
std::vector<formats::EvtxEventSpec> DemoApplicationEvents(const DemoIdentity& identity);
std::vector<formats::EvtxEventSpec> DemoSystemEvents(const DemoIdentity& identity);
// The Security log is split: `archived` were written before the automatic
// backup, `live` after it (their record ids continue).
void DemoSecurityEvents(const DemoIdentity& identity, std::vector<formats::EvtxEventSpec>* archived,
                        std::vector<formats::EvtxEventSpec>* live);
// Security events of the evening after the machine was written, for the
// demonstration of an incremental collection.
std::vector<formats::EvtxEventSpec> DemoLaterSecurityEvents(const DemoIdentity& identity);
std::vector<formats::EvtxEventSpec> DemoTaskSchedulerEvents(const DemoIdentity& identity);

// The FILETIME of a fixed demonstration moment: 2024-03-04 08:00:00 UTC plus `seconds`.
uint64_t DemoTime(int64_t seconds);

}  // namespace tool
