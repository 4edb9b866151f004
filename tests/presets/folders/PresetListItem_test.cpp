#include "presets/folders/PresetListItem.h"

#include "foundation/AM_Directory.h"
#include "foundation/AM_File.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<PresetListItem> itemFor(const std::string& path)
{
    return std::make_unique<PresetListItem>(std::make_unique<AM_File>(AM_String(path.c_str())),
                                            nullptr);
}

std::string repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(PresetListItem, NameAndExtensionFromTheFileName)
{
    struct Case {
        std::string path;
        std::string name;
        std::string extension;
    };
    const std::vector<Case> cases = {
        {"/p/Warm Pad.h2p", "Warm Pad", "h2p"},
        {"/p/v1.2 lead.fxp", "v1.2 lead", "fxp"},
        {"/p/README", "README", ""},
        {"/p/ends in dot.", "ends in dot", ""},
        {"/p/.h2p", "", "h2p"},
        {"/p/dir.d/plain", "plain", ""},
        // Long texts are cut: 63 bytes of name, 11 of extension.
        {"/p/" + repeat("x", 70) + ".h2p", repeat("x", 63), "h2p"},
        {"/p/a.abcdefghijklmnop", "a", "abcdefghijk"},
        // Cut at a character boundary, never inside a UTF-8 sequence.
        {"/p/" + repeat("\xC3\xA9", 40) + ".fxp", repeat("\xC3\xA9", 31), "fxp"},
        // Bytes that are not UTF-8 come back unchanged.
        {"/p/bad\xFF\xFE.h2p", "bad\xFF\xFE", "h2p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto item = itemFor(c.path);
        EXPECT_EQ(std::string(item->name()), c.name);
        EXPECT_EQ(std::string(item->extension()), c.extension);
        EXPECT_FALSE(item->isSelected());
        EXPECT_EQ(item->tagBits(), 0);
    }
}

TEST(PresetListItem, AFolderEntryIsNamedWithoutItsSeparator)
{
    PresetListItem item(std::make_unique<AM_Directory>(AM_String("/p/Sub.d")), nullptr);
    EXPECT_STREQ(item.name(), "Sub");
    EXPECT_STREQ(item.extension(), "d");
}

TEST(PresetListItem, WithoutAFileTheTextsAreEmpty)
{
    PresetListItem item(nullptr, nullptr);
    EXPECT_STREQ(item.name(), "");
    EXPECT_STREQ(item.extension(), "");
}

// The engine keeps a snapshot with each program and drops the file object
// once the program is loaded.
TEST(PresetListItem, DiscardingTheFileKeepsTextsAndUserData)
{
    const auto item = itemFor("/p/Init.h2p");
    item->setUserData({1, 2, 3});
    item->discardFile();
    EXPECT_EQ(item->file(), nullptr);
    EXPECT_STREQ(item->name(), "Init");
    EXPECT_STREQ(item->extension(), "h2p");
    EXPECT_EQ(item->userData(), (std::vector<uint8_t>{1, 2, 3}));
}

// A listing of five items; 'j' marks junk, 'f' favourite, '.' untagged.
class ItemChain : public ::testing::Test {
protected:
    void build(const std::string& tags)
    {
        PresetListItem* last = nullptr;
        for (size_t i = 0; i < tags.size(); ++i) {
            auto item = itemFor("/p/" + std::to_string(i) + ".h2p");
            items.push_back(item.get());
            if (tags[i] == 'j')
                item->setJunk(true);
            if (tags[i] == 'f')
                item->setFavourite(true);
            if (last == nullptr)
                first = std::move(item);
            else
                last->setNext(std::move(item));
            last = items.back();
        }
    }
    std::string selection() const
    {
        std::string out;
        for (const PresetListItem* item : items)
            out += item->isSelected() ? 's' : '.';
        return out;
    }

    std::unique_ptr<PresetListItem> first;
    std::vector<PresetListItem*> items;
};

TEST_F(ItemChain, CountWithAndWithoutJunk)
{
    build(".j.fj");
    EXPECT_EQ(first->count(true), 5);
    EXPECT_EQ(first->count(false), 3);
    EXPECT_EQ(items[3]->count(false), 1);
    EXPECT_EQ(items[4]->count(false), 0);
}

TEST_F(ItemChain, SelectAllPassesOverJunkUnlessAsked)
{
    build(".j.fj");
    items[1]->selectAll(true, false);
    EXPECT_EQ(selection(), "..ss.");
    first->selectAll(true, true);
    EXPECT_EQ(selection(), "sssss");
    first->selectAll(false, false);
    EXPECT_EQ(selection(), ".s..s");
}

TEST_F(ItemChain, NextVisibleSkipsJunk)
{
    build(".jj.j");
    EXPECT_EQ(first->nextVisible(true), items[1]);
    EXPECT_EQ(first->nextVisible(false), items[3]);
    EXPECT_EQ(items[3]->nextVisible(false), nullptr);
    EXPECT_EQ(items[4]->nextVisible(true), nullptr);
}

TEST_F(ItemChain, FavouriteAndJunkExcludeEachOther)
{
    build("...");
    PresetListItem& item = *items[1];
    item.setSelected(true);
    item.setFavourite(true);
    EXPECT_TRUE(item.isFavourite());
    item.setJunk(true);
    EXPECT_TRUE(item.isJunk());
    EXPECT_FALSE(item.isFavourite());
    EXPECT_FALSE(item.isSelected());
    item.setFavourite(true);
    EXPECT_TRUE(item.isFavourite());
    EXPECT_FALSE(item.isJunk());
    item.setJunk(false);
    EXPECT_EQ(item.tagBits(), 0);
    item.setSelected(true);
    item.setFavourite(false);
    EXPECT_EQ(item.tagBits(), 0);
    EXPECT_TRUE(item.isSelected());
}

TEST_F(ItemChain, SetNextReplacesTheRestOfTheChain)
{
    build("....");
    first->setNext(itemFor("/p/other.h2p"));
    EXPECT_EQ(first->count(true), 2);
    EXPECT_STREQ(first->next()->name(), "other");
}

// Deleting a listing must not recurse once per item.
TEST(PresetListItem, AVeryLongChainIsDeleted)
{
    constexpr int kItems = 300000;
    auto first = std::make_unique<PresetListItem>(nullptr, nullptr);
    PresetListItem* last = first.get();
    for (int i = 1; i < kItems; ++i) {
        last->setNext(std::make_unique<PresetListItem>(nullptr, nullptr));
        last = last->next();
    }
    EXPECT_EQ(first->count(true), kItems);
    first.reset();
}

} // namespace
