#pragma once

#include <QCheckBox>

namespace app {

/// Check1: a click ticks a cleared box and clears a ticked one; the greyed
/// value comes only from the settings, and a click on it ticks the box like
/// on a cleared one.
class DeleteAsmBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

} // namespace app
