// rundll32 LIBRARY,ENTRY [ARGS]: runs an entry of a library (RunDll.h).

#include "host/rundll32/RunDll.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rundll32"));
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs("usage: rundll32 LIBRARY,ENTRY [ARGS]\n", stderr);
        return 2;
    }
    std::string error;
    const std::optional<host::rundll32::Command> command = host::rundll32::ParseCommand(arguments, error);
    if (!command) {
        std::fprintf(stderr, "rundll32: %s\nusage: rundll32 LIBRARY,ENTRY [ARGS]\n", error.c_str());
        return 2;
    }
    return host::rundll32::Run(*command);
}
