#pragma once
// Form1: the program's one window. It builds the controls of the three tab
// pages at their design positions in twips, implements the window model on
// them, and runs the window's own event procedures: the hint bar, the page
// frames, the whole-text selection of the parameter fields, the layout on
// resize, start-up and "Ende". The procedures that only need the window
// model (start values, pickers, the generation run, the info page wait) live
// in their own files and are called from here; the programming's controls
// and the teach-in's button hand over to their controllers, which see only
// the window's programming and teach-in views.

#include "app/design.h"
#include "app/event_procedures.h"
#include "app/hints.h"
#include "app/layout.h"
#include "app/window_model.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class UserInteraction;
}

namespace app {

class InfoPageWait;
class ProgrammingController;
class TabControl;
class TeachInChip;
class TeachInController;

class Form1 : public QWidget, public WindowModel {
    Q_OBJECT
public:
    /// Creates the window with its design values; page 1 is current. The
    /// window asks the user through `user` when given (tests), otherwise
    /// through its own desktop dialogs.
    explicit Form1(platform::UserInteraction *user = nullptr, QWidget *parent = nullptr);
    ~Form1() override;

    // The window model.
    QString ParameterText(int index) const override;
    void SetParameterText(int index, const QString &text) override;
    QString TemplatePath() const override;
    void SetTemplatePath(const QString &path) override;
    QString AssemblerPath() const override;
    void SetAssemblerPath(const QString &path) override;
    int DeleteAsmValue() const override;
    void SetDeleteAsmValue(int value) override;
    int CurrentPage() const override;
    void SetCurrentPage(int page) override;
    QString ListingText() const override;
    void SetListingText(const QString &text) override;
    void FocusListing() override;
    /// Disables Command3 and Command5 along with Command2: no programming
    /// starts while a run or another programming waits.
    void SetGenerateEnabled(bool enabled) override;
    bool IsClosing() const override;
    /// Check2 shows the after-run choice.
    void SetProgramming(const generator::ProgrammingChoices &choices) override;

    /// Form_Load: page 1, the hint table, the info text in Text2, then the
    /// folders and values of the previous run.
    void Form_Load(const StartEnvironment &environment);
    /// Form_Activate: the info page wait. Runs once after the first show
    /// unless turned off here (tests that do not want to wait).
    void Form_Activate();
    void SetActivateOnShow(bool activate);
    /// Form_Resize: places the large controls for the current window size
    /// as ResizedGeometry (layout.h) computes them.
    void Form_Resize();
    /// "Ende": ends the program at once, nothing is saved.
    void Command1_Click();
    /// Shows exactly the frame of the current page.
    void SSTab1_Click(int previousPage);
    /// Selects the whole text of Text1(index).
    void Text1_GotFocus(int index);

    /// Puts hint `index` into the bar unless it is the hint already shown;
    /// indices outside the hint table are ignored.
    void ShowHint(std::int16_t index);
    std::int16_t LastHintIndex() const { return m_lastHintIndex; }
    const QString &InfoText() const { return m_infoText; }

    /// Twips per pixel at the screen's logical resolution (15 at 96 dpi).
    double TwipsPerPixel() const { return m_twipsPerPixel; }
    /// The geometry of a control in twips as last placed, relative to its
    /// container; an empty rectangle for controls the window did not place.
    TwipRect Twips(const QWidget *control) const;
    /// Height of SSTab1's tab row in twips.
    float TabRowHeight() const;
    /// The window's outer size in twips, frame and title bar included; where
    /// the window system does not report a frame, an ordinary sizable frame
    /// is assumed.
    QSizeF OuterSize() const;

protected:
    /// The frame around the client area in pixels as the window system
    /// reports it; empty while it has reported none.
    virtual QMargins FrameMargins() const;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildParameterPage();
    void BuildTemplatePage();
    void BuildProgrammingControls();
    /// A button on page 1 at `twips` with hint `hint`.
    QPushButton *AddButton(const QString &caption, const char *name, const TwipRect &twips,
                           std::int16_t hint);
    void BuildInfoPage();
    void SetTabOrder();
    void Place(QWidget *control, const TwipRect &twips);
    void WatchHint(QWidget *control, std::int16_t index);
    void EndProgram();

    std::unique_ptr<platform::UserInteraction> m_ownUser;
    platform::UserInteraction *m_user = nullptr;
    QPointer<InfoPageWait> m_infoPageWait;

    double m_twipsPerPixel = 15;
    QHash<const QWidget *, TwipRect> m_twips;
    QHash<const QObject *, std::int16_t> m_hintOf;

    TabControl *m_ssTab1 = nullptr;
    QLabel *m_hlpt = nullptr;
    QPushButton *m_command1 = nullptr;
    std::array<QWidget *, 3> m_frame1{};
    std::array<QLabel *, 6> m_label1{};
    std::array<QLineEdit *, 6> m_text1{};
    std::array<QLabel *, 6> m_label2{};
    QLabel *m_label3 = nullptr;
    QLabel *m_label4 = nullptr;
    QLabel *m_label5 = nullptr;
    QCheckBox *m_check1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QPlainTextEdit *m_text2 = nullptr;
    // The programming's controls on page 1, below Command2.
    QPushButton *m_command3 = nullptr;
    QPushButton *m_command4 = nullptr;
    QCheckBox *m_check2 = nullptr;
    std::unique_ptr<ProgrammingController> m_programming;
    // The teach-in's button beside them.
    QPushButton *m_command5 = nullptr;
    std::unique_ptr<TeachInChip> m_teachInChip;
    std::unique_ptr<TeachInController> m_teachIn;

    // The captions of Label3 and Label5 exactly as set; the labels show
    // them with wrap points added.
    QString m_templatePath = design::kLabel3Caption;
    QString m_assemblerPath = design::kLabel5Caption;

    HintTable m_hintTexts;
    std::int16_t m_lastHintIndex = 0;
    QString m_infoText;

    // Text2 shows the text with Qt's line ends; as long as nobody edited it,
    // ListingText hands back exactly what was set.
    QString m_listingText;
    bool m_listingUnchanged = true;

    // The outer size the last layout was made for.
    QSizeF m_laidOutFor;

    int m_currentPage = TemplatePage;
    bool m_activateOnShow = true;
    bool m_activated = false;
    bool m_closing = false;
};

} // namespace app
