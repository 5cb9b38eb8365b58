#include "render/insertion_strings.h"

#include "render/field_text.h"

namespace cmr {

namespace {

// Longer than two characters, only the "S-1-..." form can be a SID.
bool MayBeSid(std::u16string_view text) {
  return text.size() > 2 && (text[0] == u'S' || text[0] == u's') && text[1] == u'-';
}

}  // namespace

// The text added for insertion string i, if any: the account of a SID the
// cache knows, else the parameter expansion of a text with %% references.
void InsertionStringWriter::AddFor(int i, std::u16string_view text) {
  if (resolveSids_ && MayBeSid(text)) {
    std::shared_ptr<CSidCache::SidInfo> info = context_.LookupSidText(std::u16string(text));
    if (info) {
      added_.emplace_back(i, CSidCache::AccountText(*info));
      return;
    }
  }
  if (expandParameters_ && text.find(u"%%") != std::u16string::npos) {
    added_.emplace_back(i, context_.ExpandParameters(std::u16string(source_), std::u16string(text)));
  }
}

void InsertionStringWriter::Write(std::u16string_view text) {
  int i = ++count_;
  trace_(u"String%d...", classic_ ? i : i - 1);
  if (expandParameters_ || (resolveSids_ && MayBeSid(text))) AddFor(i, text);
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

}  // namespace cmr
