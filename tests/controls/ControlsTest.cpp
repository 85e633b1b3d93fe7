// The controls on real widgets in a window, driven by mouse and key events, with
// the notifications that reach the window's Notify.
#include "ControlsWindow.h"
#include "CustomControls.h"
#include "KeyCaption.h"
#include "KeyGlow.h"
#include "KeyLightSurface.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

template <typename... Controls> void RegisterAll(CControlFactory& factory) {
    (RegisterControlClass<Controls>(factory), ...);
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseControlsSkin();
        CControlFactory& factory = CControlFactory::Instance();
        factory.Clear();
        RegisterAll<CCircleProgressUI, CChartViewUI, CWndUI, CSelectPanelUI, CDeviceKeyButtonUI,
                    CCloudShareListItemUI, CComboEditContainerElementUI, CHandImgButtonUI,
                    CHandImgSelectButtonUI, CRedioMacroButtonUI, CAudioRecordUI>(factory);
        ASSERT_TRUE(window.Create(nullptr, "controls", 0, 0, 640, 520));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(20); // the queued "windowinit"
        window.events.clear();
    }

    template <typename T> T* Control(const QString& name) {
        T* control = window.PaintManager().FindControlAs<T>(name);
        EXPECT_NE(control, nullptr) << qPrintable(name);
        return control;
    }

    std::set<QString> SelectedKeys() {
        std::set<QString> selected;
        for (const char* name : {"key_0", "key_1", "key_2"}) {
            if (Control<CDeviceKeyButtonUI>(name)->IsSelected()) {
                selected.insert(name);
            }
        }
        return selected;
    }

    ControlsWindow window;
};

TEST_F(ControlsTest, DraggingSelectsTheKeysTheBandTouchesAndClearsTheOthers) {
    // Keys (panel coordinates): key_0 covers 50..89 x 50..89, key_1 150..189 x
    // 50..89, key_2 50..89 x 120..159.
    struct Case {
        QPoint from, to;
        std::set<QString> selected;
    };
    const Case cases[] = {
        {{5, 5}, {50, 50}, {"key_0"}},                       // one shared corner unit
        {{5, 5}, {49, 49}, {}},                              // one unit short
        {{295, 195}, {89, 89}, {"key_0", "key_1", "key_2"}}, // dragged up and left
        {{100, 5}, {149, 195}, {}},                          // between the keys
        {{100, 60}, {150, 70}, {"key_1"}},                   // touches key_1's left edge
    };
    auto* panel = Control<CSelectPanelUI>("key_panel");
    Control<CDeviceKeyButtonUI>("key_2")->SetSelected(true); // an earlier selection
    for (const Case& c : cases) {
        window.events.clear();
        QTest::mousePress(panel, Qt::LeftButton, {}, c.from);
        SendMouseMove(panel, (c.from + c.to) / 2, Qt::LeftButton);
        SendMouseMove(panel, c.to, Qt::LeftButton);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, c.to);
        EXPECT_EQ(SelectedKeys(), c.selected) << c.to.x() << "," << c.to.y();
        EXPECT_EQ(window.TypesFrom("key_panel"), QStringList{"click_select_end"});
        EXPECT_FALSE(panel->IsArmed());
    }
}

TEST_F(ControlsTest, MouseUpWithoutDragOnlyDisarmsThePanel) {
    auto* panel = Control<CSelectPanelUI>("key_panel");
    Control<CDeviceKeyButtonUI>("key_1")->SetSelected(true);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(60, 60) - QPoint(20, 20));
    EXPECT_TRUE(panel->IsArmed());
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_FALSE(panel->IsArmed());
    EXPECT_FALSE(panel->IsDragging());
    EXPECT_EQ(SelectedKeys(), std::set<QString>{"key_1"});
    EXPECT_TRUE(window.TypesFrom("key_panel").isEmpty());

    // A move without the button held after that does not start a drag either.
    SendMouseMove(panel, QPoint(200, 150), Qt::NoButton);
    EXPECT_FALSE(panel->IsDragging());
}

TEST_F(ControlsTest, SelectPanelTakesItsBackgroundFromTheStyleSheet) {
    auto* panel = Control<CSelectPanelUI>("key_panel");
    panel->setStyleSheet("CSelectPanelUI { background-color: #123456; }");
    EXPECT_EQ(panel->grab().toImage().pixelColor(5, 5), QColor(0x12, 0x34, 0x56));
}

TEST_F(ControlsTest, KeyButtonRaisesDoubleClickOnceAndOnlyWhileEnabled) {
    auto* key = Control<CDeviceKeyButtonUI>("key_0");
    QTest::mouseDClick(key, Qt::LeftButton);
    EXPECT_EQ(window.TypesFrom("key_0").count("dbclick"), 1);

    window.events.clear();
    key->setEnabled(false);
    QTest::mouseDClick(key, Qt::LeftButton);
    EXPECT_TRUE(window.TypesFrom("key_0").isEmpty());
}

TEST_F(ControlsTest, KeyButtonShowsItsLedAsTheDeviceWritesIt) {
    auto* key = Control<CDeviceKeyButtonUI>("key_0");
    EXPECT_EQ(key->ShownLedColor().alpha(), 0); // dark until the device lights it
    // The colour word as the devices build it: red | blue << 8 | green << 16.
    key->setProperty("ledColor", 0x3020FFu);
    key->setProperty("ledBrightness", 128);
    key->setProperty("ledLit", true);
    EXPECT_EQ(key->ShownLedColor(), QColor(128, 24, 16));
    EXPECT_TRUE(key->IsLightOverlayShown());
    EXPECT_FALSE(key->IsKeySetMarkerShown());
    key->ShowKeySetMarker(true);
    key->SetSelected(true);
    EXPECT_FALSE(key->grab().isNull()); // paints with the overlay, marker and selection
}

// The key keeps its face, light and frame as pictures between frames; each change of
// what it shows must still reach the screen.
TEST_F(ControlsTest, KeyButtonRepaintsEachChangeOfItsLedFaceAndSize) {
    auto* key = Control<CDeviceKeyButtonUI>("key_1"); // no light image: rim and faint fill
    const auto face = [key](const char* color) {
        key->setStyleSheet(QString("CDeviceKeyButtonUI { background-color: %1; border: none; "
                                   "border-radius: 0px; }")
                               .arg(color));
    };
    const auto light = [](CDeviceKeyButtonUI* target, uint word) {
        target->setProperty("ledColor", word);
        target->setProperty("ledBrightness", 255);
        target->setProperty("ledLit", true);
    };
    // Inside the rim the LED shows as a faint wash at a quarter of the light's alpha.
    const auto washed = [](QColor under, QColor led) {
        const int alpha = CDeviceKeyButtonUI::kLightColorAlpha / 4;
        const auto mix = [alpha](int a, int b) { return (a * (255 - alpha) + b * alpha) / 255; };
        return QColor(mix(under.red(), led.red()), mix(under.green(), led.green()),
                      mix(under.blue(), led.blue()));
    };
    const auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
               std::abs(a.blue() - b.blue()) <= 2;
    };
    const auto centre = [key] {
        return key->grab().toImage().pixelColor(key->width() / 2, key->height() / 2);
    };
    const QColor dark(0x10, 0x20, 0x30), light2(0x40, 0x50, 0x60);
    face("#102030");
    EXPECT_EQ(centre(), dark); // dark LED: the face alone

    struct Step {
        const char* what;
        std::function<void()> change;
        QColor expected;
    };
    const Step steps[] = {
        {"lit red", [&] { light(key, 0x0000FFu); }, washed(dark, Qt::red)},
        {"green", [&] { light(key, 0xFF0000u); }, washed(dark, Qt::green)},
        {"new face", [&] { face("#405060"); }, washed(light2, Qt::green)},
        {"dimmed", [&] { key->setProperty("ledBrightness", 0); }, washed(light2, Qt::black)},
        {"overlay off", [&] { key->ShowLightOverlay(false); }, light2},
        {"overlay on", [&] { key->ShowLightOverlay(true); }, washed(light2, Qt::black)},
        {"dark", [&] { key->setProperty("ledLit", false); }, light2},
    };
    for (const Step& step : steps) {
        step.change();
        const QColor shown = centre();
        EXPECT_TRUE(near(shown, step.expected))
            << step.what << ": " << qPrintable(shown.name()) << " instead of "
            << qPrintable(step.expected.name());
    }

    // The rim follows the key's size: two pixels in from the right edge, at both sizes.
    light(key, 0x0000FFu);
    for (const int width : {key->width(), key->width() + 30}) {
        key->resize(width, key->height());
        const QColor rim = key->grab().toImage().pixelColor(width - 2, key->height() / 2);
        EXPECT_GT(rim.red(), 150) << width;
        EXPECT_LT(rim.green(), 0x50) << width;
    }

    // The selection frame comes and goes over the light.
    const auto edge = [key] { return key->grab().toImage().pixelColor(1, key->height() / 2); };
    const QColor unselected = edge();
    key->SetSelected(true);
    EXPECT_NE(edge(), unselected);
    key->SetSelected(false);
    EXPECT_EQ(edge(), unselected);

    // With a light image the glow takes the image's shape and follows the LED's colour.
    auto* imaged = Control<CDeviceKeyButtonUI>("key_0");
    const auto glow = [imaged] {
        return imaged->grab().toImage().pixelColor(imaged->width() / 2, imaged->height() / 2);
    };
    light(imaged, 0x0000FFu);
    const QColor red = glow();
    EXPECT_GT(red.red(), red.green() + 60) << qPrintable(red.name());
    light(imaged, 0xFF0000u);
    const QColor green = glow();
    EXPECT_GT(green.green(), green.red() + 60) << qPrintable(green.name());
}

// A key name wider than the key is written smaller, and cut only below the smallest size.
TEST(KeyCaptionTest, LongNamesGetSmallerLettersUntilTheSmallestSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    const int width = 46;
    struct Case {
        QString text;
        bool smaller;
        bool cut;
    };
    const Case cases[] = {{"Esc", false, false},
                          {"Num Lock", true, false},
                          {"BackSpace", true, false},
                          {"Num\nEnter", false, false},
                          {"Left Ctrl+Shift+Alt+Win+B", true, true}};
    for (const Case& c : cases) {
        const KeyCaption caption = KeyCaption::Fit(font, c.text, width);
        EXPECT_EQ(caption.font.pixelSize() < 13, c.smaller) << qPrintable(c.text);
        EXPECT_GE(caption.font.pixelSize(), KeyCaption::kSmallestPixelSize) << qPrintable(c.text);
        EXPECT_EQ(caption.text != c.text, c.cut) << qPrintable(caption.text);
        const QFontMetrics metrics(caption.font);
        for (const QString& line : caption.text.split('\n'))
            EXPECT_LE(metrics.horizontalAdvance(line), width) << qPrintable(line);
        if (c.smaller && !c.cut) {
            // the largest size that fits: one pixel more would not
            QFont larger = caption.font;
            larger.setPixelSize(caption.font.pixelSize() + 1);
            EXPECT_GT(QFontMetrics(larger).horizontalAdvance(c.text), width) << qPrintable(c.text);
        }
    }
    EXPECT_EQ(KeyCaption::Fit(font, "", width).text, "");
}

// On the key the long name stays inside the key's rim instead of running off both sides.
TEST_F(ControlsTest, KeyButtonWritesALongNameWhollyOnItsFace) {
    auto* key = Control<CDeviceKeyButtonUI>("key_1");
    key->setStyleSheet("CDeviceKeyButtonUI { background-color: #000080; color: #ffff00; "
                       "border: none; padding: 0px; font-size: 13px; }");
    key->resize(52, 52);
    key->setText("BackSpace Key");
    const QImage shown = key->grab().toImage();
    const auto textInColumn = [&shown](int x) {
        for (int y = 0; y < shown.height(); ++y) {
            const QColor c = shown.pixelColor(x, y);
            if (c.red() > 100 && c.green() > 100) // the caption's yellow over the blue face
                return true;
        }
        return false;
    };
    EXPECT_FALSE(textInColumn(0));
    EXPECT_FALSE(textInColumn(1));
    EXPECT_FALSE(textInColumn(shown.width() - 1));
    EXPECT_FALSE(textInColumn(shown.width() - 2));
    EXPECT_TRUE(textInColumn(shown.width() / 4));
    EXPECT_TRUE(textInColumn(shown.width() * 3 / 4));
}

// A key paints all of its pixels itself (its parents are not repainted under it each
// frame), so under its rounded corners it shows what its parents show there, also
// after it moved.
TEST_F(ControlsTest, KeyButtonShowsItsParentsUnderItsCorners) {
    auto* panel = Control<CSelectPanelUI>("key_panel");
    auto* key = Control<CDeviceKeyButtonUI>("key_1");
    panel->setStyleSheet(
        "CSelectPanelUI { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
        "stop:0 #ff0000, stop:1 #0000ff); }"
        "CDeviceKeyButtonUI { background-color: #00ff00; border: none; border-radius: 12px; }");
    EXPECT_TRUE(key->testAttribute(Qt::WA_OpaquePaintEvent));
    const auto panelAlone = [panel](QPoint at) {
        QImage image(panel->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        panel->render(&image, QPoint(), QRegion(), QWidget::RenderFlags()); // no children
        return image.pixelColor(at);
    };
    for (const int x : {20, 150, 250}) {
        key->move(x, key->y());
        const QImage shown = key->grab().toImage();
        const QColor corner = shown.pixelColor(0, 0);
        EXPECT_EQ(corner, panelAlone(key->pos())) << "at x " << x;
        EXPECT_EQ(shown.pixelColor(key->width() / 2, key->height() / 2), QColor(0, 255, 0));
    }
    // a new background above the key (a skin change) reaches its corners too
    panel->setStyleSheet("CSelectPanelUI { background-color: #203040; }"
                         "CDeviceKeyButtonUI { border: none; border-radius: 12px; }");
    EXPECT_EQ(key->grab().toImage().pixelColor(0, 0), QColor(0x20, 0x30, 0x40));
}

// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
public:
    void Watch(QWidget* widget) { widget->installEventFilter(this); }
    int Count(const QObject* widget) const {
        const auto found = m_counts.find(widget);
        return found == m_counts.end() ? 0 : found->second;
    }
    void Reset() { m_counts.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_counts[watched];
        }
        return false;
    }

private:
    std::map<const QObject*, int> m_counts;
};

// What the window holds on screen (its backing store) within a widget.
QImage OnScreen(QWidget* widget) {
    const QPoint origin = widget->mapTo(widget->window(), QPoint(0, 0));
    return widget->screen()
        ->grabWindow(widget->window()->winId(), origin.x(), origin.y(), widget->width(),
                     widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// While the lights change, a surface over the keys paints them all in one pass; the
// keys do not repaint themselves, and the screen shows what the keys paint on their own,
// also a key's change that came while the surface covered it.
TEST_F(ControlsTest, LightChangesRepaintTheKeysInOnePassWithTheKeysOwnLook) {
    auto* panel = Control<CSelectPanelUI>("key_panel");
    panel->setStyleSheet("CSelectPanelUI { background-color: #203040; }"
                         "CDeviceKeyButtonUI { background-color: #604020; color: #e0f0a0; "
                         "border: none; border-radius: 9px; }");
    auto* surface = panel->findChild<CKeyLightSurface*>();
    ASSERT_NE(surface, nullptr);
    const std::array keys{Control<CDeviceKeyButtonUI>("key_0"),
                          Control<CDeviceKeyButtonUI>("key_1"),
                          Control<CDeviceKeyButtonUI>("key_2")};
    PaintCounter paints;
    paints.Watch(surface);
    for (CDeviceKeyButtonUI* key : keys) {
        paints.Watch(key);
    }
    // colour words red | blue << 8 | green << 16, a different colour on every key
    const auto light = [&keys](std::array<std::uint32_t, 3> words) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            keys[i]->ShowLed(words[i], 255, true);
        }
    };
    EXPECT_TRUE(surface->isHidden());

    light({0x1000E0u, 0xE00010u, 0x10E000u});
    ASSERT_TRUE(surface->isVisible());
    const QRegion keyPlaces =
        QRegion(50, 50, 40, 40) + QRegion(150, 50, 40, 40) + QRegion(50, 120, 40, 40);
    EXPECT_EQ(surface->PaintedRegion(), keyPlaces);
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints.Count(surface) >= 1; }));

    paints.Reset();
    keys[0]->setText("Z"); // the key's own repaint is covered by the surface
    light({0x30C020u, 0x2030C0u, 0xC02030u});
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints.Count(surface) == 1; }));
    for (CDeviceKeyButtonUI* key : keys) {
        EXPECT_EQ(paints.Count(key), 0) << qPrintable(ControlName(key));
    }
    const QImage together = OnScreen(panel);

    // The lights rest: the surface goes, and the keys paint themselves again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface->isHidden(); }));
    EXPECT_TRUE(surface->PaintedRegion().isEmpty());
    const QImage alone = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(together, alone);
    EXPECT_TRUE(QTest::qWaitFor([&] { return OnScreen(panel) == alone; }));
    const int keyPaints = paints.Count(keys[1]);
    keys[1]->SetSelected(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints.Count(keys[1]) == keyPaints + 1; }));
}

// A widget between the keys (above one, below another) keeps its place: the surface
// leaves it out; one above all keys stays above the surface. A key hidden while the
// surface covers the keys hands back to them, and a panel not on screen has no surface.
TEST_F(ControlsTest, KeyLightSurfaceLeavesOutWhatLiesAboveTheKeys) {
    auto* panel = Control<CSelectPanelUI>("key_panel");
    panel->setStyleSheet("CSelectPanelUI { background-color: #203040; }"
                         "CDeviceKeyButtonUI { background-color: #604020; border: none; }");
    auto* surface = panel->findChild<CKeyLightSurface*>();
    ASSERT_NE(surface, nullptr);
    auto* key0 = Control<CDeviceKeyButtonUI>("key_0");
    auto* key1 = Control<CDeviceKeyButtonUI>("key_1");
    auto* key2 = Control<CDeviceKeyButtonUI>("key_2");
    auto* between = new QLabel(panel); // owned by the panel
    between->setGeometry(170, 60, 60, 20);
    between->setStyleSheet("QLabel { background-color: #c03080; }");
    between->stackUnder(key2); // above key_0 and key_1
    between->show();
    auto* onTop = new QLabel(panel); // owned by the panel, above every key
    onTop->setGeometry(30, 40, 30, 30);
    onTop->setStyleSheet("QLabel { background-color: #30c090; }");
    onTop->show();

    // Lit keys are covered, a key without a light is left to itself until it is lit.
    key0->ShowLed(0x2010E0u, 255, true);
    key1->ShowLed(0x10E020u, 255, true);
    ASSERT_TRUE(surface->isVisible());
    const QRegion keyPlaces =
        QRegion(50, 50, 40, 40) + (QRegion(150, 50, 40, 40) - QRegion(170, 60, 60, 20));
    EXPECT_EQ(surface->PaintedRegion(), keyPlaces);
    key2->ShowLed(0xE02010u, 255, true);
    EXPECT_EQ(surface->PaintedRegion(), keyPlaces + QRegion(50, 120, 40, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return OnScreen(panel) == panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }));
    const QImage shown = OnScreen(panel);
    EXPECT_EQ(shown.pixelColor(180, 70), QColor(0xc0, 0x30, 0x80));
    EXPECT_EQ(shown.pixelColor(55, 55), QColor(0x30, 0xc0, 0x90));

    key2->hide();
    EXPECT_TRUE(surface->isHidden());
    key0->ShowLed(0xE01030u, 255, true);
    ASSERT_TRUE(surface->isVisible());
    EXPECT_EQ(surface->PaintedRegion(), keyPlaces);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return OnScreen(panel).pixelColor(70, 140) == QColor(0x20, 0x30, 0x40); }));

    panel->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface->isHidden(); }));
    key0->ShowLed(0x2040E0u, 255, true);
    EXPECT_TRUE(surface->isHidden());
}

// A glow is its shape's coverage times the LED's colour, premultiplied, at every pixel;
// a glow still held keeps its colours while later ones are worked out.
TEST_F(ControlsTest, KeyGlowIsTheShapesCoverageTimesTheColour) {
    const auto expected = [](const QImage& mask, QRgb color, int x, int y) {
        const int coverage = qAlpha(mask.pixel(x, y));
        const QRgb premultiplied = qPremultiply(color);
        const auto scaled = [coverage](int channel) { return qRound(channel * coverage / 255.0); };
        return qRgba(scaled(qRed(premultiplied)), scaled(qGreen(premultiplied)),
                     scaled(qBlue(premultiplied)), scaled(qAlpha(premultiplied)));
    };
    const auto mismatches = [&expected](const QImage& mask, const QImage& tinted, QRgb color) {
        int wrong = 0;
        for (int y = 0; y < mask.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(tinted.constScanLine(y));
            for (int x = 0; x < mask.width(); ++x) {
                wrong += row[x] != expected(mask, color, x, y) ? 1 : 0;
            }
        }
        return wrong;
    };
    for (const QString& lightImage : {QString(), QStringLiteral("images/record.svg")}) {
        const CKeyGlow::Shape shape = CKeyGlow::ShapeFor(lightImage, QSize(40, 52), 1.0);
        EXPECT_EQ(shape.fromImage, !lightImage.isEmpty());
        const QRgb first = qRgba(0xE0, 0x40, 0x10, 0xC8);
        const QImage held = CKeyGlow::Tinted(shape, first);
        ASSERT_EQ(held.size(), QSize(40, 52));
        EXPECT_EQ(held.format(), QImage::Format_ARGB32_Premultiplied);
        QImage last;
        QRgb lastColor = 0;
        for (int step = 1; step <= 60; ++step) { // more colours than are kept
            lastColor = qRgba(step * 4, 0xFF - step * 3, 0x80 + step, 0xFF);
            last = CKeyGlow::Tinted(shape, lastColor);
        }
        EXPECT_EQ(mismatches(shape.mask, held, first), 0) << qPrintable(lightImage);
        EXPECT_EQ(mismatches(shape.mask, last, lastColor), 0) << qPrintable(lightImage);
    }
}

TEST_F(ControlsTest, HandButtonDeleteZoneRaisesHandDeleteInsteadOfClick) {
    auto* button = Control<CHandImgButtonUI>("hand_btn"); // 120 x 100
    struct Case {
        int dpi;
        bool deleteEnabled;
        QPoint point;
        QString event;
    };
    const Case cases[] = {
        {96, true, {100, 80}, "click_handdelete"}, // inside 90..109 x 71..90
        {96, true, {90, 71}, "click_handdelete"},  // its top-left unit
        {96, true, {89, 80}, "click"},             // one unit left of it
        {96, true, {20, 20}, "click"},
        {96, false, {100, 80}, "click"},           // zone off: an ordinary click
        {144, true, {76, 58}, "click_handdelete"}, // 75..104 x 57..86 at 150 %
        {144, true, {107, 88}, "click"},           // inside the unscaled zone only
    };
    for (const Case& c : cases) {
        window.events.clear();
        window.PaintManager().SetDPI(c.dpi);
        button->SetDeleteEnabled(c.deleteEnabled);
        QTest::mouseClick(button, Qt::LeftButton, {}, c.point);
        EXPECT_EQ(window.TypesFrom("hand_btn"), QStringList{c.event})
            << c.dpi << " " << c.point.x() << "," << c.point.y();
        EXPECT_FALSE(button->isDown());
    }
}

TEST_F(ControlsTest, HandButtonRaisesEnterAndLeaveAndTracksTheZoneWhileHovered) {
    auto* button = Control<CHandImgButtonUI>("hand_btn");
    button->SetDeleteEnabled(true);
    SendEnter(button, QPoint(10, 10));
    EXPECT_TRUE(button->IsHovered());
    EXPECT_FALSE(button->IsPointerInDeleteZone());
    SendMouseMove(button, QPoint(100, 80), Qt::NoButton);
    EXPECT_TRUE(button->IsPointerInDeleteZone());
    EXPECT_FALSE(button->grab().isNull()); // the hot delete picture
    SendLeave(button);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(window.TypesFrom("hand_btn"), (QStringList{"msenter", "msleave"}));
}

TEST_F(ControlsTest, HandSelectButtonPansItsPictureWhileDragged) {
    auto* button = Control<CHandImgSelectButtonUI>("hand_select_btn"); // 100 x 60 over 200 x 120
    EXPECT_EQ(button->ImageSize(), QSize(200, 120));
    EXPECT_EQ(button->Source(), QRect(0, 0, 100, 60));
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(80, 50));
    SendMouseMove(button, QPoint(50, 40), Qt::LeftButton); // the picture follows left and up
    EXPECT_EQ(button->Source(), QRect(30, 10, 100, 60));
    EXPECT_EQ(button->GetHandImage(), "file='images/hand.svg' source='30,10,130,70'");
    SendMouseMove(button, QPoint(-400, -400), Qt::LeftButton);
    EXPECT_EQ(button->Source(), QRect(100, 60, 100, 60));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-400, -400));

    SendMouseMove(button, QPoint(90, 50), Qt::NoButton); // hovering pans nothing
    EXPECT_EQ(button->Source(), QRect(100, 60, 100, 60));
}

TEST_F(ControlsTest, RecordButtonBlinksOnItsTimerAndGivesBackItsPicture) {
    auto* button = Control<CRedioMacroButtonUI>("record_btn");
    // Idle without a picture of its own, it shows the record picture.
    EXPECT_EQ(button->grab().toImage().pixelColor(20, 20), QColor(0xd6, 0x40, 0x4e));
    button->SetNormalImage("images/hand.svg");
    ASSERT_TRUE(button->SetRecording(true));
    EXPECT_TRUE(window.PaintManager().HasTimer(button, CRedioMacroButtonUI::kBlinkTimerId));

    // The 50 ms timer moves the fade; each tick writes the picture with its fade.
    ASSERT_TRUE(QTest::qWaitFor([button] { return button->Fade() <= 195; }, 2000));
    const int fade = button->Fade();
    EXPECT_EQ(button->GetNormalImage(),
              QStringLiteral("res='images/record.svg' fade='%1'").arg(fade));

    ASSERT_TRUE(button->OnControlTimer(CRedioMacroButtonUI::kBlinkTimerId));
    EXPECT_EQ(button->Fade(), fade - 20 >= 80 ? fade - 20 : 80);
    EXPECT_FALSE(button->OnControlTimer(7)); // other timers become "timer" events

    button->SetRecording(false);
    EXPECT_FALSE(window.PaintManager().HasTimer(button, CRedioMacroButtonUI::kBlinkTimerId));
    EXPECT_EQ(button->GetNormalImage(), "images/hand.svg");
    const int stopped = button->Fade();
    QTest::qWait(120);
    EXPECT_EQ(button->Fade(), stopped);
}

TEST_F(ControlsTest, CircleProgressPaintsEveryRangeIncludingAnEmptyOne) {
    auto* progress = Control<CCircleProgressUI>("circle_progress");
    EXPECT_DOUBLE_EQ(progress->SweepDegrees(), 144.0); // 40 of 0..100 from the layout
    progress->setRange(5, 5);
    EXPECT_DOUBLE_EQ(progress->SweepDegrees(), 0.0);
    const QImage empty = progress->grab().toImage();
    ASSERT_FALSE(empty.isNull());
    // An empty range leaves the ring in the background colour: nothing in the accent.
    const QColor ring = empty.pixelColor(progress->width() / 2, progress->height() - 5);
    EXPECT_NE(ring, QColor(0x22, 0xe0, 0xc4));

    progress->setRange(0, 100);
    progress->setValue(100);
    const QImage full = progress->grab().toImage();
    EXPECT_EQ(full.pixelColor(progress->width() / 2, progress->height() - 5),
              QColor(0x22, 0xe0, 0xc4));
}

TEST_F(ControlsTest, ComboEditRowBuildsItsPartsAndRaisesRowEvents) {
    auto* row = Control<CComboEditContainerElementUI>("combo_row");
    ASSERT_TRUE(row->HasContent());
    ASSERT_TRUE(row->Text1());
    ASSERT_TRUE(row->Text2());
    ASSERT_TRUE(row->DelayEdit());
    row->Text1().SetText("Key A down");
    EXPECT_EQ(row->Text1().GetText(), "Key A down");

    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(row->IsSelected());
    QTest::mouseClick(row, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    EXPECT_FALSE(row->IsSelected());
    EXPECT_EQ(window.TypesFrom("combo_row"), (QStringList{"itemclick", "itemclick"}));

    window.events.clear();
    auto* edit = row->DelayEdit().as<QLineEdit>();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(window.TypesFrom("combo_row"), QStringList{"return"});

    window.events.clear();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), row->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(row, &menu);
    EXPECT_TRUE(window.TypesFrom("combo_row").isEmpty()); // context menus are off
    row->SetContextMenuUsed(true);
    QApplication::sendEvent(row, &menu);
    EXPECT_EQ(window.TypesFrom("combo_row"), QStringList{"menu"});
}

TEST_F(ControlsTest, ComboEditRowsInAListSelectThroughTheList) {
    auto* list = Control<QListWidget>("macro_action_list");
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    std::vector<CComboEditContainerElementUI*> rows;
    for (int i = 0; i < 3; ++i) {
        auto* item = new QListWidgetItem(list);       // owned by the list
        auto* row = new CComboEditContainerElementUI; // parented by the list below
        row->setObjectName(QStringLiteral("action_%1").arg(i));
        item->setSizeHint(QSize(280, 30));
        list->setItemWidget(item, row);
        rows.push_back(row);
    }
    QTest::mouseClick(rows[1], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(list->currentRow(), 1);
    QTest::mouseClick(rows[2], Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    EXPECT_TRUE(rows[1]->IsSelected());
    EXPECT_TRUE(rows[2]->IsSelected());
    EXPECT_FALSE(rows[0]->IsSelected());
    EXPECT_EQ(window.TypesFrom("action_2"), QStringList{"itemclick"});
}

TEST_F(ControlsTest, ShareRowActivatesShowsItsMenuAndOutlinesOnHover) {
    auto* row = Control<CCloudShareListItemUI>("share_row");
    QTest::mouseDClick(row, Qt::LeftButton, {}, QPoint(5, 5));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), row->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(row, &menu);
    EXPECT_EQ(window.TypesFrom("share_row"), (QStringList{"itemactivate", "menu"}));

    row->Select(false);
    SendEnter(row, QPoint(5, 5));
    EXPECT_TRUE(row->ShowsHotBorder());
    row->setProperty("hotbordercolor", 0xFFFF0000u);
    const QImage hovered = row->grab().toImage();
    EXPECT_EQ(hovered.pixelColor(0, 10), QColor(255, 0, 0));
    row->Select(true);
    EXPECT_FALSE(row->ShowsHotBorder()); // a selected row keeps its selection look
    SendLeave(row);
    EXPECT_FALSE(row->ShowsHotBorder());
}

TEST_F(ControlsTest, HostedWindowFollowsTheControl) {
    auto* host = Control<CWndUI>("wnd_host");
    QWidget* root = window.PaintManager().GetRoot();
    QWidget hosted(root);
    host->Attach(&hosted);
    EXPECT_EQ(hosted.geometry(), QRect(430, 220, 100, 80));
    EXPECT_TRUE(hosted.isVisible());
    host->move(440, 230);
    EXPECT_EQ(hosted.geometry(), QRect(440, 230, 100, 80));
    host->hide();
    EXPECT_FALSE(hosted.isVisible());
    host->show();
    EXPECT_TRUE(hosted.isVisible());
    host->Attach(nullptr);
}

TEST_F(ControlsTest, WaveformAndChartPaintTheirData) {
    auto* wave = Control<CAudioRecordUI>("wave"); // 200 x 50: 100 bars
    std::vector<int> levels(500, 8192);
    wave->SetSamples(levels);
    const QImage picture = wave->grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0x22, 0xe0, 0xc4)); // a full bar
    EXPECT_NE(picture.pixelColor(1, 0), QColor(0x22, 0xe0, 0xc4)); // the gap

    auto* chart = Control<CChartViewUI>("chart");
    EXPECT_EQ(chart->GetViewKind(), CChartViewUI::View::Histogram);
    chart->Add("alpha", 3);
    chart->Add("<b>beta</b>", 6);
    EXPECT_FALSE(chart->grab().isNull());
    chart->SetView("pie");
    chart->SetShowHtml(true);
    EXPECT_FALSE(chart->grab().isNull());
    chart->SetView("donut"); // unknown: keeps the pie
    EXPECT_EQ(chart->GetView(), "pie");
}

} // namespace
