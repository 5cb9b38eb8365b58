// What the record dumps need from the collector that calls them: its
// configuration switches, its SID cache, its computer-name cache, its message
// resolver and its count of written records.
#pragma once

#include <memory>
#include <string>

#include "render/sid_cache.h"

namespace cmr {

class DumpContext {
 public:
  virtual ~DumpContext() = default;

  // The configuration's "ResolveSIDs", "CollectEventResources" and
  // "ResolveComputerName".
  virtual bool ResolveSids() const = 0;
  virtual bool CollectEventResources() const = 0;
  virtual bool ResolveComputerName() const = 0;

  // The collector's SID cache answer for a SID in string form, as
  // CSidCache::LookupText gives it (empty when none).
  virtual std::shared_ptr<CSidCache::SidInfo> LookupSidText(const std::u16string& text) = 0;
  // The computer-name cache: the resolved host name, "" when not resolved.
  virtual std::u16string ResolveHostName(const std::u16string& name) = 0;
  // %%n parameter references of text expanded for a source.
  virtual std::u16string ExpandParameters(const std::u16string& source, const std::u16string& text) = 0;
  // One more record written (classic dump).
  virtual void CountWrittenRecord() = 0;
};

}  // namespace cmr
