#include "app/widgets/programmer_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace app {

namespace {

// The programmers a servo builder most likely has; any other id of avrdude
// can be typed.
const QStringList kProgrammers{QStringLiteral("usbasp"),   QStringLiteral("usbtiny"),
                               QStringLiteral("avrisp2"),  QStringLiteral("stk500v1"),
                               QStringLiteral("stk500v2"), QStringLiteral("arduino")};

// The spin box's value below 0 stands for "no address".
constexpr int kNoAddress = -1;

} // namespace

ProgrammerDialog::ProgrammerDialog(const generator::ProgrammingSettings &settings,
                                   const QString &defaultAvrdudePath,
                                   std::function<QString(const QString &)> chooseAvrdude,
                                   QWidget *parent)
    : QDialog(parent), m_chooseAvrdude(std::move(chooseAvrdude))
{
    setObjectName(QStringLiteral("ProgrammerDialog"));
    setWindowTitle(QStringLiteral("Programmer für avrdude"));
    // The window's font, which a window of its own does not inherit by itself.
    setAttribute(Qt::WA_WindowPropagation);

    m_avrdude = new QLineEdit(settings.avrdudePath, this);
    m_avrdude->setObjectName(QStringLiteral("Avrdude"));
    m_avrdude->setPlaceholderText(defaultAvrdudePath);
    m_avrdude->setMinimumWidth(260);
    auto *choose = new QPushButton(QStringLiteral("Suchen..."), this);
    choose->setObjectName(QStringLiteral("ChooseAvrdude"));
    choose->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, &ProgrammerDialog::ChooseAvrdude);
    auto *avrdudeRow = new QHBoxLayout;
    avrdudeRow->addWidget(m_avrdude, 1);
    avrdudeRow->addWidget(choose);

    m_programmer = new QComboBox(this);
    m_programmer->setObjectName(QStringLiteral("Programmer"));
    m_programmer->setEditable(true);
    m_programmer->setInsertPolicy(QComboBox::NoInsert);
    m_programmer->addItems(kProgrammers);
    m_programmer->setEditText(settings.programmer);

    m_port = new QLineEdit(settings.port, this);
    m_port->setObjectName(QStringLiteral("Port"));
    m_port->setPlaceholderText(QStringLiteral("Voreinstellung von avrdude"));

    m_baud = new QLineEdit(settings.baudRate ? QString::number(*settings.baudRate) : QString(),
                           this);
    m_baud->setObjectName(QStringLiteral("Baud"));
    m_baud->setPlaceholderText(QStringLiteral("Voreinstellung des Programmers"));
    m_baud->setValidator(new QIntValidator(1, 99999999, m_baud));

    m_calibration = new QSpinBox(this);
    m_calibration->setObjectName(QStringLiteral("CalibrationAddress"));
    m_calibration->setRange(kNoAddress, generator::kEepromSize - 1);
    m_calibration->setSpecialValueText(QStringLiteral("keine"));
    m_calibration->setValue(settings.calibrationAddress.value_or(kNoAddress));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("avrdude-Programm:"), avrdudeRow);
    form->addRow(QStringLiteral("Programmer (-c):"), m_programmer);
    form->addRow(QStringLiteral("Anschluss (-P):"), m_port);
    form->addRow(QStringLiteral("Baudrate (-b):"), m_baud);
    form->addRow(QStringLiteral("Kalibrierbyte ins EEPROM an Adresse:"), m_calibration);

    auto *note = new QLabel(QStringLiteral("Anschluss zum Beispiel usb, /dev/ttyUSB0 oder COM3. "
                                           "Die Firmware 'servo00.asm' lädt das Kalibrierbyte "
                                           "aus Adresse 0."),
                            this);
    note->setWordWrap(true);

    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("Refusal"));
    m_refusal->setWordWrap(true);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // German whether or not Qt's translations are installed.
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(m_refusal);
    layout->addWidget(m_buttons);

    connect(m_programmer, &QComboBox::editTextChanged, this, &ProgrammerDialog::CheckSettings);
    connect(m_port, &QLineEdit::textChanged, this, &ProgrammerDialog::CheckSettings);
    CheckSettings();
}

generator::ProgrammingSettings ProgrammerDialog::Settings() const
{
    generator::ProgrammingSettings settings;
    settings.avrdudePath = m_avrdude->text().trimmed();
    settings.programmer = m_programmer->currentText().trimmed();
    settings.port = m_port->text().trimmed();
    bool isNumber = false;
    const int baud = m_baud->text().trimmed().toInt(&isNumber);
    if (isNumber)
        settings.baudRate = baud;
    if (m_calibration->value() != kNoAddress)
        settings.calibrationAddress = m_calibration->value();
    else
        settings.calibrationAddress.reset();
    return settings;
}

void ProgrammerDialog::ChooseAvrdude()
{
    if (!m_chooseAvrdude)
        return;
    const QString shown = m_avrdude->text().trimmed();
    const QString chosen = m_chooseAvrdude(shown.isEmpty() ? m_avrdude->placeholderText() : shown);
    if (!chosen.isEmpty())
        m_avrdude->setText(chosen);
}

// The baud rate and the address cannot be out of range here (validator and
// spin box); the programmer and the port are checked as the core checks them.
void ProgrammerDialog::CheckSettings()
{
    const QString refusal = generator::SettingsRefusal(Settings());
    m_refusal->setText(refusal);
    m_refusal->setVisible(!refusal.isEmpty());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(refusal.isEmpty());
}

} // namespace app
