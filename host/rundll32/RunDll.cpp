#include "host/rundll32/RunDll.h"

#include "platform/com/ShellTypes.h"
#include "platform/system/Module.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <vector>

namespace host::rundll32 {

namespace {

using CanUnloadNowFn = HRESULT (*)();

bool AnyWindowShown()
{
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            return true;
    }
    return false;
}

// Whether the library may go: its windows are closed, what they left for
// later deletion is deleted, and it says nothing of it lives. A library
// without DllCanUnloadNow is a plain library, done when its entry returns.
bool FinishedWith(const platform::system::Library& library)
{
    if (AnyWindowShown())
        QApplication::exec(); // until the last window closes
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto canUnloadNow = reinterpret_cast<CanUnloadNowFn>(library.Symbol("DllCanUnloadNow"));
    return canUnloadNow == nullptr || canUnloadNow() == S_OK;
}

// The command whose LIBRARY,ENTRY is the text of arguments 0 to `last`,
// joined by blanks, cut at the comma at `comma` in that text.
std::optional<Command> CommandAt(const QStringList& arguments, qsizetype last, qsizetype comma, std::string& error)
{
    const QString named = arguments.mid(0, last + 1).join(QLatin1Char(' '));
    const QString rest = named.mid(comma + 1).trimmed();
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    Command command;
    command.library = named.left(comma).toStdString();
    command.entry = rest.left(blank).toStdString();
    QStringList args = arguments.mid(last + 1);
    if (blank >= 0)
        args.prepend(rest.mid(blank + 1).trimmed());
    command.arguments = args.join(QLatin1Char(' ')).toStdString();
    if (command.library.empty())
        error = "no library before the comma";
    else if (command.entry.empty())
        error = "no entry after the comma";
    else
        return command;
    return std::nullopt;
}

// A library still in use must not be unloaded, not even by the destructors
// that run at exit: it is kept here, reachable until the process ends.
void KeepLoaded(std::unique_ptr<platform::system::Library> library)
{
    static auto* const kept = new std::vector<std::unique_ptr<platform::system::Library>>();
    kept->push_back(std::move(library));
}

} // namespace

std::optional<Command> ParseCommand(const QStringList& arguments, std::string& error)
{
    error = "expected LIBRARY,ENTRY";
    bool seenComma = false;
    std::optional<Command> first;
    qsizetype start = 0; // of arguments[last] in the joined text
    for (qsizetype last = 0; last < arguments.size(); start += arguments[last].size() + 1, ++last) {
        // The commas of this argument, the last one first.
        for (qsizetype at = arguments[last].lastIndexOf(QLatin1Char(',')); at >= 0;
             at = at == 0 ? -1 : arguments[last].lastIndexOf(QLatin1Char(','), at - 1)) {
            std::string why;
            std::optional<Command> command = CommandAt(arguments, last, start + at, why);
            if (!seenComma)
                error = why; // what is wrong with the plainest reading
            seenComma = true;
            if (!command)
                continue;
            // A comma may stand in the path and in ARGS alike, and a shell
            // splits an unquoted path at its blanks: the library that is
            // there wins.
            if (QFileInfo(QString::fromStdString(command->library)).isFile())
                return command;
            if (!first)
                first = std::move(command);
        }
    }
    return first;
}

int Run(const Command& command)
{
    auto library = std::make_unique<platform::system::Library>(command.library);
    if (!library->IsLoaded()) {
        std::fprintf(stderr, "rundll32: cannot load %s: %s\n", command.library.c_str(), library->Error().c_str());
        return 1;
    }
    const auto entry = reinterpret_cast<RunDllEntry>(library->Symbol(command.entry.c_str()));
    if (entry == nullptr) {
        std::fprintf(stderr, "rundll32: %s has no entry %s\n", command.library.c_str(), command.entry.c_str());
        return 1;
    }
    std::string arguments = command.arguments; // the entry may write into its text
    entry(nullptr, library->Handle(), arguments.data(), SW_SHOWNORMAL);
    if (!FinishedWith(*library))
        KeepLoaded(std::move(library));
    return 0;
}

} // namespace host::rundll32
