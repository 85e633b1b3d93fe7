// The computations the controls paint and hit-test with, as plain functions.
#include "AudioRecordUI.h"
#include "ChartViewUI.h"
#include "CircleProgressUI.h"
#include "HandImgButtonUI.h"
#include "HandImgSelectButtonUI.h"
#include "RedioMacroButtonUI.h"
#include "SelectPanelUI.h"
#include "SkinImage.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(CircleProgressGeometry, SweepIsTheReachedShareOfTheRangeKeptInsideTheRing) {
    struct Case {
        int value, minimum, maximum;
        double degrees;
    };
    const Case cases[] = {
        {50, 0, 100, 180.0},
        {0, 0, 100, 0.0},
        {100, 0, 100, 360.0},
        {30, 20, 40, 180.0},
        {25, 20, 40, 90.0},
        {-10, 0, 100, 0.0},
        {150, 0, 100, 360.0},
        {5, 5, 5, 0.0},
        {7, 5, 5, 0.0},
        {3, 9, 1, 0.0},
        {INT_MAX, INT_MIN, INT_MAX, 360.0},
        {0, INT_MIN, INT_MAX, 180.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(CircleSweepDegrees(c.value, c.minimum, c.maximum), c.degrees, 1e-6)
            << c.value << " in " << c.minimum << ".." << c.maximum;
    }
}

TEST(WaveformGeometry, BarsEveryTwoUnitsRiseFromTheBottomUntilTheWidthRunsOut) {
    const std::vector<int> samples = {0, 4096, 8192, 2048, 20000, -5};
    const std::vector<QRect> bars = CAudioRecordUI::WaveformBars(samples, QSize(9, 100));
    const std::vector<QRect> expected = {
        QRect(0, 100, 1, 0), QRect(2, 50, 1, 50), QRect(4, 0, 1, 100),
        QRect(6, 75, 1, 25), QRect(8, 0, 1, 100), // the sixth sample has no room
    };
    EXPECT_EQ(bars, expected);

    // More room than samples: one bar per sample; no height draws nothing.
    EXPECT_EQ(CAudioRecordUI::WaveformBars(samples, QSize(400, 100)).size(), samples.size());
    for (const QRect& bar : CAudioRecordUI::WaveformBars(samples, QSize(400, 0))) {
        EXPECT_TRUE(bar.isEmpty());
    }
}

TEST(WaveformGeometry, StartsAsARampOverTheFirst256Samples) {
    const CAudioRecordUI wave;
    const auto& samples = wave.Samples();
    EXPECT_EQ(samples.size(), 500u);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[255], 255);
    EXPECT_EQ(samples[256], 0);
    EXPECT_EQ(samples[499], 0);
}

TEST(ChartGeometry, PieSlicesShareTheCircleByValue) {
    struct Case {
        std::vector<double> values;
        std::vector<double> sweeps;
    };
    const Case cases[] = {
        {{1, 1, 2}, {90, 90, 180}}, {{5}, {360}}, {{0, 0}, {0, 0}}, {{-1, 3}, {0, 360}}, {{}, {}},
    };
    for (const Case& c : cases) {
        const std::vector<double> sweeps = PieSliceSweeps(c.values);
        ASSERT_EQ(sweeps.size(), c.sweeps.size());
        for (std::size_t i = 0; i < sweeps.size(); ++i) {
            EXPECT_NEAR(sweeps[i], c.sweeps[i], 1e-9) << "slice " << i;
        }
    }
}

TEST(ChartGeometry, HistogramBarsScaleToTheLargestValue) {
    EXPECT_EQ(HistogramBarHeights(std::vector<double>{5, 10, 0, -3}, 100),
              (std::vector<int>{50, 100, 0, 0}));
    EXPECT_EQ(HistogramBarHeights(std::vector<double>{0, 0}, 100), (std::vector<int>{0, 0}));
    EXPECT_EQ(HistogramBarHeights(std::vector<double>{4, 2}, -5), (std::vector<int>{0, 0}));
}

TEST(SelectPanelGeometry, SelectionIsNormalisedAndInclusive) {
    EXPECT_EQ(NormalisedSelection({40, 30}, {10, 60}), QRect(QPoint(10, 30), QPoint(40, 60)));
    const QRect key(50, 50, 40, 40); // covers 50..89
    EXPECT_TRUE(SelectionTouches(NormalisedSelection({0, 0}, {50, 50}), key));
    EXPECT_TRUE(SelectionTouches(NormalisedSelection({89, 89}, {120, 120}), key));
    EXPECT_TRUE(SelectionTouches(NormalisedSelection({50, 0}, {50, 200}), key)); // a line
    EXPECT_FALSE(SelectionTouches(NormalisedSelection({0, 0}, {49, 200}), key));
    EXPECT_FALSE(SelectionTouches(NormalisedSelection({90, 0}, {120, 200}), key));
}

TEST(HandImageGeometry, DeleteZoneSitsNearTheLowerRightCornerScaledByDpi) {
    struct Case {
        QSize size;
        int dpi;
        QRect zone;
    };
    const Case cases[] = {
        {{120, 100}, 96, QRect(90, 71, 20, 20)},
        {{120, 100}, 144, QRect(75, 57, 30, 30)},
        {{120, 100}, 192, QRect(60, 42, 40, 40)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HandDeleteZone(c.size, c.dpi), c.zone) << c.dpi;
    }
}

TEST(HandImageGeometry, PanningKeepsTheSourceInsideThePicture) {
    const QSize image(200, 120);
    const QRect source(0, 0, 100, 60);
    EXPECT_EQ(PanSource(source, {30, 10}, image), QRect(30, 10, 100, 60));
    EXPECT_EQ(PanSource(source, {500, 500}, image), QRect(100, 60, 100, 60));
    EXPECT_EQ(PanSource(QRect(50, 20, 100, 60), {-80, -80}, image), QRect(0, 0, 100, 60));
    // A picture smaller than the button cannot move.
    EXPECT_EQ(PanSource(QRect(0, 0, 100, 60), {10, 10}, QSize(40, 40)), QRect(0, 0, 100, 60));
}

TEST(HandImageGeometry, CursorNamesOfTheSkin) {
    EXPECT_EQ(CursorShapeFromName("hand"), Qt::PointingHandCursor);
    EXPECT_EQ(CursorShapeFromName("SizeWE"), Qt::SizeHorCursor);
    EXPECT_EQ(CursorShapeFromName("sizenesw"), Qt::SizeBDiagCursor);
    EXPECT_EQ(CursorShapeFromName("no"), Qt::ForbiddenCursor);
    EXPECT_FALSE(CursorShapeFromName("pointer").has_value());
}

TEST(RecordFade, TurnsAt80And255AndNeverLeavesThatRange) {
    CRecordFade fade;
    const std::vector<int> expected = {235, 215, 195, 175, 155, 135, 115, 95,  80,  100, 120,
                                       140, 160, 180, 200, 220, 240, 255, 235, 215, 195};
    std::vector<int> seen;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        seen.push_back(fade.Step());
    }
    EXPECT_EQ(seen, expected);
    for (int tick = 0; tick < 1000; ++tick) {
        const int value = fade.Step();
        ASSERT_GE(value, CRecordFade::kLowest);
        ASSERT_LE(value, CRecordFade::kHighest);
    }
    fade.Reset();
    EXPECT_EQ(fade.Value(), 255);
    EXPECT_EQ(fade.Step(), 235);
}

TEST(SkinImageText, ReadsFilesSourcesAndFades) {
    const CImageText plain = CImageText::Parse("images/a.png");
    EXPECT_EQ(plain.file, "images/a.png");
    EXPECT_TRUE(plain.source.isNull());
    EXPECT_EQ(plain.fade, 255);

    const CImageText part =
        CImageText::Parse(FormatSourceImageText("a.png", QRect(30, 10, 100, 60)));
    EXPECT_EQ(part.file, "a.png");
    EXPECT_EQ(part.source, QRect(30, 10, 100, 60));
    EXPECT_EQ(FormatSourceImageText("a.png", QRect(30, 10, 100, 60)),
              "file='a.png' source='30,10,130,70'");

    const CImageText faded = CImageText::Parse(FormatFadeImageText("r.png", 80));
    EXPECT_EQ(faded.file, "r.png");
    EXPECT_EQ(faded.fade, 80);

    // Unreadable values keep their defaults; fades stay within 0..255.
    const CImageText bad = CImageText::Parse("file='b.png' source='9,9,1,x' fade='900'");
    EXPECT_EQ(bad.file, "b.png");
    EXPECT_TRUE(bad.source.isNull());
    EXPECT_EQ(bad.fade, 255);
}

} // namespace
