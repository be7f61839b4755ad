#include "app/layout.h"

#include "app/design.h"

#include <QtTest>

using app::ResizeGeometry;
using app::TwipRect;

Q_DECLARE_METATYPE(app::TwipRect)

namespace {

// The controls as the design leaves them before the first layout.
ResizeGeometry DesignGeometry()
{
    namespace design = app::design;
    return {design::kSSTab1, design::kHlpt,   design::kCommand1, design::kFrame1,
            design::kText2,  design::kLabel3, design::kLabel5,   design::kCommand2,
            design::kCommand3};
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void startSizeGivesTheDesignedLayout_data();
    void startSizeGivesTheDesignedLayout();
    void narrowWindowPushesEndButtonPastTheLeftEdge();
    void tooLowWindowKeepsTabControlButRunsLaterSteps();
    void tooNarrowForFramesKeepsFramesAndTheirContents();
    void growingMovesOnlyWhatFollowsTheEdge_data();
    void growingMovesOnlyWhatFollowsTheEdge();
    void hintBarKeepsItsHeightThroughResizes();
    void pageOneKeepsItsDesignTopsAndSizes_data();
    void pageOneKeepsItsDesignTopsAndSizes();
};

void LayoutTest::startSizeGivesTheDesignedLayout_data()
{
    QTest::addColumn<TwipRect>("actual");
    QTest::addColumn<TwipRect>("expected");
    const ResizeGeometry g = app::ResizedGeometry(7245, 6900, 300, DesignGeometry());
    QTest::newRow("SSTab1") << g.ssTab1 << TwipRect{30, 30, 7095, 5385};
    QTest::newRow("hlpt") << g.hlpt << TwipRect{120, 5445, 7005, 975};
    QTest::newRow("Command1") << g.command1 << TwipRect{5745, 30, 1380, 300};
    for (int i = 0; i < 3; ++i)
        QTest::addRow("Frame1(%d)", i) << g.frame1[i] << TwipRect{60, 360, 6945, 4935};
    QTest::newRow("Text2") << g.text2 << TwipRect{120, 120, 6705, 4695};
    QTest::newRow("Label3") << g.label3 << TwipRect{240, 480, 6465, 615};
    QTest::newRow("Label5") << g.label5 << TwipRect{240, 1680, 6465, 615};
    QTest::newRow("Command2") << g.command2 << TwipRect{4050, 3000, 2655, 735};
    QTest::newRow("Command3 below Command2") << g.command3 << TwipRect{4050, 3885, 2655, 375};
}

void LayoutTest::startSizeGivesTheDesignedLayout()
{
    QFETCH(TwipRect, actual);
    QFETCH(TwipRect, expected);
    QCOMPARE(actual, expected);
}

void LayoutTest::narrowWindowPushesEndButtonPastTheLeftEdge()
{
    const ResizeGeometry g = app::ResizedGeometry(1400, 6900, 300, DesignGeometry());
    QCOMPARE(g.command1, (TwipRect{-100, 30, 1380, 300}));
    QCOMPARE(g.ssTab1.width, 1250.f);
}

void LayoutTest::tooLowWindowKeepsTabControlButRunsLaterSteps()
{
    const ResizeGeometry before = app::ResizedGeometry(7245, 6900, 300, DesignGeometry());
    // 300 + 975 + 240 = 1515: one twip less makes the tab control's height
    // negative although its width alone would be fine.
    const ResizeGeometry g = app::ResizedGeometry(9000, 1514, 300, before);
    QCOMPARE(g.ssTab1, before.ssTab1);
    QCOMPARE(g.hlpt, (TwipRect{120, 5445, 8760, 975}));
    QCOMPARE(g.command1, (TwipRect{7500, 30, 1380, 300}));
    QCOMPARE(g.frame1[0], before.frame1[0]);
    QCOMPARE(g.command2, before.command2);
}

void LayoutTest::tooNarrowForFramesKeepsFramesAndTheirContents()
{
    const ResizeGeometry before = app::ResizedGeometry(7245, 6900, 300, DesignGeometry());
    // The tab control may be 100 twips wide, its frames would be -50.
    const ResizeGeometry g = app::ResizedGeometry(250, 6900, 300, before);
    QCOMPARE(g.ssTab1.width, 100.f);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(g.frame1[i], before.frame1[i]);
    // Steps 5 to 8 read the frames they left, so nothing below them moves.
    QCOMPARE(g.text2, before.text2);
    QCOMPARE(g.label3, before.label3);
    QCOMPARE(g.command2, before.command2);
    QCOMPARE(g.command3, before.command3);
}

void LayoutTest::growingMovesOnlyWhatFollowsTheEdge_data()
{
    QTest::addColumn<float>("extraWidth");
    QTest::addColumn<float>("extraHeight");
    QTest::newRow("wider") << 600.f << 0.f;
    QTest::newRow("taller") << 0.f << 450.f;
    QTest::newRow("both") << 1500.f << 900.f;
    QTest::newRow("smaller but usable") << -1200.f << -1500.f;
}

void LayoutTest::growingMovesOnlyWhatFollowsTheEdge()
{
    QFETCH(float, extraWidth);
    QFETCH(float, extraHeight);
    const ResizeGeometry a = app::ResizedGeometry(7245, 6900, 300, DesignGeometry());
    const ResizeGeometry b = app::ResizedGeometry(7245 + extraWidth, 6900 + extraHeight, 300, a);
    const float dw = extraWidth;
    const float dh = extraHeight;
    QCOMPARE(b.ssTab1, (TwipRect{30, 30, a.ssTab1.width + dw, a.ssTab1.height + dh}));
    QCOMPARE(b.hlpt, (TwipRect{120, a.hlpt.top + dh, a.hlpt.width + dw, 975}));
    QCOMPARE(b.command1, (TwipRect{a.command1.left + dw, 30, 1380, 300}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(b.frame1[i], (TwipRect{60, 360, a.frame1[i].width + dw, a.frame1[i].height + dh}));
    QCOMPARE(b.text2, (TwipRect{120, 120, a.text2.width + dw, a.text2.height + dh}));
    QCOMPARE(b.label3, (TwipRect{240, 480, a.label3.width + dw, 615}));
    QCOMPARE(b.label5, (TwipRect{240, 1680, a.label5.width + dw, 615}));
    QCOMPARE(b.command2, (TwipRect{a.command2.left + dw, 3000, 2655, 735}));
    QCOMPARE(b.command3, (TwipRect{a.command3.left + dw, 3885, 2655, 375}));
}

void LayoutTest::hintBarKeepsItsHeightThroughResizes()
{
    ResizeGeometry g = DesignGeometry();
    const float sizes[][2] = {{7245, 6900}, {1000, 800}, {12000, 9000}, {300, 200}, {7245, 6900}};
    for (const auto &size : sizes) {
        g = app::ResizedGeometry(size[0], size[1], 330, g);
        QCOMPARE(g.hlpt.height, 975.f);
    }
    // Same size, same tab row: the same geometry again.
    QCOMPARE(app::ResizedGeometry(7245, 6900, 330, g), g);
}

void LayoutTest::pageOneKeepsItsDesignTopsAndSizes_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::newRow("start size") << 7245.f << 6900.f;
    QTest::newRow("large") << 12000.f << 9000.f;
    QTest::newRow("just wide enough for the button") << 3335.f << 6900.f;
}

// What the layout does not compute it takes from the design: a path label or
// the generate button moved in the design must not snap back at a resize.
void LayoutTest::pageOneKeepsItsDesignTopsAndSizes()
{
    QFETCH(float, width);
    QFETCH(float, height);
    namespace design = app::design;
    const ResizeGeometry g = app::ResizedGeometry(width, height, 300, DesignGeometry());
    for (const auto &[laid, designed] : {std::pair{g.label3, design::kLabel3},
                                        std::pair{g.label5, design::kLabel5}}) {
        QCOMPARE(laid.left, designed.left);
        QCOMPARE(laid.top, designed.top);
        QCOMPARE(laid.height, designed.height);
        QCOMPARE(laid.left + laid.width + designed.left, g.frame1[1].width);
    }
    QCOMPARE(g.command2.top, design::kCommand2.top);
    QCOMPARE(g.command2.width, design::kCommand2.width);
    QCOMPARE(g.command2.height, design::kCommand2.height);
    QCOMPARE(g.command2.left + g.command2.width + design::kLabel3.left, g.frame1[1].width);
    QCOMPARE(g.command3.top, design::kCommand3.top);
    QCOMPARE(g.command3.width, design::kCommand3.width);
    QCOMPARE(g.command3.height, design::kCommand3.height);
    QCOMPARE(g.command3.left, g.command2.left);
}

QTEST_GUILESS_MAIN(LayoutTest)
#include "layout_test.moc"
