#include "app/info_page_wait.h"
#include "tests/support/fake_user_interaction.h"
#include "tests/support/memory_window_model.h"

#include <QSignalSpy>
#include <QtTest>

using namespace app;
using namespace std::chrono_literals;

namespace {

/// Behaves like Form1: selecting a page runs SSTab1_Click, which tells the
/// wait about it. `closing` stands for "Ende" or the closed window.
class WindowWithTabs : public MemoryWindowModel {
public:
    InfoPageWait *wait = nullptr;
    bool closing = false;
    int pageSelections = 0;

    void SetCurrentPage(int page) override
    {
        MemoryWindowModel::SetCurrentPage(page);
        ++pageSelections;
        if (wait)
            wait->PageChanged(page);
    }
    bool IsClosing() const override { return closing; }
};

constexpr auto kShortWait = 50ms;

} // namespace

class InfoPageWaitTest : public QObject {
    Q_OBJECT
private slots:
    void untouchedInfoPageTurnsToParametersWithOneBeep();
    void userSelectedPageStays_data();
    void userSelectedPageStays();
    void closingDuringWaitTouchesNothing();
    void waitDiesWithItsWindow();
    void onlyFirstStartCounts();
};

void InfoPageWaitTest::untouchedInfoPageTurnsToParametersWithOneBeep()
{
    WindowWithTabs window;
    platform::FakeUserInteraction user;
    InfoPageWait wait(window, user, kShortWait);
    window.wait = &wait;
    QSignalSpy finished(&wait, &InfoPageWait::finished);

    wait.Start();
    QCOMPARE(window.currentPage, int(InfoPage));
    QVERIFY(wait.IsWaiting());
    QVERIFY(finished.wait(5000));
    QCOMPARE(window.currentPage, int(ParameterPage));
    QCOMPARE(user.beeps, 1);
    QVERIFY(!wait.IsWaiting());

    QTest::qWait(3 * kShortWait.count());
    QCOMPARE(user.beeps, 1);
    QCOMPARE(finished.count(), 1);
}

void InfoPageWaitTest::userSelectedPageStays_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("parameter page") << int(ParameterPage);
    QTest::newRow("template page") << int(TemplatePage);
}

void InfoPageWaitTest::userSelectedPageStays()
{
    QFETCH(int, page);
    WindowWithTabs window;
    platform::FakeUserInteraction user;
    InfoPageWait wait(window, user, kShortWait);
    window.wait = &wait;
    QSignalSpy finished(&wait, &InfoPageWait::finished);

    wait.Start();
    window.SetCurrentPage(page);
    QVERIFY(!wait.IsWaiting());
    QCOMPARE(finished.count(), 1);

    QTest::qWait(3 * kShortWait.count());
    QCOMPARE(window.currentPage, page);
    QCOMPARE(user.beeps, 0);
    QCOMPARE(window.pageSelections, 2);
}

void InfoPageWaitTest::closingDuringWaitTouchesNothing()
{
    WindowWithTabs window;
    platform::FakeUserInteraction user;
    InfoPageWait wait(window, user, kShortWait);
    window.wait = &wait;
    QSignalSpy finished(&wait, &InfoPageWait::finished);

    wait.Start();
    window.closing = true;
    QVERIFY(finished.wait(5000));
    QCOMPARE(window.currentPage, int(InfoPage));
    QCOMPARE(window.pageSelections, 1);
    QCOMPARE(user.beeps, 0);
}

void InfoPageWaitTest::waitDiesWithItsWindow()
{
    platform::FakeUserInteraction user;
    {
        WindowWithTabs window;
        QObject form;
        auto *wait = new InfoPageWait(window, user, kShortWait, &form);
        window.wait = wait;
        wait->Start();
        window.wait = nullptr;
    }
    QTest::qWait(3 * kShortWait.count());
    QCOMPARE(user.beeps, 0);
}

void InfoPageWaitTest::onlyFirstStartCounts()
{
    WindowWithTabs window;
    platform::FakeUserInteraction user;
    InfoPageWait wait(window, user, kShortWait);
    window.wait = &wait;

    wait.Start();
    window.SetCurrentPage(TemplatePage);
    wait.Start(); // the window became active again
    QCOMPARE(window.currentPage, int(TemplatePage));
    QVERIFY(!wait.IsWaiting());
    QTest::qWait(3 * kShortWait.count());
    QCOMPARE(user.beeps, 0);
}

QTEST_GUILESS_MAIN(InfoPageWaitTest)
#include "info_page_wait_test.moc"
