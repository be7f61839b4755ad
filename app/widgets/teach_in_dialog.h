#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

/// "Endlagen einlernen": leads through the four steps of the teach-in. Its
/// buttons only ask; the teach-in controller programs, reads and answers
/// with the texts shown under each step. "Übernehmen" accepts the dialog
/// and is enabled only while end stops read from the chip are shown.
class TeachInDialog : public QDialog {
    Q_OBJECT
public:
    explicit TeachInDialog(QWidget *parent = nullptr);

    /// What programming the teach-in firmware ended with.
    void ShowProgrammed(const QString &text);
    /// What reading the end stops found; `usable` enables "Übernehmen".
    void ShowEndStops(const QString &text, bool usable);

signals:
    void programRequested();
    void readRequested();

private:
    QLabel *m_programmed;
    QLabel *m_endStops;
    QPushButton *m_apply;
};

} // namespace app
