#include "core/anim/batch_selection.h"
#include "core/anim/series_names.h"

#include "core/message_of.h"

#include <gtest/gtest.h>

using namespace orv;

using TNames = std::vector<std::string>;

TEST(SeriesNames, PrefixAndIndexComeFromTheBaseBeforeTheFirstDot) {
    const struct {
        const char* name;
        bool inSeries;
        const char* prefix;
        int32_t index;
    } cases[] = {
        {"Img012.fit", true, "Img", 12}, {"m51-3.fts", true, "m51-", 3}, {"Lune.pic", false, "", 0},
        {"0042.fit", true, "", 42},      {"Img7", true, "Img", 7},       {"a1.b2.fit", true, "a", 1},
        {"Img3b.fit", false, "", 0},     {".fit", false, "", 0},         {"", false, "", 0},
    };
    for (const auto& c : cases) {
        const auto split = SplitSeriesName(c.name);
        ASSERT_EQ(split.has_value(), c.inSeries) << c.name;
        if (!split) continue;
        EXPECT_EQ(split->Prefix, c.prefix) << c.name;
        EXPECT_EQ(SeriesIndex(*split), c.index) << c.name;
    }
}

TEST(SeriesNames, ScanFindsHighestAndLowestOfThePrefixOnly) {
    const TNames dir{"Img12.fts", "Img3b.fit", "Imgx4.fit", "Img007.fit",
                     "img5.fit",  "Img.fit",   "Other9.pic"};
    const auto split = SplitSeriesName("Img007.fit");
    ASSERT_TRUE(split);
    const TSeriesRange range = ScanSeries(split->Prefix, dir);
    EXPECT_EQ(range.High, 12);
    EXPECT_EQ(range.Low, 7);

    const TSeriesRange none = ScanSeries("Nothing", dir);
    EXPECT_EQ(none.High, -1);
    EXPECT_EQ(none.Low, 999999999);
}

TEST(SeriesNames, AnIndexTooLongStopsTheScanWithTheConversionError) {
    EXPECT_EQ(MessageOf([] {
                  ScanSeries("Img", {"Img1.fit", "Img99999999999.fit"});
              }),
              "'99999999999' n'est pas une valeur entière correcte");
}

TEST(SeriesNames, FilterAddsTheSeriesByExactPrefixBetweenTheIndexes) {
    const TNames dir{"Img12.fts", "Img3b.fit", "Imgx4.fit", "Img007.fit",
                     "img5.fit",  "Img.fit",   "42.fit",    "Img99999999999999999999.fit"};
    const struct {
        const char* Prefix;
        int64_t Low, High;
        TNames Added;
    } rows[] = {
        {"Img", 0, 999999999, {"Img12.fts", "Img007.fit"}},
        {"", 0, 999999999, {"42.fit"}},
        {"Img", 7, 7, {"Img007.fit"}}, // both ends count
        {"Img", 8, 12, {"Img12.fts"}},
        {"Img", 13, 5, {}}, // nothing counted by "&Filtre" leaves an empty range
    };
    for (const auto& r : rows)
        EXPECT_EQ(SeriesFiles(r.Prefix, dir, r.Low, r.High), r.Added)
            << r.Prefix << " " << r.Low << ".." << r.High;
}

TEST(SeriesNames, BatchPathsJoinWithOneSlash) {
    EXPECT_EQ(JoinBatchPath("/data/night", "Img1.fit"), "/data/night/Img1.fit");
    EXPECT_EQ(JoinBatchPath("/", "Img1.fit"), "/Img1.fit");
    EXPECT_EQ(JoinBatchPath("/data/", "Img1.fit"), "/data/Img1.fit");
    EXPECT_EQ(JoinBatchPath("", "Img1.fit"), "Img1.fit");
}

TEST(SelectionList, KeepsListBoxOrderWhateverTheOrderOfAdding) {
    TNames list;
    for (const char* name : {"Img2.fit", "Img10.fit", "Img1.fit"})
        InsertSorted(list, name);
    EXPECT_EQ(list, (TNames{"Img1.fit", "Img10.fit", "Img2.fit"}));

    // Case does not decide the place; names equal but for case always come out the same way.
    TNames a, b;
    for (const char* name : {"img3.fit", "IMG2.fit", "Img3.fit", "b.fit"})
        InsertSorted(a, name);
    for (const char* name : {"b.fit", "Img3.fit", "IMG2.fit", "img3.fit"})
        InsertSorted(b, name);
    EXPECT_EQ(a, (TNames{"b.fit", "IMG2.fit", "Img3.fit", "img3.fit"}));
    EXPECT_EQ(a, b);
    EXPECT_TRUE(ListBoxLess("Img", "Img1"));
    EXPECT_FALSE(ListBoxLess("a.fit", "A.fit") && ListBoxLess("A.fit", "a.fit"));
}

TEST(SelectionList, AddingRulesForDuplicates) {
    TNames list;
    const TNames selected{"Img2.fit", "Img1.fit"};
    AddSelectedFiles(list, selected);
    AddSelectedFiles(list, selected); // nothing the second time
    EXPECT_EQ(list, (TNames{"Img1.fit", "Img2.fit"}));
    AddSelectedFiles(list, {"img1.fit"}); // the duplicate test is case-sensitive
    EXPECT_EQ(list.size(), 3u);

    TNames all;
    AddAllFiles(all, {"B.fit", "A.fit"});
    AddAllFiles(all, {"B.fit", "A.fit"});
    EXPECT_EQ(all, (TNames{"A.fit", "A.fit", "B.fit", "B.fit"}));

    RemoveEntries(all, {0, 3});
    EXPECT_EQ(all, (TNames{"A.fit", "B.fit"}));
    EXPECT_EQ(DeleteFileQuestion("Img1.fit"), "Supprimer \nImg1.fit ?");
}
