#include "app/form1.h"

#include "app/design.h"
#include "app/info_page_wait.h"
#include "app/info_text.h"
#include "app/programming_controller.h"
#include "app/teach_in_chip.h"
#include "app/teach_in_controller.h"
#include "app/widgets/delete_asm_box.h"
#include "app/widgets/shape_widget.h"
#include "app/widgets/tab_control.h"
#include "app/widgets/text_wrapping.h"
#include "app/widgets/wrapping_button.h"
#include "platform/widgets/desktop_interaction.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <iterator>
#include <cmath>

namespace app {

namespace {

using design::kPageCount;

// The families of `families` that this system has, in their order; all of
// them when it has none. A family the font database lacks, asked for first
// ("MS Sans Serif" outside Windows), sends it through fontconfig's fallback
// search for every font made from it, a good part of the window's start,
// only to settle on the next family of the list in the end.
QStringList InstalledFamilies(const QStringList &families)
{
    static const QStringList installed = QFontDatabase::families();
    QStringList present;
    std::copy_if(families.cbegin(), families.cend(), std::back_inserter(present),
                 [](const QString &family) {
                     return installed.contains(family, Qt::CaseInsensitive);
                 });
    return present.isEmpty() ? families : present;
}

QFont MakeFont(const QStringList &families, QFont::StyleHint hint, double points, bool bold)
{
    QFont font;
    font.setFamilies(InstalledFamilies(families));
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

const QStringList kSansFamilies{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("DejaVu Sans")};

QFont DialogFont()
{
    return MakeFont(kSansFamilies, QFont::SansSerif, 8, false);
}

QFont ParameterFont()
{
    return MakeFont({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                     QStringLiteral("DejaVu Sans")},
                    QFont::SansSerif, 12, true);
}

// The path and listing font has to stay fixed-pitch whatever face stands in
// for the missing one.
QFont PathFont()
{
    QFont font = MakeFont({QStringLiteral("Fixedsys"), QStringLiteral("Liberation Mono"),
                           QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")},
                          QFont::TypeWriter, 9, false);
    font.setFixedPitch(true);
    return font;
}

QFont HintFont()
{
    return MakeFont(kSansFamilies, QFont::SansSerif, 9.75, true);
}

// A compiled-in PNG, read by the PNG handler by name: a reader left to find
// the format itself first asks every image plugin (GIF, ICO, JPEG) whether it
// knows the file, and so loads them all and libjpeg at start.
QPixmap ReadPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The window's icon in 16 x 16 and 32 x 32 pixels.
QIcon WindowIcon()
{
    QIcon icon;
    icon.addPixmap(ReadPng(QStringLiteral(":/pulsakor/icon16.png")));
    icon.addPixmap(ReadPng(QStringLiteral(":/pulsakor/icon32.png")));
    return icon;
}

QLabel *MakeLabel(QWidget *parent, const QString &name, const QString &text, bool border,
                  Qt::Alignment alignment)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(alignment);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    if (border)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QString ToQtLineEnds(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString ToCrLf(QString text)
{
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace

Form1::Form1(platform::UserInteraction *user, QWidget *parent) : QWidget(parent)
{
    if (user) {
        m_user = user;
    } else {
        m_ownUser = std::make_unique<platform::DesktopInteraction>(this);
        m_user = m_ownUser.get();
    }

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(design::kCaption);
    setWindowIcon(WindowIcon());
    setFont(DialogFont());

    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && screen->logicalDotsPerInchY() > 0)
        m_twipsPerPixel = 1440.0 / screen->logicalDotsPerInchY();

    m_ssTab1 = new TabControl(this);
    m_ssTab1->setObjectName(QStringLiteral("SSTab1"));
    for (const QString &caption : design::kTabCaptions)
        m_ssTab1->tabBar()->addTab(caption);
    m_ssTab1->tabBar()->setCurrentIndex(TemplatePage);
    Place(m_ssTab1, design::kSSTab1);

    m_hlpt = MakeLabel(this, QStringLiteral("hlpt"), design::kHlptText, false,
                       Qt::AlignHCenter | Qt::AlignTop);
    m_hlpt->setFont(HintFont());
    Place(m_hlpt, design::kHlpt);

    m_command1 = new QPushButton(design::kCommand1Caption, this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setAutoDefault(false);
    Place(m_command1, design::kCommand1);
    m_command1->raise();
    connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    // "Ende" is the window's cancel button: Escape presses it, Enter never.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::Command1_Click);

    for (int i = 0; i < kPageCount; ++i) {
        m_frame1[i] = new QWidget(m_ssTab1);
        m_frame1[i]->setObjectName(QStringLiteral("Frame1_%1").arg(i));
        m_frame1[i]->setAutoFillBackground(true);
        Place(m_frame1[i], design::kFrame1[i]);
        m_frame1[i]->setVisible(i == TemplatePage);
    }

    BuildParameterPage();
    BuildTemplatePage();
    BuildProgrammingControls();
    BuildInfoPage();
    SetTabOrder();

    WatchHint(m_ssTab1, TabHint);
    WatchHint(m_ssTab1->tabBar(), TabHint);
    WatchHint(m_hlpt, HintBarHint);
    WatchHint(m_command1, EndHint);
    for (int i = 0; i < kPageCount; ++i)
        WatchHint(m_frame1[i], FrameHint);

    connect(m_ssTab1->tabBar(), &QTabBar::currentChanged, this, [this](int) {
        const int previous = m_currentPage;
        m_currentPage = CurrentPage();
        SSTab1_Click(previous);
    });

    const QSize client(qRound(design::kClientWidth / m_twipsPerPixel),
                       qRound(design::kClientHeight / m_twipsPerPixel));
    resize(client);
}

Form1::~Form1() = default;

void Form1::BuildParameterPage()
{
    QWidget *frame = m_frame1[ParameterPage];
    const QFont parameterFont = ParameterFont();
    for (int i = 0; i < 6; ++i) {
        m_label1[i] = MakeLabel(frame, QStringLiteral("Label1_%1").arg(i),
                                design::kLabel1Captions[i], true, Qt::AlignHCenter | Qt::AlignTop);
        m_label1[i]->setFont(parameterFont);
        Place(m_label1[i], design::kLabel1[i]);
        WatchHint(m_label1[i], Label1HintIndex(i));

        m_label2[i] = MakeLabel(frame, QStringLiteral("Label2_%1").arg(i), design::kLabel2Texts[i],
                                false, Qt::AlignLeft | Qt::AlignTop);
        m_label2[i]->setFont(parameterFont);
        m_label2[i]->setWordWrap(false);
        Place(m_label2[i], design::Label2(i));
        // No mouse-move procedure: the bar stays as it is, and the move must
        // not reach the caption box or the frame behind.
        m_label2[i]->setAttribute(Qt::WA_NoMousePropagation);

        m_text1[i] = new QLineEdit(design::kText1Texts[i], frame);
        m_text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        m_text1[i]->setFont(parameterFont);
        m_text1[i]->setAlignment(Qt::AlignCenter);
        Place(m_text1[i], design::Text1(i));
        // The filter also sees the field's focus-in for Text1_GotFocus.
        WatchHint(m_text1[i], Text1HintIndex(i));
    }

    // Overlap from front to back: Label2(5), Shape3, Shape2, Shape1, then
    // each unit label before its caption box from row 4 down to 0, and
    // Label1(5) at the back; the fields lie above all of them.
    const std::array<int, 6> backToFront{5, 0, 1, 2, 3, 4};
    for (int i : backToFront) {
        m_label1[i]->raise();
        if (i != 5)
            m_label2[i]->raise();
    }
    const std::array<std::pair<const char *, TwipRect>, 3> shapes{
        {{"Shape1", design::kShape1}, {"Shape2", design::kShape2}, {"Shape3", design::kShape3}}};
    for (const auto &[name, rect] : shapes) {
        auto *shape = new ShapeWidget(frame, QString::fromLatin1(name));
        Place(shape, rect);
        shape->UpdateMask();
        shape->setAttribute(Qt::WA_NoMousePropagation);
        shape->raise();
    }
    m_label2[5]->raise();
    for (QLineEdit *field : m_text1)
        field->raise();
}

void Form1::BuildTemplatePage()
{
    QWidget *frame = m_frame1[TemplatePage];
    m_label4 = MakeLabel(frame, QStringLiteral("Label4"), design::kLabel4Caption, false,
                         Qt::AlignLeft | Qt::AlignTop);
    Place(m_label4, design::kLabel4);
    m_label4->setAttribute(Qt::WA_NoMousePropagation);

    m_label3 = MakeLabel(frame, QStringLiteral("Label3"), m_templatePath, true,
                         Qt::AlignHCenter | Qt::AlignTop);
    m_label3->setFont(PathFont());
    Place(m_label3, design::kLabel3);
    WatchHint(m_label3, TemplateHint);

    m_label5 = MakeLabel(frame, QStringLiteral("Label5"), m_assemblerPath, true,
                         Qt::AlignHCenter | Qt::AlignTop);
    m_label5->setFont(PathFont());
    Place(m_label5, design::kLabel5);
    WatchHint(m_label5, AssemblerHint);

    m_check1 = new DeleteAsmBox(design::kCheck1Caption, frame);
    m_check1->setObjectName(QStringLiteral("Check1"));
    Place(m_check1, design::kCheck1);
    WatchHint(m_check1, DeleteAsmHint);

    m_command2 = new WrappingButton(design::kCommand2Caption, frame);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setAutoDefault(false);
    Place(m_command2, design::kCommand2);
    WatchHint(m_command2, GenerateHint);
    // The run hands control to the event loop while the assembler works. What
    // stays live then cannot touch the run: Command2 is disabled, so no second
    // run starts, and Command3 with it, so no programming waits inside the
    // run's wait; the fields, the pickers and the pages change the window,
    // which the run no longer reads (it took its inputs at the click) except
    // Check1 after the wait and the programming's choices once the run is
    // complete; "Ende" and closing make IsClosing() true, and the run returns
    // without touching the window again.
    connect(m_command2, &QPushButton::clicked, this,
            [this] { m_programming->AfterRun(Command2_Click(*this, *m_user)); });
}

void Form1::BuildProgrammingControls()
{
    m_programming = std::make_unique<ProgrammingController>(*this, *m_user, this);
    m_command3 =
        AddButton(design::kCommand3Caption, "Command3", design::kCommand3, ProgramChipHint);
    connect(m_command3, &QPushButton::clicked, this,
            [this] { m_programming->ProgramChosenFile(); });
    m_command4 = AddButton(design::kCommand4Caption, "Command4", design::kCommand4, ProgrammerHint);
    connect(m_command4, &QPushButton::clicked, this, [this] { m_programming->EditProgrammer(); });

    m_teachInChip = AvrdudeTeachInChip();
    m_teachIn = std::make_unique<TeachInController>(*this, *m_user, *m_teachInChip, this);
    m_command5 = AddButton(design::kCommand5Caption, "Command5", design::kCommand5, TeachInHint);
    connect(m_command5, &QPushButton::clicked, this, [this] { m_teachIn->Open(); });

    m_check2 = new QCheckBox(design::kCheck2Caption, m_frame1[TemplatePage]);
    m_check2->setObjectName(QStringLiteral("Check2"));
    Place(m_check2, design::kCheck2);
    WatchHint(m_check2, ProgramAfterRunHint);
    // Only the user's click: SetProgramming sets the box without saving.
    connect(m_check2, &QCheckBox::clicked, this,
            [this](bool ticked) { m_programming->SetAfterEachRun(ticked); });
}

QPushButton *Form1::AddButton(const QString &caption, const char *name, const TwipRect &twips,
                              std::int16_t hint)
{
    auto *button = new QPushButton(caption, m_frame1[TemplatePage]);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    Place(button, twips);
    WatchHint(button, hint);
    return button;
}

void Form1::BuildInfoPage()
{
    m_text2 = new QPlainTextEdit(m_frame1[InfoPage]);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setFont(PathFont());
    m_text2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text2->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text2->setTabChangesFocus(true);
    Place(m_text2, design::kText2);
    WatchHint(m_text2, ListingHint);
    WatchHint(m_text2->viewport(), ListingHint);
    WatchHint(m_text2->verticalScrollBar(), ListingHint);
    connect(m_text2, &QPlainTextEdit::textChanged, this, [this] { m_listingUnchanged = false; });
}

void Form1::SetTabOrder()
{
    // The programming's controls come after the described ones, in reading
    // order, and the teach-in's after them.
    const std::array<QWidget *, 15> order{
        m_ssTab1->tabBar(), m_command1, m_text1[0], m_text1[1], m_text1[2],
        m_text1[3],         m_text1[4], m_text2,    m_command2, m_text1[5],
        m_check1,           m_check2,   m_command4, m_command3, m_command5};
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void Form1::Place(QWidget *control, const TwipRect &twips)
{
    m_twips.insert(control, twips);
    const auto px = [this](float value) { return int(std::lround(value / m_twipsPerPixel)); };
    control->setGeometry(px(twips.left), px(twips.top), px(twips.width), px(twips.height));
}

TwipRect Form1::Twips(const QWidget *control) const
{
    return m_twips.value(control);
}

void Form1::WatchHint(QWidget *control, std::int16_t index)
{
    m_hintOf.insert(control, index);
    control->setMouseTracking(true);
    // The control answers the move itself; it must not travel on to the
    // frame or tab control behind it, which would show their hint instead.
    control->setAttribute(Qt::WA_NoMousePropagation);
    control->installEventFilter(this);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto hint = m_hintOf.constFind(watched);
        if (hint != m_hintOf.constEnd())
            ShowHint(*hint);
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const bool inside = mouse->button() == Qt::LeftButton
                            && static_cast<QWidget *>(watched)->rect().contains(
                                mouse->position().toPoint());
        if (inside && watched == m_label3)
            Label3_Click(*this, *m_user);
        else if (inside && watched == m_label5)
            Label5_Click(*this, *m_user);
        break;
    }
    case QEvent::FocusIn:
        for (int i = 0; i < 6; ++i) {
            if (watched == m_text1[i])
                Text1_GotFocus(i);
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::ShowHint(std::int16_t index)
{
    if (index < 0 || index >= std::int16_t(m_hintTexts.size()))
        return;
    if (index == m_lastHintIndex)
        return;
    m_lastHintIndex = index;
    m_hlpt->setText(m_hintTexts[index]);
}

void Form1::SSTab1_Click(int)
{
    const int page = CurrentPage();
    for (int i = 0; i < kPageCount; ++i)
        m_frame1[i]->setVisible(i == page);
    if (m_infoPageWait)
        m_infoPageWait->PageChanged(page);
}

void Form1::Text1_GotFocus(int index)
{
    if (index < 0 || index >= 6)
        return;
    QLineEdit *field = m_text1[index];
    field->setSelection(0, int(field->text().size()));
    // A mouse click places the cursor after the focus arrived; selecting
    // once more when the click is through keeps the whole text selected.
    QTimer::singleShot(0, field, [field] {
        if (field->hasFocus())
            field->setSelection(0, int(field->text().size()));
    });
}

void Form1::Form_Load(const StartEnvironment &environment)
{
    SetCurrentPage(TemplatePage);
    m_hintTexts = BuildHintTexts();
    m_infoText = BuildInfoText();
    SetListingText(m_infoText);
    LoadStartValues(*this, environment);
}

void Form1::SetActivateOnShow(bool activate)
{
    m_activateOnShow = activate;
}

void Form1::Form_Activate()
{
    if (m_closing)
        return;
    if (m_infoPageWait)
        return;
    // A child of the window: its timer dies with the window.
    m_infoPageWait = new InfoPageWait(*this, *m_user, std::chrono::seconds(10), this);
    m_infoPageWait->Start();
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_activateOnShow && !m_activated) {
        m_activated = true;
        // After the first paint, like an activation that follows the show.
        QTimer::singleShot(0, this, &Form1::Form_Activate);
    }
}

float Form1::TabRowHeight() const
{
    return float(m_ssTab1->RowHeight() * m_twipsPerPixel);
}

QMargins Form1::FrameMargins() const
{
    const QWindow *window = windowHandle();
    return window ? window->frameMargins() : QMargins();
}

QSizeF Form1::OuterSize() const
{
    const QSizeF client = QSizeF(size()) * m_twipsPerPixel;
    const QMargins frame = FrameMargins();
    const QSizeF reported(frame.left() + frame.right(), frame.top() + frame.bottom());
    if (reported.width() > 0 && reported.height() > 0)
        return client + reported * m_twipsPerPixel;
    return client + QSizeF(design::kAssumedFrameWidth, design::kAssumedFrameHeight);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

bool Form1::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::WindowActivate:
    case QEvent::WindowStateChange:
        // The window system tells the real frame only some time after the
        // first show, without a change of size; one of these events follows.
        // Laying out again then gives every size exactly one layout.
        if (OuterSize() != m_laidOutFor)
            Form_Resize();
        break;
    default:
        break;
    }
    return handled;
}

void Form1::Form_Resize()
{
    const ResizeGeometry current{Twips(m_ssTab1),
                                 Twips(m_hlpt),
                                 Twips(m_command1),
                                 {Twips(m_frame1[0]), Twips(m_frame1[1]), Twips(m_frame1[2])},
                                 Twips(m_text2),
                                 Twips(m_label3),
                                 Twips(m_label5),
                                 Twips(m_command2),
                                 Twips(m_command3)};
    const QSizeF outer = OuterSize();
    m_laidOutFor = outer;
    const ResizeGeometry next =
        ResizedGeometry(float(outer.width()), float(outer.height()), TabRowHeight(), current);

    const auto apply = [this](QWidget *control, const TwipRect &was, const TwipRect &now) {
        if (!(now == was))
            Place(control, now);
    };
    apply(m_ssTab1, current.ssTab1, next.ssTab1);
    apply(m_hlpt, current.hlpt, next.hlpt);
    apply(m_command1, current.command1, next.command1);
    for (int i = 0; i < kPageCount; ++i)
        apply(m_frame1[i], current.frame1[i], next.frame1[i]);
    apply(m_text2, current.text2, next.text2);
    apply(m_label3, current.label3, next.label3);
    apply(m_label5, current.label5, next.label5);
    apply(m_command2, current.command2, next.command2);
    apply(m_command3, current.command3, next.command3);

    // "Ende" lies in front of the right end of the tab row; the tabs stop a
    // little before it.
    m_ssTab1->SetCoveredRight(m_ssTab1->geometry().right() + 1 - m_command1->geometry().left()
                              + design::kGapBeforeEndePixels);
}

void Form1::Command1_Click()
{
    EndProgram();
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    EndProgram();
}

// Both ways out end at once and save nothing. A wait that hands control to
// the event loop sees IsClosing() and returns without touching the window.
void Form1::EndProgram()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_infoPageWait)
        m_infoPageWait->Stop();
    hide();
    QCoreApplication::exit(0);
}

bool Form1::IsClosing() const
{
    return m_closing;
}

QString Form1::ParameterText(int index) const
{
    if (index < 0 || index >= 6)
        return {};
    return m_text1[index]->text();
}

void Form1::SetParameterText(int index, const QString &text)
{
    if (index < 0 || index >= 6)
        return;
    m_text1[index]->setText(text);
}

QString Form1::TemplatePath() const
{
    return m_templatePath;
}

void Form1::SetTemplatePath(const QString &path)
{
    m_templatePath = path;
    m_label3->setText(WrappablePath(path));
}

QString Form1::AssemblerPath() const
{
    return m_assemblerPath;
}

void Form1::SetAssemblerPath(const QString &path)
{
    m_assemblerPath = path;
    m_label5->setText(WrappablePath(path));
}

int Form1::DeleteAsmValue() const
{
    switch (m_check1->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void Form1::SetDeleteAsmValue(int value)
{
    // Only 0, 1 and 2 exist; anything else leaves the box as it is.
    switch (value) {
    case 0:
        m_check1->setCheckState(Qt::Unchecked);
        break;
    case 1:
        m_check1->setCheckState(Qt::Checked);
        break;
    case 2:
        m_check1->setCheckState(Qt::PartiallyChecked);
        break;
    default:
        break;
    }
}

int Form1::CurrentPage() const
{
    return m_ssTab1->tabBar()->currentIndex();
}

void Form1::SetCurrentPage(int page)
{
    if (page < 0 || page >= kPageCount)
        return;
    m_ssTab1->tabBar()->setCurrentIndex(page);
}

QString Form1::ListingText() const
{
    if (m_listingUnchanged)
        return m_listingText;
    return ToCrLf(m_text2->toPlainText());
}

void Form1::SetListingText(const QString &text)
{
    m_text2->setPlainText(ToQtLineEnds(text));
    m_listingText = text;
    m_listingUnchanged = true;
}

void Form1::FocusListing()
{
    m_text2->setFocus(Qt::OtherFocusReason);
}

void Form1::SetGenerateEnabled(bool enabled)
{
    m_command2->setEnabled(enabled);
    m_command3->setEnabled(enabled);
    m_command5->setEnabled(enabled);
}

void Form1::SetProgramming(const generator::ProgrammingChoices &choices)
{
    WindowModel::SetProgramming(choices);
    m_check2->setChecked(choices.afterEachRun);
}

} // namespace app
