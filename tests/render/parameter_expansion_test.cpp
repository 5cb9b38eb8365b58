// %%n references of insertion strings replaced by parameter messages.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "render/parameter_expansion.h"

namespace {

struct ExpansionCase {
  const char* name;
  std::u16string text;
  std::u16string expected;
};

class ParameterExpansion : public ::testing::Test {
 protected:
  std::u16string Expand(const std::u16string& text) {
    return cmr::ExpandParameterReferences(text, [this](int32_t n, std::u16string& message) {
      ++lookups_[n];
      auto it = messages_.find(n);
      if (it == messages_.end()) return false;
      message = it->second;
      return true;
    });
  }

  std::map<int32_t, std::u16string> messages_{{1, u"X"},      {2, u"running"},     {5, u"five"},
                                              {7, u"%%7%%7"}, {8, u"%%2 and %%1"}, {-3, u"minus"}};
  std::map<int32_t, int> lookups_;
};

TEST_F(ParameterExpansion, Cases) {
  const ExpansionCase cases[] = {
      {"plain", u"no references", u"no references"},
      {"one", u"state %%2.", u"state running."},
      {"prefix also inside a longer number", u"%%1 and %%10", u"X and X0"},
      {"text ending in %%", u"100%%", u"100%%"},
      {"%% without a number", u"%%x %%1", u"%%x X"},
      {"no message stays", u"%%4 %%1", u"%%4 X"},
      {"every occurrence", u"%%2/%%2/%%2", u"running/running/running"},
      {"blanks before the number are read, the token is not found", u"%% 5 %%5", u"%% 5 five"},
      {"a signed number", u"%%-3", u"minus"},
      {"the search goes on after the reference, not inside its message", u"%%8", u"%%2 and X"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.text), c.expected) << c.name;
}

TEST_F(ParameterExpansion, SelfReferenceIsBounded) {
  std::u16string text = Expand(u"a %%7 b");
  EXPECT_LE(text.size(), cmr::kMaxExpandedLength);
  EXPECT_LT(lookups_[7], static_cast<int>(cmr::kMaxParameterReplacements) + 2);
  EXPECT_TRUE(text.starts_with(u"a ")) << "the text before the reference is kept";
  EXPECT_TRUE(text.ends_with(u" b")) << "the text after it is kept";
  EXPECT_NE(text.find(u"%%7"), std::u16string::npos) << "the rest stays unexpanded";
}

TEST_F(ParameterExpansion, LongMessagesStopAtTheLengthBound) {
  messages_[3] = std::u16string(cmr::kMaxExpandedLength / 2, u'y');
  std::u16string text = Expand(u"%%3 %%3 %%3");
  EXPECT_LE(text.size(), cmr::kMaxExpandedLength);
  EXPECT_TRUE(text.ends_with(u"%%3")) << "the reference that does not fit stays";
}

}  // namespace
