// The library as a player finds it: the export, the lookup, the records and
// the about box.
#include "tests/support/player.h"

#include <climits>
#include <cstring>

namespace {

using EntryTest = PlayerTest;

TEST_F(EntryTest, ExportIsOrdinalOneAndHandsOutOneHeaderWithOneModule) {
    load();
    EXPECT_EQ(getHeader, procAddress<visGetHeaderProc>(library, MAKEINTRESOURCEA(1)));
    EXPECT_EQ(getHeader(), getHeader());
    EXPECT_EQ(header->headerVersion, 0x101);
    EXPECT_STREQ(header->pluginTitle, "Gyroquad");
    EXPECT_EQ(header->moduleLookup(0), header->moduleLookup(0));
    for (int index : {1, 2, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(header->moduleLookup(index), nullptr);
    }
}

TEST_F(EntryTest, FreshModuleRecordHoldsItsStoredValues) {
    load();
    EXPECT_STREQ(module->moduleTitle, "Cube");
    EXPECT_EQ(module->parentWindow, nullptr);
    EXPECT_EQ(module->libraryInstance, nullptr);
    EXPECT_EQ(module->sampleRate, 2);
    EXPECT_EQ(module->channelCount, 2);
    EXPECT_EQ(module->renderLatency, 25);
    EXPECT_EQ(module->renderDelay, 25);
    EXPECT_EQ(module->spectrumChannels, 2);
    EXPECT_EQ(module->waveformChannels, 2);
    static const unsigned char zeros[visDataRows][visDataBytes] = {};
    EXPECT_EQ(std::memcmp(module->spectrumBytes, zeros, sizeof zeros), 0);
    EXPECT_EQ(std::memcmp(module->waveformBytes, zeros, sizeof zeros), 0);
    EXPECT_NE(module->configHook, nullptr);
    EXPECT_NE(module->initHook, nullptr);
    EXPECT_NE(module->renderHook, nullptr);
    EXPECT_NE(module->quitHook, nullptr);
    EXPECT_EQ(module->privateData, nullptr);
}

TEST_F(EntryTest, PluginNeverWritesEitherRecord) {
    load();
    fillHostFields();
    for (int i = 0; i < visDataBytes; ++i) {
        module->spectrumBytes[0][i] = static_cast<unsigned char>(i * 7);
        module->waveformBytes[1][i] = static_cast<unsigned char>(i * 13);
    }
    const visModule moduleBefore = *module;
    const visHeader headerBefore = *header;

    module->configHook(module);
    ASSERT_EQ(start(), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(frame(), 0);
    quit();

    EXPECT_EQ(std::memcmp(module, &moduleBefore, sizeof moduleBefore), 0);
    EXPECT_EQ(std::memcmp(header, &headerBefore, sizeof headerBefore), 0);
}

TEST_F(EntryTest, AboutBoxIsOwnedByThePlayerWindowOrByNoneAtAll) {
    load();
    const char expectedText[] =
        "Un tit Cube qui tourne en OpenGL.\n"
        "Exemple Basique d'un Plugin visuel pour Winamp.\n"
        "\n";
    for (HWND owner : {playerWindow, static_cast<HWND>(nullptr)}) {
        SCOPED_TRACE(owner ? "player window" : "no owner");
        boxes.clear();
        module->parentWindow = owner;
        module->configHook(module);
        ASSERT_EQ(boxes.size(), 1u);
        const CapturedBox& box = boxes[0];
        EXPECT_EQ(box.owner, owner);
        EXPECT_EQ(box.caption, "Gyroquad (30/07/2k2)");
        // Four lines joined by line feeds: no carriage return, none at the end.
        EXPECT_EQ(box.text.compare(0, sizeof expectedText - 1, expectedText), 0) << box.text;
        std::string credit = box.text.substr(sizeof expectedText - 1);
        EXPECT_FALSE(credit.empty());
        EXPECT_EQ(credit.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
        EXPECT_EQ(box.icon, nullptr);
    }
}

}  // namespace
