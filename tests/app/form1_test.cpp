#include "app/design.h"
#include "app/form1.h"
#include "app/info_page_wait.h"

#include "tests/support/fake_user_interaction.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QToolButton>
#include <QtTest>

#include <memory>

using app::Form1;

Q_DECLARE_METATYPE(app::TwipRect)

namespace {

const QString kTitleHint = QStringLiteral("Kalmorius' Hilfe...");

// A window whose frame the test reports in place of a window system: none
// at first, as before a window manager has framed the window.
class FramedForm : public Form1 {
public:
    using Form1::Form1;
    QMargins frame;

protected:
    QMargins FrameMargins() const override { return frame; }
};

// The controls that the layout places, by name.
const QStringList kLaidOut{"SSTab1", "hlpt",   "Command1", "Frame1_0", "Frame1_1", "Frame1_2",
                           "Text2",  "Label3", "Label5",   "Command2", "Command3"};

// The geometry of each control in kLaidOut by name; a missing one is left out.
QHash<QString, QRect> LaidOutGeometry(const QWidget &form)
{
    QHash<QString, QRect> geometry;
    for (const QString &name : kLaidOut) {
        if (const QWidget *control = form.findChild<QWidget *>(name))
            geometry.insert(name, control->geometry());
    }
    return geometry;
}

// The lines in which `label` shows its text, broken as the label breaks them.
QStringList ShownLines(const QLabel &label)
{
    QStringList lines;
    for (const QString &paragraph : label.text().split(QLatin1Char('\n'))) {
        if (!label.wordWrap()) {
            lines.append(paragraph);
            continue;
        }
        QTextLayout layout(paragraph, label.font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label.contentsRect().width());
            lines.append(paragraph.mid(line.textStart(), line.textLength()).trimmed());
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fieldsStartWithTheDesignTexts_data();
    void fieldsStartWithTheDesignTexts();
    void loadSelectsTemplatePageAndShowsInfoText();
    void windowIconHasBothSizesOfItsPictures_data();
    void windowIconHasBothSizesOfItsPictures();
    void controlsStartAtTheirDesignPlaces_data();
    void controlsStartAtTheirDesignPlaces();
    void unitLabelsAndFieldsLieInFront_data();
    void unitLabelsAndFieldsLieInFront();
    void rectanglesEncloseTheirRowWithMargin_data();
    void rectanglesEncloseTheirRowWithMargin();
    void tabWalksThePageInOrder_data();
    void tabWalksThePageInOrder();
    void programmingControlsFitBesideTheDescribedOnes_data();
    void programmingControlsFitBesideTheDescribedOnes();
    void hintBarFollowsTheMouse_data();
    void hintBarFollowsTheMouse();
    void sameHintIndexLeavesTheBarAlone();
    void pageChangeShowsOnlyItsFrame_data();
    void pageChangeShowsOnlyItsFrame();
    void fieldSelectsWholeTextOnEntry_data();
    void fieldSelectsWholeTextOnEntry();
    void checkBoxClickCycles_data();
    void checkBoxClickCycles();
    void listingTextComesBackExactly_data();
    void listingTextComesBackExactly();
    void editedListingComesBackWithCrLf();
    void resizeMovesOnlyTheLayoutControls();
    void escapeEndsButEnterDoesNot_data();
    void escapeEndsButEnterDoesNot();
    void closingTheWindowEnds();
    void longPathsComeBackExactlyAndWrap_data();
    void longPathsComeBackExactlyAndWrap();
    void clicksReachTheirProcedures_data();
    void clicksReachTheirProcedures();
    void activationShowsInfoPageUntilUserTurns();
    void layoutFollowsTheReportedFrame_data();
    void layoutFollowsTheReportedFrame();
    void everyTabIsReachableByMouse_data();
    void everyTabIsReachableByMouse();
    void generateCaptionWrapsBetweenWords_data();
    void generateCaptionWrapsBetweenWords();

private:
    void ShowWindow();
    template <typename T = QWidget> T *Control(const QString &name) const
    {
        T *control = m_form->findChild<T *>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QLabel *Hint() const { return Control<QLabel>(QStringLiteral("hlpt")); }
    void MoveOver(const QString &target);

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<platform::FakeUserInteraction> m_user;
    std::unique_ptr<Form1> m_form;
};

void Form1Test::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_user = std::make_unique<platform::FakeUserInteraction>();
    m_form = std::make_unique<Form1>(m_user.get());
    m_form->SetActivateOnShow(false);
    const QString folder = QDir::toNativeSeparators(m_folder->path());
    m_form->Form_Load({folder + QDir::separator(), folder,
                       folder + QDir::separator() + QStringLiteral("no-assembler")});
}

void Form1Test::cleanup()
{
    m_form.reset();
    m_user.reset();
    m_folder.reset();
}

void Form1Test::ShowWindow()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

// `target` is an object name, optionally followed by "@x,y" in pixels inside
// the control; without it the mouse goes to the control's centre.
void Form1Test::MoveOver(const QString &target)
{
    const QStringList parts = target.split(QLatin1Char('@'));
    QWidget *control = Control(parts[0]);
    QPoint point = control->rect().center();
    if (parts.size() > 1) {
        const QStringList xy = parts[1].split(QLatin1Char(','));
        point = QPoint(xy[0].toInt(), xy[1].toInt());
    }
    QTest::mouseMove(m_form.get(), control->mapTo(m_form.get(), point));
    QCoreApplication::processEvents();
}

void Form1Test::fieldsStartWithTheDesignTexts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("supply") << 0 << "5000";
    QTest::newRow("one end keeps its leading zero") << 1 << "0500";
    QTest::newRow("other end") << 2 << "4500";
    QTest::newRow("pulse one end") << 3 << "1000";
    QTest::newRow("pulse other end") << 4 << "2000";
    QTest::newRow("PWM") << 5 << "10";
}

void Form1Test::fieldsStartWithTheDesignTexts()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(m_form->ParameterText(index), text);
    QCOMPARE(Control<QLineEdit>(QStringLiteral("Text1_%1").arg(index))->text(), text);
}

void Form1Test::controlsStartAtTheirDesignPlaces_data()
{
    namespace design = app::design;
    QTest::addColumn<QString>("name");
    QTest::addColumn<app::TwipRect>("twips");
    const std::pair<const char *, app::TwipRect> controls[] = {
        {"SSTab1", design::kSSTab1}, {"hlpt", design::kHlpt},       {"Command1", design::kCommand1},
        {"Shape1", design::kShape1}, {"Shape2", design::kShape2},   {"Shape3", design::kShape3},
        {"Label4", design::kLabel4}, {"Label3", design::kLabel3},   {"Label5", design::kLabel5},
        {"Check1", design::kCheck1}, {"Command2", design::kCommand2}, {"Text2", design::kText2},
        {"Command3", design::kCommand3}, {"Command4", design::kCommand4},
        {"Check2", design::kCheck2},     {"Command5", design::kCommand5}};
    for (const auto &[name, twips] : controls)
        QTest::newRow(name) << QString::fromLatin1(name) << twips;
    for (int i = 0; i < design::kPageCount; ++i)
        QTest::addRow("Frame1_%d", i) << QStringLiteral("Frame1_%1").arg(i) << design::kFrame1[i];
    for (int i = 0; i < 6; ++i) {
        QTest::addRow("Label1_%d", i) << QStringLiteral("Label1_%1").arg(i) << design::kLabel1[i];
        QTest::addRow("Text1_%d", i) << QStringLiteral("Text1_%1").arg(i) << design::Text1(i);
        QTest::addRow("Label2_%d", i) << QStringLiteral("Label2_%1").arg(i) << design::Label2(i);
    }
}

// Before the first layout every control stands where the design puts it,
// in twips and in pixels.
void Form1Test::controlsStartAtTheirDesignPlaces()
{
    QFETCH(QString, name);
    QFETCH(app::TwipRect, twips);
    const QWidget *control = Control(name);
    QCOMPARE(m_form->Twips(control), twips);
    const double perPixel = m_form->TwipsPerPixel();
    const auto px = [perPixel](float value) { return int(std::lround(value / perPixel)); };
    QCOMPARE(control->geometry(),
             QRect(px(twips.left), px(twips.top), px(twips.width), px(twips.height)));
}

void Form1Test::loadSelectsTemplatePageAndShowsInfoText()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("AVR-Programmgenerator für Servo mit Tiny15"));
    QCOMPARE(m_form->CurrentPage(), int(app::TemplatePage));
    QVERIFY(Control(QStringLiteral("Frame1_1"))->isVisibleTo(m_form.get()));
    QVERIFY(!Control(QStringLiteral("Frame1_0"))->isVisibleTo(m_form.get()));
    QCOMPARE(m_form->ListingText(), m_form->InfoText());
    QCOMPARE(Hint()->text(), kTitleHint);
    QVERIFY(QFontInfo(Control(QStringLiteral("Text2"))->font()).fixedPitch());
    QVERIFY(QFontInfo(Control(QStringLiteral("Label3"))->font()).fixedPitch());
}

void Form1Test::windowIconHasBothSizesOfItsPictures_data()
{
    QTest::addColumn<int>("side");
    QTest::newRow("16 x 16") << 16;
    QTest::newRow("32 x 32") << 32;
}

// The icon is read with a named format, not left to detection: a wrong one
// would leave the window without an icon and nothing else would tell.
void Form1Test::windowIconHasBothSizesOfItsPictures()
{
    QFETCH(int, side);
    const QSize size(side, side);
    const QIcon icon = m_form->windowIcon();
    QVERIFY(icon.availableSizes().contains(size));
    const QImage picture(QStringLiteral(":/pulsakor/icon%1.png").arg(side));
    QVERIFY(!picture.isNull());
    QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
             picture.convertToFormat(QImage::Format_ARGB32));
}

void Form1Test::unitLabelsAndFieldsLieInFront_data()
{
    QTest::addColumn<QString>("name");
    for (int i = 0; i < 6; ++i) {
        QTest::addRow("Label2(%d)", i) << QStringLiteral("Label2_%1").arg(i);
        QTest::addRow("Text1(%d)", i) << QStringLiteral("Text1_%1").arg(i);
    }
}

void Form1Test::unitLabelsAndFieldsLieInFront()
{
    QFETCH(QString, name);
    QWidget *control = Control(name);
    QWidget *frame = Control(QStringLiteral("Frame1_0"));
    QWidget *top = frame->childAt(control->geometry().center());
    // A line edit may report an inner child; what counts is whose it is.
    while (top && top != control && top->parentWidget() != frame)
        top = top->parentWidget();
    QCOMPARE(top, control);
}

void Form1Test::rectanglesEncloseTheirRowWithMargin_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::newRow("Shape3: supply and PWM") << "Shape3" << 0 << 5;
    QTest::newRow("Shape1: one end stop") << "Shape1" << 1 << 3;
    QTest::newRow("Shape2: other end stop") << "Shape2" << 2 << 4;
}

void Form1Test::rectanglesEncloseTheirRowWithMargin()
{
    QFETCH(QString, shape);
    QFETCH(int, left);
    QFETCH(int, right);
    const app::TwipRect s = m_form->Twips(Control(shape));
    const app::TwipRect a = m_form->Twips(Control(QStringLiteral("Label1_%1").arg(left)));
    const app::TwipRect b = m_form->Twips(Control(QStringLiteral("Label1_%1").arg(right)));
    QCOMPARE(a.left - s.left, 120.f);
    QCOMPARE(a.top - s.top, 120.f);
    QCOMPARE(b.top, a.top);
    QCOMPARE(b.left - (a.left + a.width), 105.f);
    QCOMPARE((s.left + s.width) - (b.left + b.width), 120.f);
    QCOMPARE((s.top + s.height) - (a.top + a.height), 120.f);
}

void Form1Test::tabWalksThePageInOrder_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("parameter fields")
        << int(app::ParameterPage) << "Text1_0"
        << QStringList{"Text1_1", "Text1_2", "Text1_3",     "Text1_4",
                       "Text1_5", "SSTab1_tabs", "Command1", "Text1_0"};
    // The programming's controls come after the described ones.
    QTest::newRow("template page, programming last")
        << int(app::TemplatePage) << "Command2"
        << QStringList{"Check1",      "Check2",   "Command4", "Command3", "Command5",
                       "SSTab1_tabs", "Command1", "Command2"};
}

void Form1Test::tabWalksThePageInOrder()
{
    QFETCH(int, page);
    QFETCH(QString, start);
    QFETCH(QStringList, expected);
    ShowWindow();
    m_form->SetCurrentPage(page);
    Control(start)->setFocus(Qt::TabFocusReason);
    for (const QString &name : expected) {
        QVERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
}

void Form1Test::programmingControlsFitBesideTheDescribedOnes_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Command3", "Command4", "Check2", "Command5"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// At the default size each programming control lies whole inside page 1,
// clear of the described controls and of each other, and its caption has
// room. Offscreen the window system reports no title bar, which leaves the
// page lower than on a desktop.
void Form1Test::programmingControlsFitBesideTheDescribedOnes()
{
    QFETCH(QString, name);
    ShowWindow();
    const QWidget *control = Control(name);
    const QRect place = control->geometry();
    QVERIFY(Control(QStringLiteral("Frame1_1"))->rect().contains(place));
    for (const QString other : {"Label4", "Label3", "Label5", "Check1", "Command2", "Command3",
                                "Command4", "Check2", "Command5"}) {
        if (other != name)
            QVERIFY2(!place.intersects(Control(other)->geometry()), qPrintable(other));
    }
    QVERIFY2(control->sizeHint().width() <= place.width(),
             qPrintable(QString::number(control->sizeHint().width())));
}

void Form1Test::hintBarFollowsTheMouse_data()
{
    const app::HintTable hints = app::BuildHintTexts();
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("bar");

    QTest::newRow("frame first keeps the title, then PWM field")
        << 0 << QStringList{"Frame1_0@3,3", "Text1_5"} << QStringList{kTitleHint, hints[9]};
    QTest::newRow("onto a frame empties the bar")
        << 0 << QStringList{"Text1_0", "Frame1_0@3,3"} << QStringList{hints[7], QString()};
    QTest::newRow("unit label keeps the hint, not the frame's")
        << 0 << QStringList{"Label1_0@20,6", "Label2_0"} << QStringList{hints[1], hints[1]};
    QTest::newRow("unit label beside its field")
        << 0 << QStringList{"Text1_3", "Label2_3"} << QStringList{hints[8], hints[8]};
    QTest::newRow("rectangle outline keeps the hint")
        << 0 << QStringList{"Text1_4", "Shape2@0,20"} << QStringList{hints[8], hints[8]};
    QTest::newRow("caption box inside its rectangle")
        << 0 << QStringList{"Label1_5@30,6", "Label1_4@30,6"} << QStringList{hints[6], hints[5]};
    QTest::newRow("tab row and hint bar")
        << 0 << QStringList{"SSTab1_tabs", "hlpt"} << QStringList{hints[16], hints[17]};
    QTest::newRow("template page")
        << 1 << QStringList{"Label3", "Label4", "Label5", "Check1", "Command2", "Command1"}
        << QStringList{hints[10], hints[10], hints[11], hints[15], hints[12], hints[13]};
    QTest::newRow("info page")
        << 2 << QStringList{"Text2", "Frame1_2@2,2"} << QStringList{hints[14], QString()};
    QTest::newRow("programming controls")
        << 1 << QStringList{"Command4", "Command3", "Check2", "Command5", "Frame1_1@3,3"}
        << QStringList{hints[20], hints[18], hints[19], hints[21], QString()};
}

void Form1Test::hintBarFollowsTheMouse()
{
    QFETCH(int, page);
    QFETCH(QStringList, path);
    QFETCH(QStringList, bar);
    ShowWindow();
    m_form->SetCurrentPage(page);
    // Start from a spot with no hint of its own: the window's surface.
    QTest::mouseMove(m_form.get(), QPoint(m_form->width() - 2, m_form->height() - 2));
    for (int i = 0; i < path.size(); ++i) {
        MoveOver(path[i]);
        QCOMPARE(Hint()->text(), bar[i]);
    }
}

void Form1Test::sameHintIndexLeavesTheBarAlone()
{
    ShowWindow();
    m_form->SetCurrentPage(app::ParameterPage);
    MoveOver(QStringLiteral("Text1_1"));
    QCOMPARE(m_form->LastHintIndex(), 7);
    // Both voltage fields map to 7: the bar must not even be set again.
    const QString marker = QStringLiteral("untouched");
    Hint()->setText(marker);
    MoveOver(QStringLiteral("Text1_2"));
    QCOMPARE(Hint()->text(), marker);
    m_form->ShowHint(7);
    QCOMPARE(Hint()->text(), marker);
    m_form->ShowHint(100);
    m_form->ShowHint(-1);
    QCOMPARE(m_form->LastHintIndex(), 7);
}

void Form1Test::pageChangeShowsOnlyItsFrame_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("byUser");
    for (int page = 0; page < 3; ++page) {
        QTest::addRow("page %d by code", page) << page << false;
        QTest::addRow("page %d by tab click", page) << page << true;
    }
}

void Form1Test::pageChangeShowsOnlyItsFrame()
{
    QFETCH(int, page);
    QFETCH(bool, byUser);
    ShowWindow();
    // Start from another page so that every row is a real change.
    m_form->SetCurrentPage((page + 1) % 3);
    if (byUser) {
        QTabBar *tabs = Control<QTabBar>(QStringLiteral("SSTab1_tabs"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
    } else {
        m_form->SetCurrentPage(page);
    }
    QCOMPARE(m_form->CurrentPage(), page);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(Control(QStringLiteral("Frame1_%1").arg(i))->isVisible(), i == page);
}

void Form1Test::fieldSelectsWholeTextOnEntry_data()
{
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<QString>("text");
    QTest::newRow("tab into 1000") << false << "1000";
    QTest::newRow("click into 1000") << true << "1000";
    QTest::newRow("click into a longer text") << true << "12345678";
}

void Form1Test::fieldSelectsWholeTextOnEntry()
{
    QFETCH(bool, byClick);
    QFETCH(QString, text);
    ShowWindow();
    m_form->SetCurrentPage(app::ParameterPage);
    m_form->SetParameterText(3, text);
    QLineEdit *field = Control<QLineEdit>(QStringLiteral("Text1_3"));
    if (byClick) {
        Control(QStringLiteral("Text1_0"))->setFocus();
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() / 2 + 3, field->height() / 2));
    } else {
        Control(QStringLiteral("Text1_2"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QVERIFY(field->hasFocus());
    QTRY_COMPARE(field->selectedText(), text);
    QCoreApplication::processEvents();
    QCOMPARE(field->selectionStart(), 0);
    QCOMPARE(field->selectedText(), text);
}

void Form1Test::checkBoxClickCycles_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("cleared is ticked") << 0 << 1;
    QTest::newRow("ticked is cleared") << 1 << 0;
    QTest::newRow("greyed is ticked") << 2 << 1;
}

void Form1Test::checkBoxClickCycles()
{
    QFETCH(int, before);
    QFETCH(int, after);
    m_form->SetDeleteAsmValue(before);
    QCOMPARE(m_form->DeleteAsmValue(), before);
    Control<QCheckBox>(QStringLiteral("Check1"))->click();
    QCOMPARE(m_form->DeleteAsmValue(), after);
}

void Form1Test::listingTextComesBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("listing with CR LF after every line") << "; Tabelle\r\n.db 100\r\n";
    QTest::newRow("empty lines") << "a\r\n\r\n\r\nb";
    QTest::newRow("lone CR and lone LF") << "a\rb\nc\r\n";
    QTest::newRow("umlauts and tabs") << "PWM-Zählumfang:\t10\r\n";
    QTest::newRow("empty") << "";
}

void Form1Test::listingTextComesBackExactly()
{
    QFETCH(QString, text);
    m_form->SetListingText(text);
    QCOMPARE(m_form->ListingText(), text);
}

void Form1Test::editedListingComesBackWithCrLf()
{
    ShowWindow();
    m_form->SetCurrentPage(app::InfoPage);
    m_form->SetListingText(QStringLiteral("one\r\ntwo"));
    auto *text2 = Control<QPlainTextEdit>(QStringLiteral("Text2"));
    text2->setFocus();
    text2->moveCursor(QTextCursor::End);
    QTest::keyClick(text2, Qt::Key_Return);
    QTest::keyClicks(text2, QStringLiteral("drei"));
    QCOMPARE(m_form->ListingText(), QStringLiteral("one\r\ntwo\r\ndrei"));
}

void Form1Test::resizeMovesOnlyTheLayoutControls()
{
    ShowWindow();
    const QStringList fixed{"Label1_0", "Text1_0", "Label2_0", "Shape3", "Label4", "Check1"};
    QHash<QString, QRect> before;
    for (const QString &name : fixed)
        before.insert(name, Control(name)->geometry());
    const app::TwipRect hint = m_form->Twips(Hint());
    QCOMPARE(hint.height, 975.f);

    m_form->resize(m_form->size() + QSize(40, 30));
    QCoreApplication::processEvents();
    const app::TwipRect tab = m_form->Twips(Control(QStringLiteral("SSTab1")));
    QCOMPARE(m_form->Twips(Hint()).top, hint.top + 30 * float(m_form->TwipsPerPixel()));
    for (const QString &name : fixed)
        QCOMPARE(Control(name)->geometry(), before.value(name));

    // Too low for the tab control: it keeps its geometry, the rest goes on.
    m_form->resize(m_form->width() + 20, 40);
    QCoreApplication::processEvents();
    QCOMPARE(m_form->Twips(Control(QStringLiteral("SSTab1"))), tab);
    QCOMPARE(m_form->Twips(Control(QStringLiteral("Command1"))).left,
             float(m_form->OuterSize().width() - 1500));
    QCOMPARE(m_form->Twips(Hint()).height, 975.f);
}

void Form1Test::escapeEndsButEnterDoesNot_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ends");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
}

void Form1Test::escapeEndsButEnterDoesNot()
{
    QFETCH(int, key);
    QFETCH(bool, ends);
    ShowWindow();
    m_form->SetCurrentPage(app::ParameterPage);
    QLineEdit *field = Control<QLineEdit>(QStringLiteral("Text1_0"));
    field->setFocus();
    QTest::keyClick(field, Qt::Key(key));
    QCoreApplication::processEvents();
    QCOMPARE(m_form->IsClosing(), ends);
    QCOMPARE(m_form->isVisible(), !ends);
}

void Form1Test::closingTheWindowEnds()
{
    ShowWindow();
    QVERIFY(!m_form->IsClosing());
    QVERIFY(m_form->close());
    QVERIFY(m_form->IsClosing());
}

void Form1Test::clicksReachTheirProcedures_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("openDialogs");
    QTest::addColumn<int>("messages");
    QTest::newRow("Label3 picks the template") << 1 << "Label3" << 1 << 0;
    QTest::newRow("Label5 picks the assembler") << 1 << "Label5" << 1 << 0;
    QTest::newRow("Label4 has no click") << 1 << "Label4" << 0 << 0;
    QTest::newRow("Command2 runs and reports the missing template") << 1 << "Command2" << 0 << 1;
    QTest::newRow("caption box has no click") << 0 << "Label1_0" << 0 << 0;
}

void Form1Test::clicksReachTheirProcedures()
{
    QFETCH(int, page);
    QFETCH(QString, control);
    QFETCH(int, openDialogs);
    QFETCH(int, messages);
    ShowWindow();
    m_form->SetCurrentPage(page);
    QWidget *target = Control(control);
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(int(m_user->openRequests.size()), openDialogs);
    QCOMPARE(int(m_user->messages.size()), messages);
    QVERIFY(m_user->saveRequests.empty());
}

void Form1Test::activationShowsInfoPageUntilUserTurns()
{
    m_form->SetActivateOnShow(true);
    ShowWindow();
    QTRY_COMPARE(m_form->CurrentPage(), int(app::InfoPage));
    auto *wait = m_form->findChild<app::InfoPageWait *>();
    QVERIFY(wait);
    QVERIFY(wait->IsWaiting());
    QVERIFY(Control(QStringLiteral("Frame1_2"))->isVisible());
    QTabBar *tabs = Control<QTabBar>(QStringLiteral("SSTab1_tabs"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QVERIFY(!wait->IsWaiting());
    QCOMPARE(m_form->CurrentPage(), int(app::TemplatePage));
    QCOMPARE(m_user->beeps, 0);
}

void Form1Test::longPathsComeBackExactlyAndWrap_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("Windows path with blanks")
        << R"(C:\Programme\Atmel\AVR Tools\AvrAssembler\avrasm32.exe)";
    QTest::newRow("long path without blanks")
        << "/home/servobauer/projekte/servosteuerung/tiny15/vorlagen/aktuell/servo00.asm";
    QTest::newRow("design text") << app::design::kLabel3Caption;
}

void Form1Test::longPathsComeBackExactlyAndWrap()
{
    QFETCH(QString, path);
    ShowWindow();
    m_form->SetTemplatePath(path);
    m_form->SetAssemblerPath(path);
    QCOMPARE(m_form->TemplatePath(), path);
    QCOMPARE(m_form->AssemblerPath(), path);
    // The label shows the whole path within its width.
    QLabel *label = Control<QLabel>(QStringLiteral("Label3"));
    const QRect needed = label->fontMetrics().boundingRect(
        label->contentsRect(), Qt::TextWordWrap | Qt::AlignHCenter, label->text());
    QVERIFY2(needed.width() <= label->contentsRect().width(), qPrintable(label->text()));
}

void Form1Test::layoutFollowsTheReportedFrame_data()
{
    QTest::addColumn<QString>("news");
    QTest::newRow("the window system moves the framed window") << "move";
    QTest::newRow("the framed window is activated") << "activate";
}

void Form1Test::layoutFollowsTheReportedFrame()
{
    QFETCH(QString, news);
    const QMargins realFrame(6, 28, 6, 6);
    const QSize client(480, 430);

    // Laid out first with the assumed frame; the real one comes later, with
    // no change of size.
    FramedForm form(m_user.get());
    form.SetActivateOnShow(false);
    form.resize(client);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QHash<QString, QRect> assumed = LaidOutGeometry(form);
    QCOMPARE(assumed.size(), kLaidOut.size());
    // Another window has the focus when the frame becomes known.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.frame = realFrame;
    if (news == QLatin1String("move")) {
        form.move(form.pos() + QPoint(6, 28));
    } else {
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    QCoreApplication::processEvents();

    // The same size with the frame known from the start.
    FramedForm framed(m_user.get());
    framed.SetActivateOnShow(false);
    framed.frame = realFrame;
    framed.resize(client);
    framed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&framed));
    const QHash<QString, QRect> expected = LaidOutGeometry(framed);
    QVERIFY(expected != assumed);
    const QHash<QString, QRect> adjusted = LaidOutGeometry(form);
    for (const QString &name : kLaidOut)
        QCOMPARE(adjusted.value(name), expected.value(name));

    // And after a resize there and back: one size, one layout.
    form.resize(client + QSize(40, 30));
    QCoreApplication::processEvents();
    form.resize(client);
    QCoreApplication::processEvents();
    const QHash<QString, QRect> resized = LaidOutGeometry(form);
    for (const QString &name : kLaidOut)
        QCOMPARE(resized.value(name), expected.value(name));
}

void Form1Test::everyTabIsReachableByMouse_data()
{
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<int>("page");
    for (const int width : {480, 404, 300, 200, 160}) {
        for (int page = 0; page < 3; ++page)
            QTest::addRow("%d px wide, page %d", width, page) << width << page;
    }
}

// Clicks only where the mouse would: on whatever lies on top at that spot of
// the window. Scroll buttons of the tab row are clicked until the page's tab
// shows a spot of its own.
void Form1Test::everyTabIsReachableByMouse()
{
    QFETCH(int, clientWidth);
    QFETCH(int, page);
    ShowWindow();
    m_form->resize(clientWidth, m_form->height());
    QCoreApplication::processEvents();
    m_form->SetCurrentPage((page + 1) % 3);
    QTabBar *tabs = Control<QTabBar>(QStringLiteral("SSTab1_tabs"));

    for (int attempt = 0; attempt < 10 && m_form->CurrentPage() != page; ++attempt) {
        const QRect tab = tabs->tabRect(page);
        QWidget *target = nullptr;
        QPoint spot;
        // The middle of the tab first, then its other points from left to right.
        QList<QPoint> candidates{tab.center()};
        for (int x = tab.left() + 2; x < tab.right() - 1; x += 3)
            candidates.append(QPoint(x, tab.center().y()));
        for (const QPoint &point : candidates) {
            spot = tabs->mapTo(m_form.get(), point);
            if (m_form->childAt(spot) == tabs) {
                target = tabs;
                break;
            }
        }
        if (!target) {
            // Not within reach: scroll towards it, if the row offers a way.
            const bool right = tabs->tabRect(page).left() >= 0;
            const auto buttons = tabs->findChildren<QToolButton *>();
            QToolButton *scroll = nullptr;
            for (QToolButton *button : buttons) {
                const bool pointsRight = button->arrowType() == Qt::RightArrow;
                if (button->isVisible() && button->isEnabled() && pointsRight == right)
                    scroll = button;
            }
            QVERIFY2(scroll, "the tab lies out of reach and nothing scrolls the row");
            spot = scroll->mapTo(m_form.get(), scroll->rect().center());
            QCOMPARE(m_form->childAt(spot), scroll);
            target = scroll;
        }
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(m_form.get(), spot));
    }
    QCOMPARE(m_form->CurrentPage(), page);
}

void Form1Test::generateCaptionWrapsBetweenWords_data()
{
    QTest::addColumn<int>("buttonWidth");
    QTest::addColumn<int>("lines");
    // 0: the design size; other widths test the rule, not the design.
    QTest::newRow("design size: two lines") << 0 << 2;
    QTest::newRow("wide: one line") << 400 << 1;
    QTest::newRow("narrow: a word per line") << 40 << 5;
}

void Form1Test::generateCaptionWrapsBetweenWords()
{
    QFETCH(int, buttonWidth);
    QFETCH(int, lines);
    const QString caption = QStringLiteral("ASM-Datei speichern und HEX-Datei erzeugen");
    ShowWindow();
    auto *button = Control<QPushButton>(QStringLiteral("Command2"));
    if (buttonWidth > 0)
        button->resize(buttonWidth, button->height());
    QCoreApplication::processEvents();
    QCOMPARE(button->accessibleName(), caption);

    const auto *label = button->findChild<QLabel *>(QStringLiteral("caption"));
    QVERIFY(label);
    const QStringList shown = ShownLines(*label);
    // Joined with blanks, the lines give the caption back: every break lies
    // at a blank, none after the hyphen of "HEX-Datei".
    QCOMPARE(shown.join(QLatin1Char(' ')), caption);
    QCOMPARE(int(shown.size()), lines);
    for (const QString &line : shown) {
        if (line.contains(QLatin1Char(' ')))
            QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width(),
                     qPrintable(line));
    }
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
