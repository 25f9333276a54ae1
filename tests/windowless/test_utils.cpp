// The framework's string, array, map and delegate types.
#include <gtest/gtest.h>

#include "windowless/UIUtils.h"

using namespace WinlessUI;

TEST(UIString, InlineLimitAndGrowth) {
    struct Case {
        int length;
        bool inlineExpected;
    } cases[] = {{0, true}, {5, true}, {62, true}, {63, false}, {300, false}};
    for (const Case& c : cases) {
        CUIString s(std::string(c.length, 'x'));
        EXPECT_EQ(s.GetLength(), c.length);
        EXPECT_EQ(s.IsInline(), c.inlineExpected) << c.length;
    }
    CUIString s(std::string(63, 'a'));
    s = "short";
    EXPECT_TRUE(s.IsInline());
    EXPECT_EQ(s, "short");

    CUIString edge(std::string(62, 'b'));
    edge += 'c';
    EXPECT_FALSE(edge.IsInline());
    EXPECT_EQ(edge.GetLength(), 63);
    EXPECT_EQ(edge.Right(2), "bc");
    edge += std::string(100, 'd').c_str();
    EXPECT_EQ(edge.GetLength(), 163);
    edge += edge;  // appending itself
    EXPECT_EQ(edge.GetLength(), 326);
    edge += (const char*)nullptr;
    EXPECT_EQ(edge.GetLength(), 326);
    edge = (const char*)nullptr;
    EXPECT_TRUE(edge.IsEmpty());
}

TEST(UIString, FormatCutsAt63) {
    CUIString s;
    s.Format("%s", std::string(100, 'z').c_str());
    EXPECT_EQ(s, std::string(63, 'z').c_str());
    s.Format("%d-%s", 42, "x");
    EXPECT_EQ(s, "42-x");
}

TEST(UIString, FindMidReplace) {
    CUIString s("aaa");
    EXPECT_EQ(s.Replace("a", "aa"), 3);
    EXPECT_EQ(s, "aaaaaa");
    CUIString link("https://x/page?from=me");
    EXPECT_EQ(link.Find('?'), 14);
    EXPECT_EQ(link.Left(link.Find('?')), "https://x/page");
    EXPECT_EQ(link.Find("from"), 15);
    EXPECT_EQ(link.Find("from", 16), -1);
    EXPECT_EQ(link.Find('x', 99), -1);
    EXPECT_EQ(link.Mid(8, 100), "x/page?from=me");
    EXPECT_EQ(link.Mid(8, 0), "");
    EXPECT_EQ(link.Mid(99), "");
    EXPECT_EQ(link.Left(-3), "");
    CUIString upper("MiXeD");
    upper.MakeLower();
    EXPECT_EQ(upper, "mixed");
    EXPECT_LT(CUIString("a").Compare("b"), 0);
}

TEST(UIPtrArray, GrowthAndBounds) {
    CUIPtrArray a;
    int v[100];
    a.Add(&v[0]);
    EXPECT_EQ(a.GetCapacity(), 11);
    for (int i = 1; i < 11; ++i) a.Add(&v[i]);
    EXPECT_EQ(a.GetCapacity(), 22);  // grows when the count reaches the capacity
    for (int i = 11; i < 22; ++i) a.Add(&v[i]);
    EXPECT_EQ(a.GetCapacity(), 44);
    EXPECT_FALSE(a.InsertAt(a.GetSize() + 1, &v[50]));
    EXPECT_FALSE(a.InsertAt(-1, &v[50]));
    EXPECT_TRUE(a.InsertAt(1, &v[50]));
    EXPECT_EQ(a.GetAt(1), &v[50]);
    EXPECT_EQ(a.GetAt(2), &v[1]);
    EXPECT_EQ(a.Find(&v[50]), 1);
    EXPECT_TRUE(a.Remove(1));
    EXPECT_EQ(a.Find(&v[50]), -1);
    EXPECT_FALSE(a.Remove(a.GetSize()));
    EXPECT_EQ(a.GetAt(-1), nullptr);
    EXPECT_EQ(a.GetAt(a.GetSize()), nullptr);
    CUIPtrArray copy(a);
    EXPECT_EQ(copy.GetSize(), a.GetSize());
    EXPECT_EQ(copy[21], &v[21]);
}

TEST(UIStringMap, BucketsInsertSetFind) {
    CUIStringMap zero(0);
    EXPECT_EQ(zero.GetBucketCount(), 16);
    CUIStringMap m(83);
    int a = 1, b = 2, c = 3;
    EXPECT_TRUE(m.Insert("name", &a));
    EXPECT_FALSE(m.Insert("name", &b));
    EXPECT_EQ(m.Set("name", &b), &a);
    EXPECT_EQ(m.Set("other", &c), nullptr);
    EXPECT_EQ(m.Find("name"), &b);
    EXPECT_EQ(m.GetSize(), 2);
    // Keys that share a bucket: every one is found, repeatedly, whatever moved to the front.
    std::vector<std::string> keys;
    for (int i = 0; i < 400; ++i) keys.push_back("k" + std::to_string(i));
    for (auto& k : keys) m.Insert(k.c_str(), (void*)k.c_str());
    for (int round = 0; round < 2; ++round)
        for (auto& k : keys) EXPECT_EQ(m.Find(k.c_str()), (void*)k.c_str());
    int seen = 0;
    for (int i = 0; m.GetAt(i); ++i) ++seen;
    EXPECT_EQ(seen, 402);
    EXPECT_TRUE(m.Remove("k7"));
    EXPECT_FALSE(m.Remove("k7"));
    EXPECT_EQ(m.Find("k7"), nullptr);
    EXPECT_EQ(m.Find("k8"), (void*)keys[8].c_str());
    // The hash walks the key backwards with signed bytes.
    EXPECT_EQ(CUIStringMap::HashKey("ab"), unsigned('b') * 33 + unsigned('a'));
    EXPECT_EQ(CUIStringMap::HashKey("\xff"), 0xFFFFFFFFu);
}

namespace {
struct Listener {
    std::vector<int>* log;
    int id;
    bool answer;
    bool On(void*) {
        log->push_back(id);
        return answer;
    }
};
}  // namespace

TEST(UIEventSource, StopsAtFalseAndKeepsOneCopy) {
    std::vector<int> log;
    Listener l1{&log, 1, true}, l2{&log, 2, false}, l3{&log, 3, true};
    CUIEventSource src;
    EXPECT_FALSE(src);
    src += MakeDelegate(&l1, &Listener::On);
    src += MakeDelegate(&l1, &Listener::On);  // the same delegate again
    EXPECT_EQ(src.GetCount(), 1);
    src += MakeDelegate(&l2, &Listener::On);
    src += MakeDelegate(&l3, &Listener::On);
    EXPECT_EQ(src.GetCount(), 3);
    EXPECT_FALSE(src(nullptr));
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    src -= MakeDelegate(&l2, &Listener::On);
    log.clear();
    EXPECT_TRUE(src(nullptr));
    EXPECT_EQ(log, (std::vector<int>{1, 3}));
}
