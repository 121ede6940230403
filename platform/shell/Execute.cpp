#include "platform/shell/Execute.h"

#include "platform/system/Module.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <string_view>
#include <utility>

namespace platform::shell {

namespace {

std::mutex g_mutex;
std::function<int(const ExecuteRequest&)> g_executeHook;
std::function<int(const IdListRequest&)> g_idListHandler;

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsUrl(const std::string& file)
{
    return file.find("://") != std::string::npos || file.rfind("mailto:", 0) == 0;
}

// The program `file` names: a path, or a bare name found on PATH; empty when
// it names none. Only a file the system runs itself counts, an ELF image or
// a script with its interpreter line: the execute bit alone says little (a
// stick's FAT file system sets it on every file), and a document is opened,
// never run.
QString ProgramPath(const std::string& file)
{
    QString path = FromUtf8(file);
    if (!path.contains(QLatin1Char('/')) && !QFileInfo::exists(path))
        path = QStandardPaths::findExecutable(path);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isExecutable())
        return {};
    QFile program(path);
    if (!program.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = program.read(4);
    return head
                == QByteArrayLiteral("\x7f"
                                     "ELF")
            || head.startsWith("#!")
        ? path
        : QString();
}

// The platform's own programs are found where the platform is, never on
// PATH, and read their parameter text as a command line of their own:
// rundll32's "LIBRARY,ENTRY" may name a path with blanks. Their names, as
// the window system's, heed no case.
bool IsOwnProgram(const std::string& file)
{
    static constexpr const char* kOwnPrograms[] = {"rundll32"};
    return std::any_of(std::begin(kOwnPrograms), std::end(kOwnPrograms),
        [&](const char* own) { return FromUtf8(file).compare(QLatin1String(own), Qt::CaseInsensitive) == 0; });
}

int StartOwnProgram(const ExecuteRequest& request)
{
    const QString program
        = QString::fromStdString(platform::system::PlatformProgramPath(FromUtf8(request.file).toLower().toStdString()));
    if (program.isEmpty())
        return SE_ERR_FNF;
    QStringList arguments;
    if (!request.parameters.empty())
        arguments.append(FromUtf8(request.parameters));
    const QString directory = request.directory.empty() ? QString() : FromUtf8(request.directory);
    return QProcess::startDetached(program, arguments, directory) ? kExecuteOk : SE_ERR_ACCESSDENIED;
}

int StartProgram(const QString& program, const ExecuteRequest& request)
{
    const QStringList arguments = QProcess::splitCommand(FromUtf8(request.parameters));
    const QString directory = request.directory.empty() ? QString() : FromUtf8(request.directory);
    return QProcess::startDetached(program, arguments, directory) ? kExecuteOk : SE_ERR_ACCESSDENIED;
}

// The desktop's opener picks the application; it returns at once, so the
// answer only says whether it could be started, as the window system's
// execute does for an association.
int OpenWithDesktop(const ExecuteRequest& request)
{
    if (!IsUrl(request.file) && !QFileInfo::exists(FromUtf8(request.file)))
        return SE_ERR_FNF;
    const QString directory = request.directory.empty() ? QString() : FromUtf8(request.directory);
    const bool started
        = QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{FromUtf8(request.file)}, directory);
    return started ? kExecuteOk : SE_ERR_NOASSOC;
}

} // namespace

int ShellExecute(HWND owner, const char* verb, const std::string& file, const std::string& parameters,
    const std::string& directory, int show)
{
    ExecuteRequest request;
    request.owner = owner;
    request.verb = verb ? verb : "";
    request.file = file;
    request.parameters = parameters;
    request.directory = directory;
    request.show = show;

    std::function<int(const ExecuteRequest&)> hook;
    {
        std::lock_guard lock(g_mutex);
        hook = g_executeHook;
    }
    if (hook)
        return hook(request);
    if (request.file.empty())
        return SE_ERR_FNF;
    if (!request.verb.empty() && request.verb != "open" && request.verb != "explore")
        return SE_ERR_NOASSOC;
    if (request.verb != "explore" && IsOwnProgram(request.file))
        return StartOwnProgram(request);
    if (request.verb != "explore" && !IsUrl(request.file)) {
        if (const QString program = ProgramPath(request.file); !program.isEmpty())
            return StartProgram(program, request);
    }
    return OpenWithDesktop(request);
}

void SetExecuteHook(std::function<int(const ExecuteRequest&)> hook)
{
    std::lock_guard lock(g_mutex);
    g_executeHook = std::move(hook);
}

int ShellExecuteIdList(HWND owner, const char* verb, LPCITEMIDLIST absolute, const char* className, int show)
{
    std::function<int(const IdListRequest&)> handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_idListHandler;
    }
    if (!handler || !absolute)
        return SE_ERR_NOASSOC;
    IdListRequest request;
    request.owner = owner;
    request.verb = verb ? verb : "open";
    request.className = className ? className : "";
    request.show = show;
    request.idList = absolute;
    return handler(request);
}

void SetIdListHandler(std::function<int(const IdListRequest&)> handler)
{
    std::lock_guard lock(g_mutex);
    g_idListHandler = std::move(handler);
}

} // namespace platform::shell
