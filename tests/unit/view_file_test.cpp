// view_file_test.cpp - view files written and read back, the reader's
// bounds and rules for odd lines, and the file dialogs with their folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/view_file.h"
#include "test_host.h"

namespace {

constexpr char kFile[] = "C:\\FS9\\Views\\set.skv";
const ViewPreset kUntouched{7, {-1, -1, -1}, {-1, -1, -1}, -1};

class ViewFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::MakeParentFolders(kFile);
        std::strcpy(g_shell.ViewFileFolder, "C:\\FS9\\Views");
        for (ViewPreset& p : g_viewPresets) p = kUntouched;
    }
    void Load(const std::string& text) {
        host.WriteFile(kFile, text);
        LoadViewFile(kFile);
    }
    static void Expect(int i, const ViewPreset& v) {
        const ViewPreset& p = g_viewPresets[i];
        const double got[] = {p.eye[0], p.eye[1], p.eye[2], p.head[0], p.head[1], p.head[2], p.zoom};
        const double want[] = {v.eye[0], v.eye[1], v.eye[2], v.head[0], v.head[1], v.head[2], v.zoom};
        EXPECT_EQ(p.kind, v.kind) << "preset " << i;
        for (int k = 0; k < 7; k++) EXPECT_EQ(got[k], want[k]) << "preset " << i << " value " << k;
    }
    TestHost host;
};

TEST_F(ViewFileTest, RoundTripKeepsFourDecimals) {
    g_viewPresets[7] = ViewPreset{1, {47.123456, -122.00004, 0.5}, {-3.25, 359.99996, 0}, 0.333333};
    SaveViewFile(kFile);
    EXPECT_NE(host.ReadFile(kFile).find("\r\nView.7=1,47.1235,-122.0000,0.5000,-3.2500,360.0000,0.0000,0.3333\r\n"
                                        "View.8=7,-1.0000,"), std::string::npos);
    g_viewPresets[7] = kUntouched;
    LoadViewFile(kFile);
    Expect(7, ViewPreset{1, {47.1235, -122.0, 0.5}, {-3.25, 360.0, 0.0}, 0.3333});
}

TEST_F(ViewFileTest, WhichLinesCount) {
    Load("View.4=0,1,2,3,4,5,6,7\r\n");
    for (int i = 0; i < 10; i++) Expect(i, i == 4 ? ViewPreset{0, {1, 2, 3}, {4, 5, 6}, 7} : kUntouched);

    Load("# comment\r\nview.1=0,9,9,9,9,9,9,9\r\nView.5=0,1,1,1,0,0,0,1\nView.5=0,2,2,2,0,0,0,1\r\n"
         "View.10=0,4,4,4,0,0,0,1\r\nView.2=0,5,5,5,0,0,0,1\r\n");
    Expect(1, kUntouched);
    Expect(5, ViewPreset{0, {2, 2, 2}, {0, 0, 0}, 1});
    Expect(2, kUntouched);  // after the line that stopped the reading

    Load("View.-1=0,1,1,1,0,0,0,1\r\nView.2=0,1,1,1,0,0,0,1\r\n");
    Expect(2, kUntouched);
    Load("View.3=0,1,1,1,0,0,0,1\r\nView.2=0,2,2,2,0,0,0,1");
    Expect(3, ViewPreset{0, {1, 1, 1}, {0, 0, 0}, 1});
    Expect(2, kUntouched);  // no line end: not used
}

TEST_F(ViewFileTest, FieldsBlanksAndMissingValues) {
    Load("View.2= 1, 10.5, 0, 0, 0, 90, 0, 1\r\nView.6=1\r\nView. 7 =\t2,abc,-4.5e1\r\nView.8\r\n");
    Expect(2, ViewPreset{1, {10.5, 0, 0}, {0, 90, 0}, 1});
    Expect(6, ViewPreset{1, {0, 0, 0}, {0, 0, 0}, 0});
    Expect(7, ViewPreset{2, {0, -45, 0}, {0, 0, 0}, 0});
    Expect(8, ViewPreset{});  // no equals sign: every field missing
}

TEST_F(ViewFileTest, OverlongLinesAndFieldsStayInBounds) {
    // 2000 characters: the first 1023 make one line, the rest more lines;
    // a cut may fall right before "View.", which then begins a line.
    std::string longLine = "View.3=0,1,2,3,4,5,6,7" + std::string(2000 - 22, ' ');
    std::string cutLine = std::string(1023, 'x') + "View.5=0,9,9,9,0,0,0,1";
    // 300-character fields: only the first 127 characters are converted.
    std::string fields = "1.5" + std::string(297, '0') + "," + std::string(300, '1') + ",3,4,5,6,7";
    Load(longLine + "\r\n" + cutLine + "\r\nView.8=0," + fields + "\r\n");
    Expect(3, ViewPreset{0, {1, 2, 3}, {4, 5, 6}, 7});
    Expect(5, ViewPreset{0, {9, 9, 9}, {0, 0, 0}, 1});
    Expect(8, ViewPreset{0, {1.5, std::stod(std::string(127, '1')), 3}, {4, 5, 6}, 7});
}

// [SECTION] Dialogs

TEST_F(ViewFileTest, CancelChangesNothingAndEveryDialogIsSetUpAlike) {
    host.WriteFile(kFile, "View.1=0,1,1,1,0,0,0,1\r\n");
    hostsim::Get().fileDialogAnswers.push_back({false, ""});
    LoadViewFileCommand(host.main);
    SaveViewFileCommand(host.main);  // nothing queued: cancelled too
    EXPECT_STREQ(g_shell.ViewFileFolder, "C:\\FS9\\Views");
    Expect(1, kUntouched);
    EXPECT_EQ(host.ReadFile(kFile), "View.1=0,1,1,1,0,0,0,1\r\n");

    const auto& shown = hostsim::Get().fileDialogs;
    ASSERT_EQ(shown.size(), 2u);
    for (const hostsim::FileDialogShown& d : shown) {
        EXPECT_EQ(d.owner, host.main);
        EXPECT_EQ(d.initialFolder, "C:\\FS9\\Views");
        EXPECT_EQ(d.filter, std::string("SkyvanePro View File (*.skv)\0*.skv\0", 35));
        EXPECT_EQ(d.defaultExtension, "skv");
        EXPECT_EQ(d.flags, 0x280006u);
    }
}

TEST_F(ViewFileTest, ChosenFileMovesTheFolderEvenWhenAbsent) {
    hostsim::Get().fileDialogAnswers.push_back({true, "D:\\My Views\\none.skv"});
    LoadViewFileCommand(host.main);
    EXPECT_STREQ(g_shell.ViewFileFolder, "D:\\My Views");
    Expect(0, kUntouched);
}

}  // namespace
