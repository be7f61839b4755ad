#pragma once
// The window for tests of the procedures outside Form1: the window model's
// state in plain members, no widgets.

#include "app/design.h"
#include "app/window_model.h"

#include <QString>

#include <array>

namespace app {

/// A window model without widgets, with the window's design values.
class MemoryWindowModel : public WindowModel {
public:
    std::array<QString, 6> parameterTexts = design::kText1Texts;
    QString templatePath = design::kLabel3Caption;
    QString assemblerPath = design::kLabel5Caption;
    int deleteAsmValue = 0;
    int currentPage = TemplatePage;
    QString listingText;
    bool listingFocused = false;
    bool generateEnabled = true;

    QString ParameterText(int index) const override { return parameterTexts.at(index); }
    void SetParameterText(int index, const QString &text) override { parameterTexts.at(index) = text; }
    QString TemplatePath() const override { return templatePath; }
    void SetTemplatePath(const QString &path) override { templatePath = path; }
    QString AssemblerPath() const override { return assemblerPath; }
    void SetAssemblerPath(const QString &path) override { assemblerPath = path; }
    int DeleteAsmValue() const override { return deleteAsmValue; }
    void SetDeleteAsmValue(int value) override { deleteAsmValue = value; }
    int CurrentPage() const override { return currentPage; }
    void SetCurrentPage(int page) override { currentPage = page; }
    QString ListingText() const override { return listingText; }
    void SetListingText(const QString &text) override { listingText = text; }
    void FocusListing() override { listingFocused = true; }
    void SetGenerateEnabled(bool enabled) override { generateEnabled = enabled; }
};

} // namespace app
