#include "app/window_progress.h"

#include "app/widgets/progress_window.h"

namespace app {

WindowProgress::WindowProgress(const QString &title, QWidget *parent)
    : m_window(new ProgressWindow(title, parent))
{
    QObject::connect(m_window, &ProgressWindow::cancelRequested, m_window, [this] {
        if (m_cancellation)
            m_cancellation->Cancel();
    });
}

void WindowProgress::Begin(platform::Cancellation &cancellation)
{
    m_cancellation = &cancellation;
    m_window->Restart();
    m_window->SetStage(generator::StageText(generator::ProgrammingStage::ReadingChip), 0);
    m_window->show();
}

void WindowProgress::Show(const QString &stage, int percent)
{
    m_window->SetStage(stage, percent);
}

void WindowProgress::End()
{
    m_cancellation = nullptr;
    m_window->hide();
}

} // namespace app
