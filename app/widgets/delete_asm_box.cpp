#include "app/widgets/delete_asm_box.h"

namespace app {

void DeleteAsmBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

} // namespace app
