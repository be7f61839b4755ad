#pragma once

#include <QTabBar>

namespace app {

/// The tab row of SSTab1. Where the row is too short for the whole captions,
/// every tab may shrink to its share of the row, its caption shortened, so
/// that each one keeps a spot the mouse can reach; scroll buttons are the
/// last resort.
class TabRow : public QTabBar {
public:
    using QTabBar::QTabBar;
    /// The width in pixels a tab may shrink to; at least 1.
    void SetShareWidth(int pixels);

protected:
    QSize minimumTabSizeHint(int index) const override;

private:
    int m_shareWidth = 1;
};

} // namespace app
