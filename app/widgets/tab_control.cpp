#include "app/widgets/tab_control.h"

#include "app/widgets/tab_row.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

#include <algorithm>

namespace app {

TabControl::TabControl(QWidget *parent) : QWidget(parent), m_tabBar(new TabRow(this))
{
    m_tabBar->setObjectName(QStringLiteral("SSTab1_tabs"));
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    m_tabBar->setUsesScrollButtons(true);
    m_tabBar->setElideMode(Qt::ElideRight);
}

QTabBar *TabControl::tabBar() const
{
    return m_tabBar;
}

int TabControl::RowHeight() const
{
    return m_tabBar->sizeHint().height();
}

void TabControl::SetCoveredRight(int pixels)
{
    m_coveredRight = std::max(0, pixels);
    PlaceTabBar();
}

void TabControl::resizeEvent(QResizeEvent *)
{
    PlaceTabBar();
}

void TabControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    option.rect = QRect(0, RowHeight() - overlap, width(), height() - RowHeight() + overlap);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = m_tabBar->sizeHint();
    option.tabBarRect = QRect(QPoint(0, 0), m_tabBar->sizeHint());
    option.selectedTabRect = m_tabBar->tabRect(m_tabBar->currentIndex());
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
}

void TabControl::PlaceTabBar()
{
    const int rowWidth = std::max(0, width() - m_coveredRight);
    m_tabBar->SetShareWidth(rowWidth / std::max(1, m_tabBar->count()));
    m_tabBar->setGeometry(0, 0, rowWidth, RowHeight());
}

} // namespace app
