// Wide strings, CString and command-line splitting.
#include <gtest/gtest.h>

#include "afxwin.h"
#include "win_strings.h"

namespace {

using namespace kyrel::platform;

TEST(WideStrings, Utf8RoundTripAndBadBytes) {
  std::wstring text = L"Gr\u00fc\u00dfe \u4e16\u754c \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(Utf8ToWide("a\xff"
                       "b"),
            L"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("\xe4\xb8"), L"\uFFFD\uFFFD"); // truncated sequence
  EXPECT_EQ(NativePath(L"a\\b\\c.txt"), "a/b/c.txt");
  EXPECT_TRUE(EqualsNoCase(L"Kyrel.RUI", L"kyrel.rui"));
  EXPECT_FALSE(EqualsNoCase(L"Kyrel.rui", L"Kyrel.ru"));
}

TEST(CStrings, FormatCompareAndBuffers) {
  CString s;
  s.Format(L"%d.%d.%d.%d", 1, 0, 25, 0);
  EXPECT_EQ(s, L"1.0.25.0");
  EXPECT_EQ(s.Compare(L"1.0.25.0"), 0);
  EXPECT_NE(s.Compare(L"1.0.25.1"), 0);
  CString empty;
  EXPECT_TRUE(empty.IsEmpty());
  wchar_t* buffer = empty.GetBuffer(10);
  buffer[0] = L'h';
  buffer[1] = L'i';
  buffer[2] = 0;
  empty.ReleaseBuffer();
  EXPECT_EQ(empty, L"hi");
  EXPECT_EQ(CString(L"Hello").CompareNoCase(L"HELLO"), 0);
  EXPECT_EQ(CString(L"abcdef").Mid(2, 2), L"cd");
  EXPECT_EQ(CString(L"abc").Mid(5), L"");
  CString long_text;
  long_text.Format(L"%ls", std::wstring(5000, L'x').c_str());
  EXPECT_EQ(long_text.GetLength(), 5000);
}

TEST(CommandLines, SplitLikeWindows) {
  auto args = SplitCommandLine(LR"("C:\Program Files\Up date.exe" "HKLM\SOFTWARE\Key\{X}")");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0], LR"(C:\Program Files\Up date.exe)");
  EXPECT_EQ(args[1], LR"(HKLM\SOFTWARE\Key\{X})");
  args = SplitCommandLine(LR"(a\\\"b "c d"e  \\)");
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0], LR"(a\"b)");
  EXPECT_EQ(args[1], L"c de");
  EXPECT_EQ(args[2], LR"(\\)");
  EXPECT_TRUE(SplitCommandLine(L"   ").empty());
}

} // namespace
