#include "shell/PList.h"

#include <gtest/gtest.h>

TEST(PList, EmptyListAnswersNullAndMinusOne)
{
    PList list;
    int item = 0;
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Last(), nullptr);
    EXPECT_EQ(list.IndexOf(&item), -1);
    EXPECT_EQ(list.Remove(&item), -1);
    list.Clear();
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.Head, nullptr);
}

TEST(PList, IndicesRunFromOldestToNewest)
{
    int a = 1, b = 2, c = 3;
    PList list;
    EXPECT_EQ(list.Add(&a), 1);
    list.Add(&b);
    EXPECT_EQ(list.Add(&c), 3);
    EXPECT_EQ(list.Get(0), &a);
    EXPECT_EQ(list.Get(2), &c);
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.First(), &a);
    EXPECT_EQ(list.Last(), &c);
    EXPECT_EQ(list.IndexOf(&a), 0);
    EXPECT_EQ(list.IndexOf(&c), 2);

    EXPECT_EQ(list.Remove(&b), 3) << "Remove returns the count before the removal";
    EXPECT_EQ(list.Get(0), &a);
    EXPECT_EQ(list.Get(1), &c);
    EXPECT_EQ(list.Remove(&a), 2);
    EXPECT_EQ(list.Head->Next, nullptr) << "the node after the removed oldest one ends the chain";
    EXPECT_EQ(list.Remove(&c), 1);
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.Head, nullptr);
}

TEST(PList, DuplicatesAndNullItems)
{
    int a = 1, b = 2;
    PList list;
    list.Add(&a);
    list.Add(&b);
    list.Add(&a);
    EXPECT_EQ(list.Count, 3);
    EXPECT_EQ(list.IndexOf(&a), 2) << "the newer position is reported";
    list.Remove(&a);
    EXPECT_EQ(list.Get(0), &a) << "the newer node went first";
    EXPECT_EQ(list.Get(1), &b);

    list.Add(nullptr);
    EXPECT_EQ(list.Count, 3);
    EXPECT_EQ(list.IndexOf(nullptr), 2);
    EXPECT_EQ(list.Get(2), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(a, 1) << "items are never touched";
}
