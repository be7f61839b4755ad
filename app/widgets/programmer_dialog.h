#pragma once

#include "generator/avrdude_command.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace app {

/// The programmer's settings for avrdude, opened by "Programmer...": the
/// avrdude program (empty: the platform's, shown greyed), the programmer
/// (-c) from a list or typed, the port (-P), the baud rate (-b) and the
/// calibration byte's EEPROM address 0..63 or "keine". OK stays disabled
/// while the settings cannot be used, and the reason stands above it.
class ProgrammerDialog : public QDialog {
    Q_OBJECT
public:
    /// `chooseAvrdude` gets the path shown and answers the one picked, or
    /// an empty text for cancel.
    ProgrammerDialog(const generator::ProgrammingSettings &settings,
                     const QString &defaultAvrdudePath,
                     std::function<QString(const QString &)> chooseAvrdude,
                     QWidget *parent = nullptr);

    /// The settings as the dialog shows them; avrdudePath empty for the
    /// platform's avrdude.
    generator::ProgrammingSettings Settings() const;

private:
    void ChooseAvrdude();
    void CheckSettings();

    std::function<QString(const QString &)> m_chooseAvrdude;
    QLineEdit *m_avrdude;
    QComboBox *m_programmer;
    QLineEdit *m_port;
    QLineEdit *m_baud;
    QSpinBox *m_calibration;
    QLabel *m_refusal;
    QDialogButtonBox *m_buttons;
};

} // namespace app
