#include "setup/SetupProgram.h"

#include "platform/ui/MessageBox.h"
#include "setup/Installer.h"
#include "setup/RuntimeCheck.h"
#include "setup/SetupSheet.h"
#include "setup/SetupTexts.h"

namespace setup {

namespace {

// Letter case is ignored for A to Z only: a Unicode case fold would let
// look-alike letters ("ſ" folds to "s") through.
bool EqualsIgnoringAsciiCase(const QString& text, QLatin1StringView expected)
{
    if (text.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const char16_t lower = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
        if (lower != static_cast<char16_t>(expected[i].unicode()))
            return false;
    }
    return true;
}

} // namespace

SetupMode ModeOf(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return SetupMode::Install;
    if (arguments.size() == 1
        && (EqualsIgnoringAsciiCase(arguments[0], QLatin1StringView("/uninstall"))
            || arguments[0] == QLatin1StringView("--uninstall")))
        return SetupMode::Uninstall;
    return SetupMode::Refused;
}

int RunSetupProgram(const QStringList& arguments, const std::string& sourceFolder, const QVersionNumber& runtime)
{
    const SetupMode mode = ModeOf(arguments);
    if (mode == SetupMode::Refused) {
        platform::ui::MessageBox(nullptr, SetupText(kInvalidParameterText), FormatProduct(SetupText(kSheetCaption)),
            platform::ui::MB_OK | platform::ui::MB_ICONERROR);
        return 2;
    }
    CInstaller installer(sourceFolder);
    CSetupSheet sheet(installer);
    int start = CSetupSheet::kUninstallPage;
    if (mode == SetupMode::Install)
        start = RuntimeIsSufficient(runtime) ? CSetupSheet::kWelcomePage : CSetupSheet::kCannotInstallPage;
    return sheet.DoModal(start) ? 0 : 1;
}

} // namespace setup
