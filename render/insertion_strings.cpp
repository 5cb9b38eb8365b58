#include "render/insertion_strings.h"

#include "render/field_text.h"

namespace {

// The account of a string that is a SID the cache knows; "" otherwise.
std::u16string AccountOfSidString(DumpContext& context, std::u16string_view text) {
  // Longer than two characters, only the "S-1-..." form can be a SID.
  if (text.size() < 2 || (text[0] != u'S' && text[0] != u's') || text[1] != u'-') return {};
  std::shared_ptr<CSidCache::SidInfo> info = context.LookupSidText(std::u16string(text));
  return info ? CSidCache::AccountText(*info) : std::u16string();
}

}  // namespace

// The text added for one insertion string, if any.
bool InsertionStringWriter::AddedText(std::u16string_view text, std::u16string* added) {
  if (resolveSids_ && text.size() > 2) {
    std::u16string account = AccountOfSidString(context_, text);
    if (!account.empty()) {
      *added = std::move(account);
      return true;
    }
  }
  if (expandParameters_ && text.find(u"%%") != std::u16string::npos) {
    *added = context_.ExpandParameters(std::u16string(source_), std::u16string(text));
    return true;
  }
  return false;
}

void InsertionStringWriter::Write(std::u16string_view text) {
  int i = ++count_;
  trace_(u"String%d...", classic_ ? i : i - 1);
  std::u16string extra;
  if (AddedText(text, &extra)) added_.emplace_back(i, std::move(extra));
  if (trace_.On()) {
    std::u16string value = ReplaceNoncharacters(text);
    if (classic_) trace_(u"=%s", value);
    else trace_(u" IS%02d=%s", i, value);
  }
  writer_.WriteInsertionString(i, text, FieldForm::EscapedWithoutNoncharacters);
}

void InsertionStringWriter::WriteAdded() {
  for (const auto& [key, text] : added_) {
    if (classic_) trace_(u" CLONED(%d)=%s", count_ + key, text);
    else trace_(u" IS%02d=%s", count_ + key, text);
    writer_.WriteInsertionString(count_ + key, text);
  }
  added_.clear();
}
