// A library with rundll32 entries for rundll32's tests. Each entry, the
// unload question and the unloading itself append a line to the file that
// RUNDLL_TARGET_LOG names; RUNDLL_TARGET_UNLOAD=no makes the library say
// that something of it still lives.

#include "platform/com/Types.h"
#include "platform/system/Module.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define TARGET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char g_anchor = 0;
int g_openWindows = 0;

void Log(const std::string& line)
{
    const char* path = std::getenv("RUNDLL_TARGET_LOG");
    if (path == nullptr)
        return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

// Whether `module` is the loader's handle of this very library.
bool IsOwnHandle(HINSTANCE module)
{
    void* self = ::dlopen(platform::system::ModulePathOf(&g_anchor).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (self != nullptr)
        ::dlclose(self);
    return self != nullptr && self == module;
}

// Unloaded by rundll32, the library goes while the application still runs;
// left loaded, it goes with the process, after the application.
struct UnloadWitness {
    ~UnloadWitness() { Log(QCoreApplication::instance() != nullptr ? "unloaded while running" : "unloaded at exit"); }
} g_witness;

} // namespace

TARGET_EXPORT void Record(HWND window, HINSTANCE module, LPSTR arguments, int show)
{
    Log(std::string("window=") + (window != nullptr ? "some" : "none") + " module="
        + (IsOwnHandle(module) ? "own" : "other") + " show=" + std::to_string(show) + " args=[" + arguments + "]");
}

// Leaves a window open that closes itself a moment later.
TARGET_EXPORT void LeaveWindow(HWND, HINSTANCE, LPSTR, int)
{
    auto* window = new QWidget; // deleted when closed
    window->setAttribute(Qt::WA_DeleteOnClose);
    ++g_openWindows;
    QObject::connect(window, &QObject::destroyed, [] {
        --g_openWindows;
        Log("window closed");
    });
    window->show();
    QTimer::singleShot(50, window, &QWidget::close);
}

TARGET_EXPORT HRESULT DllCanUnloadNow()
{
    const char* answer = std::getenv("RUNDLL_TARGET_UNLOAD");
    const bool busy = g_openWindows > 0 || (answer != nullptr && std::strcmp(answer, "no") == 0);
    Log(busy ? "asked: busy" : "asked: idle");
    return busy ? S_FALSE : S_OK;
}
