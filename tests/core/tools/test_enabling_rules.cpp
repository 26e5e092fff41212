#include "core/image/image_document.h"
#include "core/tools/enabling_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace orv;

namespace {

std::string Key(const TControlState& s) {
    return std::string(s.Window) + "." + std::string(s.Control);
}

std::map<std::string, bool> AsMap(const std::vector<TControlState>& rule) {
    std::map<std::string, bool> m;
    for (const auto& s : rule) {
        EXPECT_TRUE(m.emplace(Key(s), s.Enabled).second) << "twice: " << Key(s);
    }
    return m;
}

} // namespace

TEST(EnablingRules, OnlyCameraImagesHaveRawValues) {
    const struct {
        uint8_t Kind;
        bool Raw;
    } cases[] = {
        {kKindGif, false}, {kKindPic, true}, {kKindBmp, false}, {kKindFits, true}, {kKindEmpty, false}};
    for (const auto& c : cases)
        EXPECT_EQ(HasRawValues(c.Kind), c.Raw) << int(c.Kind);
}

TEST(EnablingRules, MenuItemsRuleFollowsCountAndActiveKind) {
    const struct {
        int Count;
        std::optional<uint8_t> Active;
        bool Any, Raw;
    } cases[] = {{0, std::nullopt, false, false}, {2, kKindFits, true, true}, {1, kKindPic, true, true},
                 {1, kKindBmp, true, false},      {1, kKindGif, true, false}, {1, kKindEmpty, true, false},
                 {3, std::nullopt, true, false}};
    for (const auto& c : cases) {
        auto m = AsMap(MenuItemsRule(c.Count, c.Active));
        EXPECT_EQ(m.size(), 11u + 3 + 22 + 1 + 1 + 7 + 1 + 1);
        EXPECT_EQ(m["FormMain.Comparer1"], c.Count > 1);
        EXPECT_EQ(m["FormMain.EnteteFITS1"], c.Active == kKindFits);
        EXPECT_EQ(m["FormMain.FileCloseItem"], c.Any);
        EXPECT_EQ(m["FormMain.WindowMinimizeItem"], c.Any);
        EXPECT_EQ(m["FormMain.AjusterImage1"], c.Any); // a bitmap zooms too
        EXPECT_EQ(m["FormMain.RglagesdesSeuils1"], c.Any);
        EXPECT_EQ(m["FormMain.Palettes1"], c.Any);
        EXPECT_EQ(m["FormCreeAnim.BitAjout"], c.Any);
        EXPECT_EQ(m["FormMain.SpeedSeuils"], c.Raw);
        EXPECT_EQ(m["FormSeuils.ButtonConpp"], c.Raw);
        EXPECT_EQ(m["FormSeuils.editsh"], c.Raw);
        EXPECT_EQ(m["FormSeuils.Histogram"], c.Raw);
        EXPECT_EQ(m["FormSeuils.AutoMtf"], c.Raw);
        // Not this rule's controls.
        EXPECT_EQ(m.count("FormSeuils.GroupBox1"), 0u);
        EXPECT_EQ(m.count("FormPal.FileListBox1"), 0u);
        EXPECT_EQ(m.count("FormMain.FileOpenItem"), 0u);
    }
}

TEST(EnablingRules, MenuItemsRuleKeepsItsOrder) {
    const auto rule = MenuItemsRule(1, kKindFits);
    std::vector<std::string> keys;
    for (const auto& s : rule)
        keys.push_back(Key(s));
    auto at = [&](const std::string& k) { return std::find(keys.begin(), keys.end(), k) - keys.begin(); };
    EXPECT_EQ(at("FormMain.FileCloseItem"), 0);
    EXPECT_LT(at("FormMain.WindowMinimizeItem"), at("FormMain.SpeedStat"));
    EXPECT_LT(at("FormMain.SpeedPal"), at("FormSeuils.Invert"));
    EXPECT_EQ(at("FormMain.SpeedPrint") + 1, at("FormCreeAnim.BitAjout"));
    EXPECT_EQ(at("FormCreeAnim.BitAjout") + 1, at("FormMain.Toutenrgistrer1"));
    EXPECT_EQ(keys.back(), "FormMain.EnteteFITS1");
}

TEST(EnablingRules, ImageToolsRuleFollowsTheCurrentImageOnly) {
    const struct {
        std::optional<uint8_t> Current;
        bool Raw;
    } cases[] = {{std::nullopt, false}, {kKindFits, true}, {kKindPic, true},
                 {kKindBmp, false},     {kKindGif, false}, {kKindEmpty, false}};
    for (const auto& c : cases) {
        const auto rule = ImageToolsRule(c.Current);
        auto m = AsMap(rule);
        EXPECT_EQ(m.size(), 5u + 1 + 28 + 1);
        for (const auto& s : rule)
            EXPECT_EQ(s.Enabled, Key(s) == "FormMain.EnteteFITS1" ? c.Current == kKindFits : c.Raw) << Key(s);
        EXPECT_EQ(m.count("FormSeuils.GroupBox1"), 1u);
        EXPECT_EQ(m.count("FormSeuils.LabelCont"), 1u);
        EXPECT_EQ(m.count("FormPal.FileListBox1"), 1u);
        EXPECT_EQ(m.count("FormCreeAnim.BitAjout"), 0u);
        EXPECT_EQ(m.count("FormMain.FileCloseItem"), 0u);
    }
    const auto rule = ImageToolsRule(kKindFits);
    EXPECT_EQ(Key(rule.front()), "FormMain.RglagesdesSeuils1");
    EXPECT_EQ(Key(rule[5]), "FormPal.FileListBox1");
    EXPECT_EQ(Key(rule.back()), "FormMain.EnteteFITS1");
}

TEST(EnablingRules, StartDisablesEverythingThatNeedsAnImage) {
    const auto start = AsMap(MainWindowStartRule());
    const auto whenOpen = AsMap(MenuItemsRule(1, kKindFits));
    for (const auto& [key, enabled] : start) {
        EXPECT_FALSE(enabled) << key;
        EXPECT_TRUE(whenOpen.count(key)) << key << " is never enabled again";
    }
    EXPECT_EQ(start.size(), 23u);
}
