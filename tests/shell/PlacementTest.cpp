#include "shell/Placement.h"

#include "platform/settings/Settings.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <limits>

namespace {

using shell::MainPlacement;
using shell::MainWindowState;
using shell::Rect;
using Source = MainPlacement::Source;

// 1920 x 1040 pixels: 28800 x 15600 twips at 15 twips per pixel.
const Rect kPrimary{0, 0, 1920, 1040};
// To its right: 28800, 0 to 57600, 16200 twips.
const Rect kSecond{1920, 0, 3840, 1080};

struct PlacementCase {
    const char* name;
    const char* left;
    const char* top;
    const char* width;
    const char* height;
    const char* state;
    QList<Rect> screens;
    double left_, top_, width_, height_;
    MainWindowState expectedState;
    Source source;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

std::optional<QString> stored(const char* text)
{
    return text ? std::optional<QString>(QString::fromUtf8(text)) : std::nullopt;
}

class PlacementDecisionTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementDecisionTest, Decides)
{
    const PlacementCase& c = GetParam();
    shell::MainPlacementInputs in;
    in.stored = {stored(c.left), stored(c.top), stored(c.width), stored(c.height), stored(c.state)};
    in.workAreasPx = c.screens;
    in.twipsPerPixel = 15;
    const MainPlacement p = shell::ComputeMainPlacement(in);
    EXPECT_DOUBLE_EQ(p.left, c.left_);
    EXPECT_DOUBLE_EQ(p.top, c.top_);
    EXPECT_DOUBLE_EQ(p.width, c.width_);
    EXPECT_DOUBLE_EQ(p.height, c.height_);
    EXPECT_EQ(p.state, c.expectedState);
    EXPECT_EQ(p.source, c.source);
}

const QList<Rect> kOne{kPrimary};
const QList<Rect> kTwo{kPrimary, kSecond};
constexpr auto N = MainWindowState::Normal;
constexpr auto M = MainWindowState::Maximised;

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementDecisionTest,
    ::testing::Values(
        PlacementCase{"NothingStored", nullptr, nullptr, nullptr, nullptr, nullptr, kOne,
                      2880, 1560, 23040, 12480, N, Source::Stored},
        PlacementCase{"EmptyTextsCountAsAbsent", "", " ", "", "", "", kOne,
                      2880, 1560, 23040, 12480, N, Source::Stored},
        PlacementCase{"Inside", "3000", "2000", "15000", "9000", "0", kOne,
                      3000, 2000, 15000, 9000, N, Source::Stored},
        PlacementCase{"DecimalComma", "3000,5", "2000", "15000", "9000", "0", kOne,
                      3000.5, 2000, 15000, 9000, N, Source::Stored},
        PlacementCase{"Out120OnEverySide", "-120", "-120", "29040", "15840", "0", kOne,
                      -120, -120, 29040, 15840, N, Source::Stored},
        PlacementCase{"Out121Left", "-121", "1000", "10000", "7000", "0", kOne,
                      2880, 1560, 23040, 12480, N, Source::Centred},
        PlacementCase{"Out121Bottom", "1000", "8721", "10000", "7000", "0", kOne,
                      2880, 1560, 23040, 12480, N, Source::Centred},
        PlacementCase{"Out121Right", "18921", "1000", "10000", "7000", "0", kOne,
                      2880, 1560, 23040, 12480, N, Source::Centred},
        PlacementCase{"MaximisedInside", "0", "0", "28800", "15600", "2", kOne,
                      0, 0, 28800, 15600, M, Source::Stored},
        PlacementCase{"MaximisedOutsideOpensNormalCentred", "-200", "0", "28800", "15600", "2", kOne,
                      2880, 1560, 23040, 12480, N, Source::Centred},
        PlacementCase{"MinimisedOpensNormalInPlace", "3000", "2000", "15000", "9000", "1", kOne,
                      3000, 2000, 15000, 9000, N, Source::Stored},
        PlacementCase{"OnSecondMonitor", "30000", "1000", "20000", "10000", "0", kTwo,
                      30000, 1000, 20000, 10000, N, Source::Stored},
        PlacementCase{"AcrossTwoMonitorsTestsTheOneItMostlyCovers", "20000", "1000", "20000", "10000", "0", kTwo,
                      28800 + 2880, 1620, 23040, 12960, N, Source::Centred},
        PlacementCase{"MonitorGoneCentredOnNearest", "60000", "1000", "20000", "10000", "0", kTwo,
                      28800 + 2880, 1620, 23040, 12960, N, Source::Centred},
        PlacementCase{"SecondMonitorDetachedCentredOnPrimary", "30000", "1000", "20000", "10000", "2", kOne,
                      2880, 1560, 23040, 12480, N, Source::Centred},
        PlacementCase{"WidthNotANumber", "3000", "2000", "широко", "9000", "0", kOne,
                      1000, 1000, 10000, 7000, N, Source::Fallback},
        PlacementCase{"LeftNotANumber", "abc", nullptr, nullptr, nullptr, nullptr, kOne,
                      1000, 1000, 10000, 7000, N, Source::Fallback},
        PlacementCase{"StateOutOfRange", "3000", "2000", "15000", "9000", "3", kOne,
                      1000, 1000, 10000, 7000, N, Source::Fallback},
        PlacementCase{"StateNotANumber", "3000", "2000", "15000", "9000", "max", kOne,
                      1000, 1000, 10000, 7000, N, Source::Fallback},
        PlacementCase{"NegativeSize", "3000", "2000", "-15000", "9000", "0", kOne,
                      1000, 1000, 10000, 7000, N, Source::Fallback},
        PlacementCase{"BeyondThirtyTwoBits", "1e12", "2000", "15000", "9000", "0", kOne,
                      1000, 1000, 10000, 7000, N, Source::Fallback},
        PlacementCase{"NoScreen", "3000", "2000", "15000", "9000", "0", QList<Rect>{},
                      1000, 1000, 10000, 7000, N, Source::Fallback}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST(PlacementHelpersTest, PixelsToTwipsRoundsTiesToEven)
{
    Rect r{1, 3, 5, 7};
    const auto converted = shell::RectPixelsToTwips(r, 1.5, 2.5);
    ASSERT_TRUE(converted);
    // 1.5 → 2, 7.5 → 8, 7.5 → 8, 17.5 → 18
    EXPECT_EQ(r, (Rect{2, 8, 8, 18}));
    EXPECT_EQ(*converted, r);

    Rect huge{0, 0, std::numeric_limits<qint32>::max() / 10, 100};
    EXPECT_FALSE(shell::RectPixelsToTwips(huge, 15, 15));
    EXPECT_EQ(huge.Bottom, 100);
}

TEST(PlacementHelpersTest, InsideRectOverflowIsReported)
{
    const Rect area{0, 0, std::numeric_limits<qint32>::max(), 1000};
    EXPECT_FALSE(shell::RectInsideRect(Rect{0, 0, 10, 10}, area).has_value());
    EXPECT_EQ(shell::RectInsideRect(Rect{-120, -120, 1120, 1120}, Rect{0, 0, 1000, 1000}), true);
    EXPECT_EQ(shell::RectInsideRect(Rect{-120, -120, 1121, 1120}, Rect{0, 0, 1000, 1000}), false);
}

TEST(PlacementHelpersTest, TwipsPerPixelFromDpi)
{
    EXPECT_DOUBLE_EQ(shell::twipsPerPixelFromDpi(96), 15);
    EXPECT_DOUBLE_EQ(shell::twipsPerPixelFromDpi(144), 10);
    EXPECT_DOUBLE_EQ(shell::twipsPerPixelFromDpi(0), 15);
}

// The adapter on a real (offscreen) widget and the private settings file.
class PlacementWindowTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::clearSettings(); }
    void TearDown() override { testsupport::clearSettings(); }

    static double tpp() { return shell::twipsPerPixelFromDpi(QGuiApplication::primaryScreen()->logicalDotsPerInch()); }
    static QString setting(const char* key)
    {
        return settings::getSetting(settings::kSectionSettings, QString::fromLatin1(key));
    }
    static void setSetting(const char* key, const QString& value)
    {
        settings::saveSetting(settings::kSectionSettings, QString::fromLatin1(key), value);
    }
};

TEST_F(PlacementWindowTest, SavedPlacementComesBack)
{
    QWidget first;
    first.move(50, 40);
    first.resize(400, 300);
    shell::saveMainPlacement(&first);
    EXPECT_EQ(setting(shell::kMainWidthKey), QString::number(qRound64(400 * tpp())));
    EXPECT_EQ(setting(shell::kMainStateKey), QStringLiteral("0"));

    QWidget second;
    shell::restoreMainPlacement(&second);
    if (shell::windowPositionSupported()) {
        EXPECT_EQ(second.pos(), QPoint(50, 40));
    }
    EXPECT_EQ(second.size(), QSize(400, 300));
    EXPECT_FALSE(second.isMaximized());
}

TEST_F(PlacementWindowTest, MinimisedWindowKeepsTheStoredPlace)
{
    setSetting(shell::kMainLeftKey, QStringLiteral("750"));
    setSetting(shell::kMainWidthKey, QStringLiteral("6000"));
    QWidget w;
    w.move(10, 10);
    w.resize(200, 100);
    w.setWindowState(Qt::WindowMinimized);
    shell::saveMainPlacement(&w);
    EXPECT_EQ(setting(shell::kMainLeftKey), QStringLiteral("750"));
    EXPECT_EQ(setting(shell::kMainWidthKey), QStringLiteral("6000"));
    EXPECT_EQ(setting(shell::kMainStateKey), QStringLiteral("1"));
}

TEST_F(PlacementWindowTest, MaximisedStateIsStoredAndRestored)
{
    QWidget w;
    w.resize(200, 100);
    w.setWindowState(Qt::WindowMaximized);
    shell::saveMainPlacement(&w);
    EXPECT_EQ(setting(shell::kMainStateKey), QStringLiteral("2"));

    QWidget restored;
    shell::restoreMainPlacement(&restored);
    EXPECT_TRUE(restored.windowState() & Qt::WindowMaximized);
}

TEST_F(PlacementWindowTest, UnreadableSettingsGiveTheFallback)
{
    setSetting(shell::kMainLeftKey, QStringLiteral("1500"));
    setSetting(shell::kMainWidthKey, QStringLiteral("широко"));
    QWidget w;
    shell::restoreMainPlacement(&w);
    const double t = tpp();
    EXPECT_EQ(w.size(), QSize(qRound(10000 / t), qRound(7000 / t)));
    if (shell::windowPositionSupported()) {
        EXPECT_EQ(w.pos(), QPoint(qRound(1000 / t), qRound(1000 / t)));
    }
}

TEST_F(PlacementWindowTest, WithoutPositioningOnlySizeAndStateApply)
{
    QWidget w;
    w.move(33, 44);
    MainPlacement p;
    p.left = 3000;
    p.top = 3000;
    p.width = 6000;
    p.height = 4500;
    p.state = MainWindowState::Maximised;
    shell::applyMainPlacement(&w, p, 15, false);
    EXPECT_EQ(w.pos(), QPoint(33, 44));
    EXPECT_EQ(w.size(), QSize(400, 300));
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
}

} // namespace
