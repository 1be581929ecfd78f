// The macro syntax, including every toolbar macro as it is stored.
#include <gtest/gtest.h>

#include "macro_tokenizer.h"

namespace {

using kyrel::app::TokenizeMacro;
using K = CRhinoMacroToken;

std::vector<K::token_kind> Kinds(const std::wstring& macro) {
  std::vector<K::token_kind> kinds;
  for (const auto& t : TokenizeMacro(macro).tokens)
    kinds.push_back(t.m_kind);
  return kinds;
}

TEST(Tokenizer, NamesNumbersPointsAndStrings) {
  auto r = TokenizeMacro(L"_Box 0,0,0 10,5 -2.5 \"my file.kyd\" Mode=None");
  ASSERT_TRUE(r.errors.empty());
  ASSERT_EQ(r.tokens.size(), 6u);
  EXPECT_EQ(r.tokens[0].m_kind, K::word);
  EXPECT_EQ(r.tokens[0].m_text, L"Box");
  EXPECT_TRUE(r.tokens[0].m_bUnderscore);
  EXPECT_EQ(r.tokens[1].m_kind, K::point);
  EXPECT_EQ(r.tokens[2].m_kind, K::point);
  EXPECT_DOUBLE_EQ(r.tokens[2].m_point.y, 5.0);
  EXPECT_DOUBLE_EQ(r.tokens[2].m_point.z, 0.0);
  EXPECT_EQ(r.tokens[3].m_kind, K::number);
  EXPECT_DOUBLE_EQ(r.tokens[3].m_number, -2.5);
  EXPECT_EQ(r.tokens[4].m_kind, K::string);
  EXPECT_EQ(r.tokens[4].m_text, L"my file.kyd");
  EXPECT_EQ(r.tokens[5].m_text, L"Mode=None");
}

TEST(Tokenizer, SpecialTokensIgnoreCase) {
  EXPECT_EQ(
      Kinds(L"! _Enter _enter _Pause _pause _Escape"),
      (std::vector<K::token_kind>{K::cancel, K::enter, K::enter, K::pause, K::pause, K::cancel}));
  // "!" stands alone even when written against the next name.
  EXPECT_EQ(Kinds(L"!_Box"), (std::vector<K::token_kind>{K::cancel, K::word}));
}

TEST(Tokenizer, BadTokensAreReportedAndLeftOut) {
  auto r = TokenizeMacro(L"Box 1,2,x 3 _ \"open");
  EXPECT_EQ(r.errors.size(), 3u);
  ASSERT_EQ(r.tokens.size(), 2u);
  EXPECT_EQ(r.tokens[0].m_text, L"Box");
  EXPECT_EQ(r.tokens[1].m_kind, K::number);
  EXPECT_TRUE(TokenizeMacro(L"1,2,3,4").errors.size() == 1);
  EXPECT_TRUE(TokenizeMacro(L"nan").tokens[0].m_kind == K::word); // not a number
  EXPECT_EQ(TokenizeMacro(L"\"say \"\"hi\"\"\"").tokens.at(0).m_text, L"say \"hi\"");
}

// Every toolbar macro of the plug-in, exactly as stored, tokenizes cleanly
// into the sequence the commands expect.
TEST(Tokenizer, StoredToolbarMacros) {
  struct Case {
    std::wstring macro;
    std::vector<std::wstring> words; // word tokens in order ("!" for cancel, "<enter>", "<pause>")
  };
  const Case cases[] = {
      {L"! _kyMirrorPlane", {L"!", L"kyMirrorPlane"}},
      {L"! _kyMirrorPlane _Enabled _Enter\n", {L"!", L"kyMirrorPlane", L"Enabled", L"<enter>"}},
      {L"! _kyClippingobject", {L"!", L"kyClippingobject"}},
      {L"! _kyClippingobject _pause _mode _none",
       {L"!", L"kyClippingobject", L"<pause>", L"mode", L"none"}},
      {L"_ShadedViewport\n_kyInterfere\n", {L"ShadedViewport", L"kyInterfere"}},
      {L"_kyInterfere\n_WireframeViewport", {L"kyInterfere", L"WireframeViewport"}},
      {L"! _kyExportClippedMeshes", {L"!", L"kyExportClippedMeshes"}},
  };
  for (const auto& c : cases) {
    auto r = TokenizeMacro(c.macro);
    EXPECT_TRUE(r.errors.empty());
    std::vector<std::wstring> got;
    for (const auto& t : r.tokens)
      got.push_back(t.m_kind == K::cancel  ? L"!"
                    : t.m_kind == K::enter ? L"<enter>"
                    : t.m_kind == K::pause ? L"<pause>"
                                           : t.m_text);
    EXPECT_EQ(got, c.words);
  }
}

} // namespace
