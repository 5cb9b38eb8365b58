#include "platform/host/registry/registry_values.h"

#include <cstring>

namespace host {
namespace {

std::vector<BYTE> BytesOf(std::u16string_view text) {
  std::vector<BYTE> data(text.size() * 2);
  if (!text.empty()) std::memcpy(data.data(), text.data(), data.size());
  return data;
}

}  // namespace

bool ReadDwordValue(const RegistryKey& key, std::u16string_view name, DWORD* out) {
  const RegistryValue* v = key.Value(name);
  if (!v || v->data.size() < 4 || (v->type != REG_DWORD && v->type != REG_BINARY)) return false;
  std::memcpy(out, v->data.data(), 4);
  return true;
}

bool ReadStringValue(const RegistryKey& key, std::u16string_view name, std::u16string* out) {
  const RegistryValue* v = key.Value(name);
  if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return false;
  out->assign(v->data.size() / 2, u'\0');
  if (!out->empty()) std::memcpy(out->data(), v->data.data(), out->size() * 2);
  while (!out->empty() && out->back() == 0) out->pop_back();
  return true;
}

void SetDwordValue(RegistryKey& key, std::u16string_view name, DWORD value) {
  std::vector<BYTE> data(4);
  std::memcpy(data.data(), &value, 4);
  key.SetValue(name, REG_DWORD, std::move(data));
}

void SetStringValue(RegistryKey& key, std::u16string_view name, std::u16string_view value, DWORD type) {
  key.SetValue(name, type, BytesOf(std::u16string(value) + u'\0'));
}

void SetMultiStringValue(RegistryKey& key, std::u16string_view name, const std::vector<std::u16string>& values) {
  std::u16string joined;
  for (const auto& v : values) joined += v + u'\0';
  joined += u'\0';
  key.SetValue(name, REG_MULTI_SZ, BytesOf(joined));
}

}  // namespace host
