// The abstract task configuration: what every configuration kind offers to
// the task and the result objects.
#pragma once

#include <string>
#include <vector>

#include "platform/api/types.h"

class TiXmlElement;
class TiXmlNode;

namespace cmr {

class CTaskConfig {
 public:
  CTaskConfig();
  virtual ~CTaskConfig() = default;

  virtual const GUID& GetClassId() const = 0;
  // Appends the Task element with every field to `parent` and returns it.
  virtual TiXmlElement* SaveToXml(TiXmlNode* parent) const = 0;
  virtual void LoadFromFile(const std::u16string& path) = 0;
  virtual void SaveToFile(const std::u16string& path) const = 0;
  virtual void LoadFromString(const std::u16string& text) = 0;
  virtual std::u16string SaveToString() const = 0;
  virtual bool Succeeded() const = 0;
  virtual void GetOutputFiles(std::vector<std::u16string>& files) const = 0;
  virtual std::u16string GetSavePath() const = 0;

  GUID InstanceId{};
  std::vector<std::u16string> Modules;
  bool RunStarted = false;

 protected:
  void ResetBaseDefaults();
};

// The module entry of a newly constructed configuration.
inline constexpr char16_t kComponentModuleName[] = u"Calomar.Common.EventCollector.dll";

}  // namespace cmr
