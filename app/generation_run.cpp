#include "app/generation_run.h"

#include "app/event_procedures.h"
#include "app/settings_files.h"

namespace app {

namespace {

class WindowRunHost : public generator::RunHost {
public:
    WindowRunHost(WindowModel &window, platform::UserInteraction &user,
                  const WindowRunOptions &options)
        : m_window(window), m_user(user), m_options(options)
    {
    }

    generator::ParameterTexts FieldTexts() const override
    {
        generator::ParameterTexts texts;
        for (int i = 0; i < 6; ++i)
            texts[i] = m_window.ParameterText(i);
        return texts;
    }
    QString TemplatePath() const override { return m_window.TemplatePath(); }
    QString AssemblerPath() const override { return m_window.AssemblerPath(); }
    int DeleteAsmValue() const override { return m_window.DeleteAsmValue(); }
    QString WorkFolder() const override { return m_window.folders().workFolder; }
    void SetWorkFolder(const QString &folder) override { m_window.folders().workFolder = folder; }

    QString ListingText() const override { return m_window.ListingText(); }
    void SetListingText(const QString &text) override { m_window.SetListingText(text); }
    void ShowListingPage() override { m_window.SetCurrentPage(InfoPage); }
    void FocusListing() override { m_window.FocusListing(); }

    QString ChooseTarget(const platform::FileDialogRequest &request) override
    {
        return m_user.ChooseFileToSave(request);
    }
    void ShowMessage(const QString &text, const QString &title) override
    {
        m_user.ShowMessage(text, title);
    }

    void SaveParameters() override
    {
        if (m_options.saveParameters)
            m_options.saveParameters(m_window);
        else
            app::SaveParameters(m_window);
    }
    void SaveSettings() override
    {
        if (m_options.saveSettings)
            m_options.saveSettings(m_window);
        else
            app::SaveSettings(m_window);
    }

    platform::WaitTimes AssemblerWait() const override { return m_options.wait; }
    void SetWaiting(bool waiting) override { m_window.SetGenerateEnabled(!waiting); }
    bool IsClosing() const override { return m_window.IsClosing(); }

private:
    WindowModel &m_window;
    platform::UserInteraction &m_user;
    const WindowRunOptions &m_options;
};

} // namespace

generator::RunResult RunGenerationInWindow(WindowModel &window, platform::UserInteraction &user,
                                           const WindowRunOptions &options)
{
    WindowRunHost host(window, user, options);
    return generator::RunGeneration(host);
}

void Command2_Click(WindowModel &window, platform::UserInteraction &user)
{
    RunGenerationInWindow(window, user);
}

} // namespace app
