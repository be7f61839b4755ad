#include "app/widgets/tab_row.h"

#include <algorithm>

namespace app {

void TabRow::SetShareWidth(int pixels)
{
    m_shareWidth = std::max(1, pixels);
}

QSize TabRow::minimumTabSizeHint(int index) const
{
    QSize size = QTabBar::minimumTabSizeHint(index);
    size.setWidth(std::min(size.width(), m_shareWidth));
    return size;
}

} // namespace app
