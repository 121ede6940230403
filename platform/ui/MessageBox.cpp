#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>
#include <unistd.h>

namespace platform::ui {

namespace {

std::mutex g_hookMutex;
MessageBoxHook g_hook;
std::atomic<bool> g_nonInteractiveYes{false};

constexpr UINT kButtonMask = 0x0F;
constexpr UINT kIconMask = 0xF0;

bool IsQuestion(UINT type)
{
    const UINT buttons = type & kButtonMask;
    return buttons == MB_YESNO || buttons == MB_OKCANCEL;
}

int Answer(UINT type, bool yes)
{
    if ((type & kButtonMask) == MB_YESNO)
        return yes ? IDYES : IDNO;
    if ((type & kButtonMask) == MB_OKCANCEL)
        return yes ? IDOK_ : IDCANCEL_;
    return IDOK_;
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & kIconMask) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowWindowBox(HWND owner, const QString& text, const QString& caption, UINT type)
{
    QMessageBox box(IconOf(type), caption, text, QMessageBox::NoButton, owner);
    switch (type & kButtonMask) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL_;
    default:
        // Closing a question box with Escape or the title bar is a refusal.
        return IsQuestion(type) ? Answer(type, false) : IDOK_;
    }
}

int AskTerminal(std::string_view text, std::string_view caption, UINT type)
{
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
        static_cast<int>(text.size()), text.data());
    if (!IsQuestion(type))
        return IDOK_;
    if (::isatty(STDIN_FILENO) == 0)
        return Answer(type, g_nonInteractiveYes.load());
    const bool yesNo = (type & kButtonMask) == MB_YESNO;
    std::fputs(yesNo ? "[y/n] " : "[ok/cancel] ", stderr);
    std::fflush(stderr);
    std::string line;
    if (!std::getline(std::cin, line))
        return Answer(type, false);
    const char first = line.empty() ? '\0' : line.front();
    return Answer(type, first == 'y' || first == 'Y' || first == 'o' || first == 'O');
}

} // namespace

int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type)
{
    MessageBoxHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    if (hook)
        return hook(text, caption, type);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return AskTerminal(text, caption, type);
    const QString qText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QString qCaption = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    if (QThread::currentThread() == app->thread())
        return ShowWindowBox(owner, qText, qCaption, type);
    // Widgets live on the user-interface thread only; a worker's box is shown
    // there (without an owner of another thread) and waited for.
    int answer = Answer(type, false);
    QMetaObject::invokeMethod(
        app, [&] { answer = ShowWindowBox(nullptr, qText, qCaption, type); }, Qt::BlockingQueuedConnection);
    return answer;
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}

void SetNonInteractiveYes(bool yes)
{
    g_nonInteractiveYes.store(yes);
}

} // namespace platform::ui
