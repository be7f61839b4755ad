#pragma once
// The run's two faces. RunInputs is what the run reads once, when the
// generate button is pressed; RunHost is what stays interactive or must be
// asked at a later moment. The window and pulsakor-cli each fill the inputs
// and implement the host; the steps live once in RunGeneration().

#include "generator/servo_parameters.h"
#include "platform/assembler_process.h"
#include "platform/environment.h"
#include "platform/user_interaction.h"

#include <QChar>
#include <QString>

namespace generator {

struct RunInputs {
    /// The six field texts as typed, in ParameterField order.
    ParameterTexts fieldTexts;
    /// The template file and the assembler program.
    QString templatePath;
    QString assemblerPath;
    /// Where the target is proposed, ending with the folder separator.
    QString workFolder;
    /// Whether the source is to be deleted once the HEX file is made, as
    /// chosen when the run starts: it picks the target proposal's extension.
    bool deleteSource = false;
    /// The separator of the "0.00" numbers in the listing and the log.
    QChar decimalSeparator = platform::DecimalSeparator();
    /// How long to wait for the assembler (window: at least 2 s, then until
    /// it ends; a command line need not wait the 2 s).
    platform::WaitTimes assemblerWait;
};

class RunHost {
public:
    virtual ~RunHost() = default;

    /// Shows the listing on its page before the target is chosen.
    virtual void ShowListingPage(const QString &) {}
    /// The save dialog: the chosen full path, or an empty text for cancel.
    virtual QString ChooseTarget(const platform::FileDialogRequest &request) = 0;
    /// A message with one OK button; the run goes on once it is confirmed.
    virtual void ShowMessage(const QString &text, const QString &title) = 0;
    /// The target's folder becomes the work folder and "pulsakor.cfg" is
    /// written there: called once the target is chosen, whatever follows.
    virtual void SaveParameters(const QString &workFolder) = 0;
    /// Gives the listing the input focus once the source is written.
    virtual void FocusListing() {}

    /// True while the assembler runs (the window disables its button).
    virtual void SetWaiting(bool) {}
    /// Asked right after the wait: when true the run returns at once and
    /// touches nothing of the host any more.
    virtual bool IsClosing() const { return false; }

    /// Whether the source is to be deleted, asked anew after the wait: the
    /// choice may have changed while the run waited for the assembler.
    virtual bool DeletesSource() const = 0;
    /// Shows the log above the listing once the run has read it back.
    virtual void ShowLogView(const QString &) {}
    /// Writes "pulsakor.ini": called last, only when the assembler was found.
    virtual void SaveSettings() = 0;
};

} // namespace generator
