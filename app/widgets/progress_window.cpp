#include "app/widgets/progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

ProgressWindow::ProgressWindow(const QString &title, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(title);
    // Over the window, which it keeps from input while it is shown.
    setWindowModality(Qt::WindowModal);
    // The window's font, which a window of its own does not inherit by itself.
    setAttribute(Qt::WA_WindowPropagation);

    m_stage = new QLabel(this);
    m_stage->setObjectName(QStringLiteral("Stage"));
    m_stage->setMinimumWidth(300);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("Bar"));
    m_bar->setRange(0, 100);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    connect(m_cancel, &QPushButton::clicked, this, &ProgressWindow::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_stage);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    Restart();
}

void ProgressWindow::Restart()
{
    m_stage->clear();
    m_bar->setValue(0);
    m_cancel->setEnabled(true);
}

void ProgressWindow::SetStage(const QString &stage, int percent)
{
    // Once cancelled, the step's later stages do not hide that it is ending.
    if (m_cancel->isEnabled())
        m_stage->setText(stage);
    m_bar->setValue(percent);
}

// Escape, the close button and "Abbrechen" come here; only the caller hides
// the window, once the step has really ended.
void ProgressWindow::reject()
{
    if (!m_cancel->isEnabled())
        return;
    m_cancel->setEnabled(false);
    m_stage->setText(QStringLiteral("Wird abgebrochen..."));
    emit cancelRequested();
}

} // namespace app
