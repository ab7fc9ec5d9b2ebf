// setup_dialog_test.cpp - the setup dialog and the about box on the
// substitute host's dialog model, and the text forms of the padlock point.
// Expected values are worked out by hand from the shown forms ("%d",
// "%.0f", "%.2f", degrees and minutes) and the clamps.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dialogs/setup_dialog.h"
#include "hostsim/sim_dialogs.h"
#include "platform/platform_dialogs.h"
#include "shell/command_dispatch.h"
#include "shell/main_state.h"
#include "shell/settings.h"
#include "test_host.h"

namespace {

constexpr double kAngleFactor = 0.01745329251944;  // degrees to radians, as the module converts them

double Radians(double degrees) {
    return degrees * kAngleFactor;
}

// [SECTION] Text forms of the padlock point

// The two conversion factors together are just under 1 (0.99999999999975),
// so a whole number of degrees often shows as the degree below and 60.00
// minutes. Expected texts were worked out with those factors.
TEST(PadlockText, LatitudeAndLongitudeInDegreesAndMinutes) {
    const struct {
        bool longitude;
        double degrees;
        const char* text;
    } cases[] = {
        {false, 45.5, "N45\xB0" "30.00'"},
        {false, -0.5, "S0\xB0" "30.00'"},
        {false, -33.25, "S33\xB0" "15.00'"},
        {false, 0.0, "N0\xB0" "0.00'"},
        {false, 89.999, "N89\xB0" "59.94'"},
        {false, 12.0 + 1.0 / 7200.0, "N12\xB0" "0.01'"},
        {false, 45.99999, "N45\xB0" "60.00'"},  // 59.9994 minutes
        {false, -45.99999, "S45\xB0" "60.00'"},
        {true, 190.0, "W170\xB0" "0.00'"},
        {true, 45.0, "E44\xB0" "60.00'"},
        {true, -10.0, "W9\xB0" "60.00'"},
        {true, -10.25, "W10\xB0" "15.00'"},
        {true, 370.5, "E10\xB0" "30.00'"},
        {true, 735.75, "E15\xB0" "45.00'"},
        {true, 200.0, "W160\xB0" "0.00'"},
        {true, -200.5, "E159\xB0" "30.00'"},
        {true, -540.5, "E179\xB0" "30.00'"},
        {true, 360.0, "W0\xB0" "0.00'"},  // just under 360: above 180, then just under 0
        {true, -725.5, "W5\xB0" "30.00'"},
        {true, 1e7 + 0.5, "W79\xB0" "30.00'"},
    };
    for (const auto& c : cases) {
        char text[64];
        if (c.longitude) {
            FormatLongitude(Radians(c.degrees), text, sizeof text);
        } else {
            FormatLatitude(Radians(c.degrees), text, sizeof text);
        }
        EXPECT_STREQ(text, c.text) << (c.longitude ? "longitude " : "latitude ") << c.degrees;
    }
}

// Huge, infinite and NaN angles end quickly in some text that fits.
TEST(PadlockText, HostileAnglesGiveBoundedText) {
    const double values[] = {1e300, -1e300, 1e12, HUGE_VAL, -HUGE_VAL, std::nan("")};
    for (double v : values) {
        char text[24];
        std::memset(text, 'X', sizeof text);
        FormatLongitude(v, text, sizeof text);
        EXPECT_LT(std::strlen(text), sizeof text) << v;
        std::memset(text, 'X', sizeof text);
        FormatLatitude(v, text, sizeof text);
        EXPECT_LT(std::strlen(text), sizeof text) << v;
    }
    char small[5];
    FormatLatitude(Radians(45.5), small, sizeof small);
    EXPECT_STREQ(small, "N45\xB0");
    // The longest texts of real angles fit the default size.
    char text[kAngleTextSize];
    FormatLongitude(Radians(-179.999), text);
    EXPECT_STREQ(text, "W179\xB0" "59.94'");
    FormatLatitude(Radians(-89.99), text);
    EXPECT_STREQ(text, "S89\xB0" "59.40'");
}

TEST(PadlockText, ParseAngleReadsLettersPartsAndBlanks) {
    const struct {
        const char* text;
        double degrees;
    } cases[] = {
        {"N45\xB0" "30.00'", 45.5},
        {"S45\xB0" "30.00'", -45.5},
        {"45\xB0" "30.00'S", -45.5},        // a letter after the numbers
        {"S45\xB0" "30'N", 45.5},           // the last letter wins
        {"N 45\xB0 30.00'", 45.5},          // blanks between the parts
        {"  W  170\xB0" "0.00'", -170.0},
        {"E190", 190.0},                    // no degree sign: the degrees run to the end
        {"-45\xB0" "30'", -44.5},           // a minus applies to the degrees only
        {"S-45\xB0" "30'", 44.5},
        {"N45\xB0" "60.00'", 46.0},
        {"N45.5", 45.5},
        {"N45\xB0" "30.5", 45.0 + 30.5 / 60.0},
        {"45 30", 45.0},                    // a blank inside a number part is part of it
        {"45\t30", 45.0},                   // a tab is no blank: it starts a part
        {"", 0.0},
        {"NSEW", 0.0},
        {"abc", 0.0},
        {"45\xB0" "30'15", 45.25},          // a third part replaces the minutes
        {"1234567890123456789\xB0", 123456789012345.0},  // parts keep 15 characters
    };

    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ParseAngle(c.text), c.degrees * kAngleFactor) << "\"" << c.text << "\"";
    }
    EXPECT_DOUBLE_EQ(ParseAngle(nullptr), 0.0);
    // Degrees and minutes beyond the double range add up to the largest
    // double, not to an infinity.
    EXPECT_EQ(ParseAngle("1e999\xB0" "1e999'"), DBL_MAX * kAngleFactor);
    EXPECT_EQ(ParseAngle("S-1e999\xB0-1e999'"), DBL_MAX * kAngleFactor);
    EXPECT_EQ(ParseAngle("W1.79e308\xB0" "9e307'"), -DBL_MAX * kAngleFactor);  // 1.79e308 + 1.5e306
}

// Whatever the text, the reader stays inside it: every text lives in a heap
// block of exactly its size, so a read past the end is a sanitizer error.
TEST(PadlockText, ParseAngleOfRandomTextStaysInsideIt) {
    static const char kAlphabet[] = "NSEW0123456789.-+e '\t\xB0";
    std::mt19937 rng(20040601);
    for (int i = 0; i < 20000; i++) {
        std::size_t length = std::uniform_int_distribution<std::size_t>(0, 40)(rng);
        std::unique_ptr<char[]> text(new char[length + 1]);
        for (std::size_t k = 0; k < length; k++) {
            int r = std::uniform_int_distribution<int>(0, 9)(rng);
            text[k] = r == 0 ? char(std::uniform_int_distribution<int>(1, 255)(rng))
                             : kAlphabet[std::uniform_int_distribution<std::size_t>(0, sizeof kAlphabet - 2)(rng)];
        }
        text[length] = 0;
        double value = ParseAngle(text.get());
        EXPECT_FALSE(std::isnan(value)) << text.get();
    }
}

// [SECTION] The dialog on the substitute host

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::LoadModule();
        g_shell.HostMainWindow = host.main;
    }
    void TearDown() override { hostsim::SetDialogUser(nullptr); }

    // Open the setup dialog with these edits, clicks and the closing button.
    void Run(const std::map<int, std::string>& edits, const std::vector<int>& clicks) {
        hostsim::SetDialogUser([&](PlatWindow) {
            for (const auto& [id, text] : edits) ASSERT_TRUE(hostsim::TypeText(id, text)) << id;
            for (int id : clicks) ASSERT_TRUE(hostsim::Click(id)) << id;
        });
        OpenSetupDialog(host.main);
        hostsim::SetDialogUser(nullptr);
    }
    // The texts the dialog shows when it opens next.
    std::map<int, std::string> Shown() {
        std::map<int, std::string> shown;
        hostsim::SetDialogUser([&](PlatWindow) {
            for (const hostsim::SimControl& c : hostsim::TopDialog()->controls) {
                if (c.className == "Edit") shown[c.id] = c.text;
                if (c.className == "Button" && c.id > 2) shown[c.id] = c.checked ? "checked" : "";
            }
            hostsim::Click(kIdCancel);
        });
        OpenSetupDialog(host.main);
        hostsim::SetDialogUser(nullptr);
        return shown;
    }
    TestHost host;
};

// The host's window is told first, then the fields in their order.
TEST_F(SetupDialogTest, FillsInItsOrderAfterTellingTheHost) {
    g_main.LookAtPoint = GeoPoint{Radians(-0.5), Radians(190.0), 1234.56};
    hostsim::Dialogs().calls.clear();
    Run({}, {kIdCancel});
    const std::vector<std::string> expected = {
        "dialog 101 open", "send main 0x00A1 3 6748852",
        "text 1000 10", "text 1001 0", "text 1006 50", "text 1020 15",
        "check 1002 1", "check 1003 0", "check 1004 0", "check 1005 0",
        "text 1026 10", "text 1027 200",
        "text 1007 0.60", "text 1009 0.60", "text 1012 0.60", "text 1019 0.25", "text 1008 5.00",
        "check 1010 1", "check 1011 1", "check 1013 1", "check 1016 1", "check 1024 0", "check 1025 0",
        "text 1017 50", "text 1018 15.00", "text 1028 328.08",
        "text 1021 S0\xB0" "30.00'", "text 1022 W170\xB0" "0.00'", "text 1023 1235",
        "end 101 0", "dialog 101 closed 0",
    };
    EXPECT_EQ(hostsim::Dialogs().calls, expected);
}

// OK without edits: every value passes through the form it was shown in.
TEST_F(SetupDialogTest, OkWithoutEditsPassesValuesThroughTheirShownForms) {
    MainState& m = g_main;
    m.FlyByDuration = -3, m.FlyByRelAltitude = 40, m.FlyByMinDistance = -12, m.FlyByAngle = -7;
    m.FlyByCameraPlacement = 1, m.FlyByTravelling = 1;
    m.ApproachViewY = 10.7, m.ApproachTransAlt = -3.2;
    m.ViewTurbRate = 5.5, m.GroundTurbRate = -0.4, m.BuffetTurbRate = 1.234, m.SpotTurbRate = 1.7;
    m.RunningSpeed = -2.346, m.MaxTracks = -4, m.MaxTrackDistance = 12.346, m.TowerHeight = 100.0;
    m.ViewTurbOn = 0, m.SmoothView = 0, m.GroundTurbSoundOn = 1;
    m.LookAtPoint = GeoPoint{Radians(-0.5), Radians(190.0), 1234.56};
    Run({}, {kIdOk});
    EXPECT_EQ(m.FlyByDuration, -3);
    EXPECT_EQ(m.FlyByRelAltitude, 40);
    EXPECT_EQ(m.FlyByMinDistance, 12);
    EXPECT_EQ(m.FlyByAngle, 7);
    EXPECT_EQ(m.FlyByCameraPlacement, 1);
    EXPECT_EQ(m.FlyByTravelling, 1);
    EXPECT_EQ(m.ApproachViewY, 11.0);       // "11"
    EXPECT_EQ(m.ApproachTransAlt, -3.0);    // "-3"
    EXPECT_EQ(m.ViewTurbRate, 2.0);         // "5.50", clamped
    EXPECT_EQ(m.GroundTurbRate, 0.0);       // "-0.40", clamped
    EXPECT_EQ(m.BuffetTurbRate, 1.23);      // "1.23"
    EXPECT_EQ(m.SpotTurbRate, 1.0);         // "1.70", clamped
    EXPECT_EQ(m.RunningSpeed, 2.35);        // "-2.35", without its sign
    EXPECT_EQ(m.MaxTracks, -4);
    EXPECT_EQ(m.MaxTrackDistance, 12.35);
    EXPECT_DOUBLE_EQ(m.TowerHeight, 328.08 * 0.3048);  // shown as 328.08 feet
    EXPECT_EQ(m.ViewTurbOn, 0);
    EXPECT_EQ(m.GroundTurbOn, 1);
    EXPECT_EQ(m.SmoothView, 0);
    EXPECT_EQ(m.GroundTurbSoundOn, 1);
    EXPECT_DOUBLE_EQ(m.LookAtPoint.latitude, -0.5 * kAngleFactor);    // "S0°30.00'"
    EXPECT_DOUBLE_EQ(m.LookAtPoint.longitude, -170.0 * kAngleFactor);  // "W170°0.00'"
    EXPECT_EQ(m.LookAtPoint.altitude, 1235.0);
}

TEST_F(SetupDialogTest, TypedValuesAreClampedOrLoseTheirSign) {
    const struct {
        int id;
        const char* text;
        std::function<double()> stored;
        double expected;
    } cases[] = {
        {1007, "3", [] { return g_main.ViewTurbRate; }, 2.0},
        {1007, "-1", [] { return g_main.ViewTurbRate; }, 0.0},
        {1009, "2.5", [] { return g_main.GroundTurbRate; }, 2.0},
        {1012, "1.999", [] { return g_main.BuffetTurbRate; }, 1.999},
        {1019, "1.5", [] { return g_main.SpotTurbRate; }, 1.0},
        {1019, "-0.1", [] { return g_main.SpotTurbRate; }, 0.0},
        {1028, "500", [] { return g_main.TowerHeight; }, 120.0},
        {1028, "-20", [] { return g_main.TowerHeight; }, 0.0},
        {1028, "100", [] { return g_main.TowerHeight; }, 30.48},
        {1008, "-7.5", [] { return g_main.RunningSpeed; }, 7.5},
        {1006, "-75", [] { return double(g_main.FlyByMinDistance); }, 75.0},
        {1006, "-2147483648", [] { return double(g_main.FlyByMinDistance); }, double(INT_MAX)},
        {1020, "-30deg", [] { return double(g_main.FlyByAngle); }, 30.0},
        {1000, "99999999999", [] { return double(g_main.FlyByDuration); }, double(INT_MAX)},
        {1001, "-200", [] { return double(g_main.FlyByRelAltitude); }, -200.0},
        {1017, "x", [] { return double(g_main.MaxTracks); }, 0.0},
        {1018, "-2.5", [] { return g_main.MaxTrackDistance; }, -2.5},
        {1026, "", [] { return g_main.ApproachViewY; }, 0.0},
        {1027, " 1e3", [] { return g_main.ApproachTransAlt; }, 1000.0},
        {1023, "-12.25", [] { return g_main.LookAtPoint.altitude; }, -12.25},
    };
    for (const auto& c : cases) {
        Run({{c.id, c.text}}, {kIdOk});
        EXPECT_DOUBLE_EQ(c.stored(), c.expected) << c.id << " \"" << c.text << "\"";
    }
}

TEST_F(SetupDialogTest, ShownFormsOfStoredValues) {
    Run({{1028, "500"}, {1021, "S0\xB0" "30.00'"}, {1022, "190"}, {1007, "3"}}, {kIdOk});
    std::map<int, std::string> shown = Shown();
    EXPECT_EQ(shown[1028], "393.70");  // 120 m
    EXPECT_EQ(shown[1021], "S0\xB0" "30.00'");
    EXPECT_EQ(shown[1022], "W170\xB0" "0.00'");
    EXPECT_EQ(shown[1007], "2.00");
}

// Radio buttons: the last checked one wins; with none checked the
// placement keeps its value, even one no button stands for.
TEST_F(SetupDialogTest, CameraPlacementFollowsTheRadioButtons) {
    const struct {
        int stored;
        std::vector<int> clicks;
        int expected;
    } cases[] = {
        {0, {1004}, 2}, {2, {1003}, 1}, {1, {1002}, 0}, {2, {}, 2}, {7, {}, 7}, {-1, {1003}, 1},
    };
    for (const auto& c : cases) {
        g_main.FlyByCameraPlacement = c.stored;
        std::vector<int> clicks = c.clicks;
        clicks.push_back(kIdOk);
        Run({}, clicks);
        EXPECT_EQ(g_main.FlyByCameraPlacement, c.expected) << "stored " << c.stored;
    }
    g_main.FlyByCameraPlacement = 0;
    hostsim::SetDialogUser([](PlatWindow dialog) {
        PlatSetItemChecked(dialog, 1002, 1);
        PlatSetItemChecked(dialog, 1004, 1);
        hostsim::Click(kIdOk);
    });
    OpenSetupDialog(host.main);
    EXPECT_EQ(g_main.FlyByCameraPlacement, 2);
}

// Cancel, the close box and Escape after edits: nothing changes.
TEST_F(SetupDialogTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    const std::function<void()> cancels[] = {
        [] { hostsim::Click(kIdCancel); },
        [] { hostsim::CloseBox(); },
        [] { hostsim::Key(0x1B, true), hostsim::Key(0x1B, false); },
    };
    for (const auto& cancel : cancels) {
        MainState before = g_main;
        hostsim::SetDialogUser([&](PlatWindow) {
            hostsim::TypeText(1007, "1.5");
            hostsim::TypeText(1000, "99");
            hostsim::TypeText(1021, "N10");
            hostsim::Click(1004);
            hostsim::Click(1010);
            cancel();
        });
        OpenSetupDialog(host.main);
        EXPECT_EQ(std::memcmp(&before, &g_main, sizeof before), 0);
        ASSERT_FALSE(hostsim::Dialogs().closed.empty());
        EXPECT_EQ(hostsim::Dialogs().closed.back().result, 0);
        EXPECT_FALSE(hostsim::Dialogs().closed.back().abandoned);
    }
}

// The about box ends only on OK; Escape and the close box give IDCANCEL,
// which it answers without closing.
TEST_F(SetupDialogTest, AboutBoxEndsOnlyOnOk) {
    std::vector<bool> openAfter;
    hostsim::SetDialogUser([&](PlatWindow dialog) {
        hostsim::Key(0x1B, true), hostsim::Key(0x1B, false);
        openAfter.push_back(hostsim::DialogIsOpen(dialog));
        hostsim::CloseBox();
        openAfter.push_back(hostsim::DialogIsOpen(dialog));
        hostsim::Click(kIdOk);
        openAfter.push_back(hostsim::DialogIsOpen(dialog));
    });
    OpenAboutDialog(host.main);
    EXPECT_EQ(openAfter, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(hostsim::Dialogs().closed.back().templateId, 102);
    EXPECT_EQ(hostsim::Dialogs().closed.back().result, 1);
}

// Owners: the window of the menu message, or the host's main window for
// the command; only the setup dialog tells the host's window.
TEST_F(SetupDialogTest, OwnersAndTheHostMessage) {
    std::vector<PlatWindow> owners;
    hostsim::SetDialogUser([&](PlatWindow dialog) {
        owners.push_back(hostsim::DialogOf(dialog)->owner);
        hostsim::Click(kIdOk);
    });
    hostsim::PostMessage(host.main, kMsgCommand, 30722, 0);
    hostsim::PumpDialogs();
    KeyBinding setup{};
    std::strcpy(setup.name, "Setup");
    EXPECT_EQ(DispatchCommand(0, 0, &setup), 1);
    hostsim::PostMessage(host.main, kMsgCommand, 30733, 0);
    hostsim::PumpDialogs();
    EXPECT_EQ(owners, (std::vector<PlatWindow>{host.main, host.main, host.main}));
    EXPECT_EQ(hostsim::Dialogs().systemMenuClicks, 2);
}

}  // namespace
