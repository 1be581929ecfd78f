// Arrays, wide strings and UUIDs.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "opennurbs.h"

namespace {

TEST(SimpleArray, AppendInsertRemoveSearch) {
  ON_SimpleArray<int> a;
  for (int i = 0; i < 5; ++i)
    a.Append(i * 10); // 0 10 20 30 40
  a.Insert(2, 15);    // 0 10 15 20 30 40
  a.Insert(6, 50);    // at the end
  a.Insert(9, 99);    // out of range: ignored
  a.Remove(0);        // 10 15 20 30 40 50
  a.Remove(17);       // ignored
  ASSERT_EQ(a.Count(), 6);
  const int expect[6] = {10, 15, 20, 30, 40, 50};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(a[i], expect[i]);
  EXPECT_EQ(a.Search(30), 3);
  EXPECT_EQ(a.Search(31), -1);
  EXPECT_EQ(*a.First(), 10);
  EXPECT_EQ(*a.Last(), 50);
  EXPECT_EQ(a.At(6), nullptr);
  int sum = 0;
  for (int v : a)
    sum += v;
  EXPECT_EQ(sum, 165);
  EXPECT_EQ(a.AppendNew(), 0);
}

TEST(SimpleArray, EmptyKeepsCapacitySetCapacityZeroAndDestroyRelease) {
  ON_SimpleArray<double> a;
  for (int i = 0; i < 100; ++i)
    a.Append(i);
  const int cap = a.Capacity();
  ASSERT_GE(cap, 100);
  a.Empty();
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), cap);
  a.Append(1.0);
  a.SetCapacity(0);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), 0);
  EXPECT_EQ(a.Array(), nullptr);
  a.Append(2.0);
  a.Destroy();
  EXPECT_EQ(a.Capacity(), 0);
  EXPECT_EQ(a.First(), nullptr);
  a.SetCount(3); // new entries are zero
  EXPECT_EQ(a[2], 0.0);
}

TEST(SimpleArray, PointerArraysNeverDeleteWhatTheyPointTo) {
  std::vector<int> owned = {1, 2, 3};
  {
    ON_SimpleArray<int*> p;
    for (int& v : owned)
      p.Append(&v);
    EXPECT_EQ(p.Search(&owned[1]), 1);
    p[1] = nullptr; // clearing a slot
    p.Remove(0);
    p.Empty();
    p.Append(&owned[0]);
    p.Destroy();
  }
  EXPECT_EQ(owned[0] + owned[1] + owned[2], 6); // still alive (ASan would object otherwise)
}

TEST(SimpleArray, AppendingOwnElementWhileGrowingIsSafe) {
  ON_SimpleArray<ON_3dPoint> a;
  a.Append(ON_3dPoint(1, 2, 3));
  for (int i = 0; i < 50; ++i)
    a.Append(a[0]);
  a.Append(a.Count(), a.Array());
  EXPECT_EQ(a.Count(), 102);
  EXPECT_EQ(a[101], ON_3dPoint(1, 2, 3));
  a.Insert(0, a[5]);
  EXPECT_EQ(a[0], ON_3dPoint(1, 2, 3));
  ON_SimpleArray<ON_3dPoint> copy = a;
  copy[0] = ON_3dPoint(0, 0, 0);
  EXPECT_EQ(a[0], ON_3dPoint(1, 2, 3));
}

// An entry that owns memory and records what the array does with it.
struct Tracked {
  static inline int copies = 0;
  static inline std::vector<int> destroyed;
  int id = -1;
  std::vector<int>* owned = nullptr;
  Tracked() : owned(new std::vector<int>(16, 7)) {}
  Tracked(const Tracked& o) : id(o.id) { ++copies; } // scalar fields only
  Tracked& operator=(const Tracked& o) {
    id = o.id;
    ++copies;
    return *this;
  }
  ~Tracked() {
    destroyed.push_back(id);
    delete owned;
  }
};

TEST(ClassArray, EntriesStayInPlaceWhileTheArrayGrows) {
  Tracked::copies = 0;
  Tracked::destroyed.clear();
  {
    ON_ClassArray<Tracked> a;
    Tracked& first = a.AppendNew();
    first.id = 0;
    std::vector<int>* first_owned = first.owned;
    for (int i = 1; i < 1000; ++i)
      a.AppendNew().id = i;
    EXPECT_EQ(&a[0], &first);
    EXPECT_EQ(a[0].owned, first_owned);
    EXPECT_EQ(a[0].owned->size(), 16u);
    EXPECT_EQ(Tracked::copies, 0); // growth never copies an entry
    int n = 0;
    for (const Tracked& t : a)
      n += (t.owned != nullptr) ? 1 : 0;
    EXPECT_EQ(n, 1000);
  }
  EXPECT_EQ(Tracked::destroyed.size(), 1000u);
}

TEST(ClassArray, EmptyDestroysLastFirstAndRemoveClosesTheGap) {
  Tracked::destroyed.clear();
  ON_ClassArray<Tracked> a;
  for (int i = 0; i < 4; ++i)
    a.AppendNew().id = i;
  a.Remove(1);
  ASSERT_EQ(Tracked::destroyed, std::vector<int>({1}));
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(a[1].id, 2);
  Tracked::destroyed.clear();
  const int cap = a.Capacity();
  a.Empty();
  EXPECT_EQ(Tracked::destroyed, std::vector<int>({3, 2, 0}));
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), cap);
  a.AppendNew();
  a.Destroy();
  EXPECT_EQ(a.Capacity(), 0);
}

TEST(ClassArray, AppendCopiesTheValue) {
  ON_ClassArray<ON_wString> a;
  ON_wString s(L"abc");
  a.Append(s);
  s = L"changed";
  EXPECT_EQ(a[0], ON_wString(L"abc"));
  ON_ClassArray<ON_wString> b = a;
  b[0] = L"x";
  EXPECT_EQ(a[0], ON_wString(L"abc"));
}

TEST(WideString, FormatLikePrintf) {
  ON_wString s;
  ASSERT_TRUE(s.Format(L"%d.%d.%d.%d", 1, 0, 25, 0));
  EXPECT_EQ(s, ON_wString(L"1.0.25.0"));
  s.Format(L"%04x|%g|%ls|%s", 0xab, 0.5, L"wide", L"also wide");
  EXPECT_EQ(s, ON_wString(L"00ab|0.5|wide|also wide"));
  s.Format(L"%hs/%c/%5.2f/%%", "narrow", L'w', 3.14159);
  EXPECT_EQ(s, ON_wString(L"narrow/w/ 3.14/%"));
  const std::wstring long_text(1000, L'q');
  s.Format(L"<%ls>", long_text.c_str());
  EXPECT_EQ(s.Length(), 1002);
  EXPECT_FALSE(s.Format(nullptr));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(WideString, LiteralsComparisonsAndEditing) {
  ON_wString s = L"Unkown"; // kept exactly as given
  EXPECT_EQ(s.Length(), 6);
  EXPECT_TRUE(s == L"Unkown");
  EXPECT_EQ(s.CompareNoCase(L"UNKOWN"), 0);
  EXPECT_LT(ON_wString(L"abc").CompareNoCase(L"ABD"), 0);
  EXPECT_GT(ON_wString(L"abc").Compare(L"ABC"), 0);
  ON_wString empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(ON_wString(static_cast<const wchar_t*>(nullptr)).Length(), 0);
  ON_wString t = L"  a-b-c  ";
  t.TrimLeftAndRight();
  EXPECT_EQ(t, ON_wString(L"a-b-c"));
  EXPECT_EQ(t.Replace(L"-", L"--"), 2);
  EXPECT_EQ(t, ON_wString(L"a--b--c"));
  EXPECT_EQ(t.Upper(), ON_wString(L"A--B--C"));
  EXPECT_EQ(t.Mid(1, 2), ON_wString(L"--"));
  EXPECT_EQ(t.Left(100), t);
  EXPECT_EQ(t.Right(1), ON_wString(L"c"));
  EXPECT_EQ(t.GetAt(99), 0);
}

TEST(WideString, Utf8RoundTripAndBadInput) {
  const char* utf8 = "na\xC3\xAFve \xE2\x82\xAC \xF0\x9F\x98\x80"; // naïve € 😀
  const ON_wString w = ON_wString::FromUtf8(utf8);
  EXPECT_EQ(w.Length(), 9);
  EXPECT_EQ(w[2], L'\u00EF');
  EXPECT_EQ(w[8], static_cast<wchar_t>(0x1F600));
  EXPECT_EQ(w.ToUtf8(), std::string(utf8));
  const ON_wString bad = ON_wString::FromUtf8("a\xC3(\xE2\x82"); // broken sequences
  EXPECT_EQ(bad[0], L'a');
  EXPECT_EQ(bad[1], static_cast<wchar_t>(0xFFFD));
  EXPECT_EQ(bad[2], L'(');
  EXPECT_EQ(ON_wString("plain").Length(), 5);
}

TEST(Uuid, ParsesWithOrWithoutBracesInAnyCase) {
  const ON_UUID u = ON_UuidFromString("F859DF53-7554-400F-B8F5-FED57117FD9C");
  EXPECT_EQ(u.Data1, 0xF859DF53u);
  EXPECT_EQ(u.Data2, 0x7554);
  EXPECT_EQ(u.Data3, 0x400F);
  EXPECT_EQ(u.Data4[0], 0xB8);
  EXPECT_EQ(u.Data4[7], 0x9C);
  EXPECT_EQ(ON_UuidFromString(L"{f859df53-7554-400f-b8f5-fed57117fd9c}"), u);
  EXPECT_EQ(ON_UuidFromString(" {F859df53-7554-400F-b8f5-FED57117FD9C}\n"), u);
  EXPECT_EQ(ON_UuidToString(u), ON_wString(L"f859df53-7554-400f-b8f5-fed57117fd9c"));
  ON_wString upper = ON_UuidToString(u);
  upper.MakeUpper();
  EXPECT_EQ(upper, ON_wString(L"F859DF53-7554-400F-B8F5-FED57117FD9C"));
}

TEST(Uuid, RejectsMalformedText) {
  for (const char* bad :
       {"", "not a uuid", "F859DF53-7554-400F-B8F5-FED57117FD9",
        "F859DF53-7554-400F-B8F5-FED57117FD9CC", "F859DF53x7554-400F-B8F5-FED57117FD9C",
        "G859DF53-7554-400F-B8F5-FED57117FD9C", "{F859DF53-7554-400F-B8F5-FED57117FD9C"})
    EXPECT_TRUE(ON_UuidIsNil(ON_UuidFromString(bad))) << bad;
  EXPECT_TRUE(ON_UuidIsNil(ON_UuidFromString(static_cast<const char*>(nullptr))));
  ON_UUID u = ON_CreateId();
  EXPECT_FALSE(ON_UuidFromString(L"junk", u));
  EXPECT_TRUE(ON_UuidIsNil(u));
}

TEST(Uuid, GeneratedIdsAreUniqueVersion4AndHashable) {
  std::unordered_set<ON_UUID> ids;
  std::set<ON_UUID> ordered;
  for (int i = 0; i < 1000; ++i) {
    ON_UUID u;
    ASSERT_TRUE(ON_CreateUuid(u));
    EXPECT_EQ(u.Data3 >> 12, 4);
    EXPECT_EQ(u.Data4[0] & 0xC0, 0x80);
    ids.insert(u);
    ordered.insert(u);
    EXPECT_EQ(ON_UuidFromString(ON_UuidToString(u)), u);
  }
  EXPECT_EQ(ids.size(), 1000u);
  EXPECT_EQ(ordered.size(), 1000u);
  EXPECT_TRUE(ON_UuidIsNil(ON_nil_uuid));
}

TEST(Uuid, PairsAndLists) {
  const ON_UuidPair nil_pair;
  EXPECT_TRUE(ON_UuidIsNil(nil_pair.m_uuid[0]));
  EXPECT_TRUE(ON_UuidIsNil(nil_pair.m_uuid[1]));
  const ON_UUID a = ON_CreateId(), b = ON_CreateId();
  ON_UuidPair p(a, b), q = p;
  EXPECT_EQ(p, q);
  EXPECT_NE(p, ON_UuidPair(b, a));
  ON_UuidList list;
  EXPECT_TRUE(list.AddUuid(a));
  EXPECT_FALSE(list.AddUuid(a));
  EXPECT_FALSE(list.AddUuid(ON_nil_uuid));
  EXPECT_TRUE(list.AddUuid(b));
  ON_UuidList copy = list;
  EXPECT_TRUE(list.RemoveUuid(a));
  EXPECT_FALSE(list.FindUuid(a));
  EXPECT_TRUE(copy.FindUuid(a));
  EXPECT_EQ(copy.Count(), 2);
}

} // namespace
