#pragma once

#include "app/chip_programming.h"

class QWidget;

namespace app {

class ProgressWindow;

/// A long avrdude step's progress in a ProgressWindow over the window, which
/// it keeps from input meanwhile; its "Abbrechen" triggers the step's
/// Cancellation.
class WindowProgress : public ProgressView {
public:
    /// The progress window is a child of `parent`, deleted with it.
    WindowProgress(const QString &title, QWidget *parent);

    void Begin(platform::Cancellation &cancellation) override;
    void Show(const QString &stage, int percent) override;
    void End() override;

private:
    ProgressWindow *m_window;
    platform::Cancellation *m_cancellation = nullptr;
};

} // namespace app
