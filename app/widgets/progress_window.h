#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace app {

/// Shows how far a long step has come (its stage in words and a bar 0..100)
/// with a button "Abbrechen". It does not block: the caller shows it,
/// updates it from the event loop and hides it. Escape and the window's
/// close button ask to cancel like the button; the window stays until the
/// caller hides it, saying meanwhile that the step is being cancelled.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(const QString &title, QWidget *parent = nullptr);

    /// Back to the start: no stage, an empty bar, the button enabled.
    void Restart();
    /// After a cancel only the bar follows; the stage stays "Wird
    /// abgebrochen..." until Restart.
    void SetStage(const QString &stage, int percent);

signals:
    void cancelRequested();

public slots:
    void reject() override;

private:
    QLabel *m_stage;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
};

} // namespace app
