#include "app/widgets/teach_in_dialog.h"

#include "generator/servo_parameters.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

namespace {

QLabel *StepText(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel *Answer(const QString &name, QWidget *parent)
{
    auto *label = StepText(QString(), parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->hide();
    return label;
}

QPushButton *StepButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// Shown with Qt's line ends.
QString Shown(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TeachInDialog::TeachInDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TeachInDialog"));
    setWindowTitle(QStringLiteral("Endlagen einlernen"));
    // The window's font, which a window of its own does not inherit by itself.
    setAttribute(Qt::WA_WindowPropagation);
    setMinimumWidth(460);

    auto *program = StepButton(QStringLiteral("Einlern-Firmware programmieren"),
                               QStringLiteral("ProgramTeachIn"), this);
    auto *read =
        StepButton(QStringLiteral("Endlagen auslesen"), QStringLiteral("ReadEndStops"), this);
    m_programmed = Answer(QStringLiteral("Programmed"), this);
    m_endStops = Answer(QStringLiteral("EndStops"), this);
    connect(program, &QPushButton::clicked, this, &TeachInDialog::programRequested);
    connect(read, &QPushButton::clicked, this, &TeachInDialog::readRequested);

    auto *buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("Übernehmen"), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("Apply"));
    m_apply->setEnabled(false);
    buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("Close"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(StepText(
        QStringLiteral("1. Das Servo wie zum Programmieren an den Programmer anschließen und die "
                       "Einlern-Firmware in den Chip schreiben (Einstellungen unter "
                       "'Programmer...'). Sie ersetzt die Firmware im Chip."),
        this));
    layout->addWidget(program, 0, Qt::AlignLeft);
    layout->addWidget(m_programmed);
    layout->addWidget(StepText(
        QStringLiteral("2. Das Servo von Hand oder mit dem Sender langsam in die eine Endlage "
                       "fahren, dann in die andere und wieder zurück. Der Chip merkt sich, was "
                       "der Potischleifer dort misst. Das Servo darf dazwischen vom Programmer "
                       "getrennt werden; ohne Impulse vom Empfänger bleibt der Motor aus."),
        this));
    const auto captions = generator::ParameterCaptions();
    layout->addWidget(StepText(
        QStringLiteral("3. Das Servo wieder an den Programmer anschließen und die Endlagen "
                       "auslesen. Die Spannungen gelten für die Spannung im Feld '%1'.")
            .arg(captions[generator::SupplyVoltageField]),
        this));
    layout->addWidget(read, 0, Qt::AlignLeft);
    layout->addWidget(m_endStops);
    layout->addWidget(StepText(
        QStringLiteral("4. 'Übernehmen' schreibt die beiden Spannungen in "
                       "die Felder '%1' und '%2'.")
            .arg(captions[generator::EndVoltage1Field], captions[generator::EndVoltage2Field]),
        this));
    layout->addWidget(buttons);
}

void TeachInDialog::ShowProgrammed(const QString &text)
{
    m_programmed->setText(Shown(text));
    m_programmed->show();
}

void TeachInDialog::ShowEndStops(const QString &text, bool usable)
{
    m_endStops->setText(Shown(text));
    m_endStops->show();
    m_apply->setEnabled(usable);
}

} // namespace app
