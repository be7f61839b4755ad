#pragma once

#include <QWidget>

class QTabBar;

namespace app {

class TabRow;

/// SSTab1: a row of tabs over a panel. Unlike QTabWidget it has no page area
/// of its own; the page frames are its direct children, placed relative to
/// the whole control including the tab row. The row is named "SSTab1_tabs".
class TabControl : public QWidget {
public:
    explicit TabControl(QWidget *parent);
    QTabBar *tabBar() const;
    /// The height of the tab row in pixels.
    int RowHeight() const;
    /// The tabs end `pixels` before the control's right edge: another
    /// control ("Ende") lies in front of that part of the row.
    void SetCoveredRight(int pixels);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void PlaceTabBar();

    TabRow *m_tabBar;
    int m_coveredRight = 0;
};

} // namespace app
