// mime_probe FILE...: prints the type a fresh QMimeDatabase gives each file,
// one a line, first by name and content, then by content alone. A process
// of its own, because a database reads the user's types once per process.

#include <QCoreApplication>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QMimeDatabase database;
    for (const QString& file : QCoreApplication::arguments().mid(1)) {
        std::printf("%s %s\n", qPrintable(database.mimeTypeForFile(file).name()),
            qPrintable(database.mimeTypeForFile(file, QMimeDatabase::MatchContent).name()));
    }
    return 0;
}
