#include "render/insertion_strings.h"

#include <map>

#include "base/trace.h"
#include "render/field_text.h"

namespace {

// The account of a string that is a SID the cache knows; "" otherwise.
std::u16string AccountOfSidString(DumpContext& context, std::u16string_view text) {
  // Longer than two characters, only the "S-1-..." form can be a SID.
  if (text.size() < 2 || (text[0] != u'S' && text[0] != u's') || text[1] != u'-') return {};
  std::shared_ptr<CSidCache::SidInfo> info = context.LookupSidText(std::u16string(text));
  return info ? CSidCache::AccountText(*info) : std::u16string();
}

// The text added for one insertion string, if any.
bool AddedText(DumpContext& context, std::u16string_view text, const std::u16string& source,
               std::u16string* added) {
  if (context.ResolveSids() && text.size() > 2) {
    std::u16string account = AccountOfSidString(context, text);
    if (!account.empty()) {
      *added = account;
      return true;
    }
  }
  if (context.CollectEventResources() && text.find(u"%%") != std::u16string::npos && !source.empty()) {
    *added = context.ExpandParameters(source, std::u16string(text));
    return true;
  }
  return false;
}

}  // namespace

void WriteInsertionStrings(EventFileWriter& writer, DumpContext& context, const std::vector<std::u16string_view>& strings,
                           const std::u16string& source, DumpKind kind) {
  const bool classic = kind == DumpKind::Classic;
  std::map<int, std::u16string> added;
  int n = static_cast<int>(strings.size());
  for (int i = 1; i <= n; ++i) {
    std::u16string_view text = strings[static_cast<size_t>(i - 1)];
    Trace(40, u"String%d...", classic ? i : i - 1);
    std::u16string extra;
    if (AddedText(context, text, source, &extra)) added[i] = std::move(extra);
    std::u16string value = ReplaceNoncharacters(text);
    if (classic) Trace(40, u"=%s", value);
    else Trace(40, u" IS%02d=%s", i, value);
    writer.WriteInsertionString(i, value);
  }
  for (const auto& [key, text] : added) {
    if (classic) Trace(40, u" CLONED(%d)=%s", n + key, text);
    else Trace(40, u" IS%02d=%s", n + key, text);
    writer.WriteInsertionString(n + key, text);
  }
}
