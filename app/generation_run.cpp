#include "app/generation_run.h"

#include "app/event_procedures.h"
#include "app/settings_files.h"
#include "generator/target_files.h"

namespace app {

namespace {

// What the run asks of the window once it has its inputs.
class WindowRunHost : public generator::RunHost {
public:
    WindowRunHost(WindowModel &window, platform::UserInteraction &user,
                  const WindowRunOptions &options)
        : m_window(window), m_user(user), m_options(options)
    {
    }

    void ShowListingPage(const QString &listing) override
    {
        m_window.SetListingText(listing);
        m_window.SetCurrentPage(InfoPage);
    }
    QString ChooseTarget(const platform::FileDialogRequest &request) override
    {
        return m_user.ChooseFileToSave(request);
    }
    void ShowMessage(const QString &text, const QString &title) override
    {
        m_user.ShowMessage(text, title);
    }
    void SaveParameters(const QString &workFolder) override
    {
        m_window.folders().workFolder = workFolder;
        if (m_options.saveParameters)
            m_options.saveParameters(m_window);
        else
            app::SaveParameters(m_window);
    }
    void FocusListing() override { m_window.FocusListing(); }

    void SetWaiting(bool waiting) override { m_window.SetGenerateEnabled(!waiting); }
    bool IsClosing() const override { return m_window.IsClosing(); }

    bool DeletesSource() const override { return app::DeletesSource(m_window.DeleteAsmValue()); }
    void ShowLogView(const QString &view) override { m_window.SetListingText(view); }
    void SaveSettings() override
    {
        if (m_options.saveSettings)
            m_options.saveSettings(m_window);
        else
            app::SaveSettings(m_window);
    }

private:
    WindowModel &m_window;
    platform::UserInteraction &m_user;
    const WindowRunOptions &m_options;
};

} // namespace

bool DeletesSource(int check1Value)
{
    return check1Value == 1;
}

generator::RunResult RunGenerationInWindow(WindowModel &window, platform::UserInteraction &user,
                                           const WindowRunOptions &options)
{
    generator::RunInputs inputs;
    for (size_t i = 0; i < inputs.fieldTexts.size(); ++i)
        inputs.fieldTexts[i] = window.ParameterText(int(i));
    inputs.templatePath = window.TemplatePath();
    inputs.assemblerPath = window.AssemblerPath();
    inputs.workFolder = window.folders().workFolder;
    inputs.deleteSource = DeletesSource(window.DeleteAsmValue());
    inputs.assemblerWait = options.wait;
    WindowRunHost host(window, user, options);
    generator::RunResult result = generator::RunGeneration(inputs, host);
    if (result.outcome != generator::RunOutcome::Assembled || window.IsClosing())
        return result;
    window.lastHexFile =
        generator::TargetFilePath(result.targetBase, generator::TargetFileRole::Hex);
    return result;
}

generator::RunResult Command2_Click(WindowModel &window, platform::UserInteraction &user)
{
    return RunGenerationInWindow(window, user);
}

} // namespace app
