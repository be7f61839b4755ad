#pragma once
// What a generation run needs from its front end. The run's steps live once
// in RunGeneration() (generation_run.h); the window and the command line
// each implement this interface and differ only in how they answer.
//
// The run asks in this order: the template path and the field texts, the
// decimal separator, the listing view (set, page, read back), the work
// folder and the delete-ASM value for the proposal, the target choice, the
// new work folder and SaveParameters, the assembler path, the wait times,
// SetWaiting / IsClosing around the wait, messages, the delete-ASM value
// again, the listing view again and SaveSettings.

#include "generator/servo_parameters.h"
#include "platform/assembler_process.h"
#include "platform/environment.h"
#include "platform/user_interaction.h"

#include <QChar>
#include <QString>

namespace generator {

class RunHost {
public:
    virtual ~RunHost() = default;

    /// Text1(0) .. Text1(5) as typed.
    virtual ParameterTexts FieldTexts() const = 0;
    /// The template file (Label3).
    virtual QString TemplatePath() const = 0;
    /// The assembler program (Label5).
    virtual QString AssemblerPath() const = 0;
    /// Check1's value (0, 1, 2). Asked anew at every use: the box may change
    /// while the run waits for the assembler.
    virtual int DeleteAsmValue() const = 0;
    /// The work folder, ending with the folder separator.
    virtual QString WorkFolder() const = 0;
    virtual void SetWorkFolder(const QString &folder) = 0;
    /// The separator of the "0.00" numbers in the listing and the log.
    virtual QChar DecimalSeparator() const { return platform::DecimalSeparator(); }

    /// The text the run builds on: the listing, later the log above it. The
    /// run reads it back, so it must come back exactly as set (CR LF kept).
    virtual QString ListingText() const = 0;
    virtual void SetListingText(const QString &text) = 0;
    /// Brings the listing into view before the target is chosen.
    virtual void ShowListingPage() {}
    /// Gives the listing the input focus once the source is written.
    virtual void FocusListing() {}

    /// The save dialog: the chosen full path, or an empty text for cancel.
    virtual QString ChooseTarget(const platform::FileDialogRequest &request) = 0;
    /// A message with one OK button; the run goes on once it is confirmed.
    virtual void ShowMessage(const QString &text, const QString &title) = 0;

    /// Writes "pulsakor.cfg" into the (new) work folder: called once the
    /// target is chosen, whatever follows.
    virtual void SaveParameters() = 0;
    /// Writes "pulsakor.ini": called last, only when the assembler was found.
    virtual void SaveSettings() = 0;

    /// How long to wait for the assembler (window: at least 2 s, then until
    /// it ends; a command line need not wait the 2 s).
    virtual platform::WaitTimes AssemblerWait() const = 0;
    /// True while the assembler runs (the window disables its button).
    virtual void SetWaiting(bool) {}
    /// Asked right after the wait: when true the run returns at once and
    /// touches nothing of the host any more.
    virtual bool IsClosing() const { return false; }
};

} // namespace generator
