#include "platform/ui/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QString>

namespace platform::ui {

std::optional<std::string> GetSaveFileName(HWND owner, std::string_view filter, std::string_view defaultExtension)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(
        QString::fromUtf8(defaultExtension.data(), static_cast<qsizetype>(defaultExtension.size())));
    dialog.setNameFilters(QtFileFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

namespace {

// A directory not yet made (a catalog directory before the installation)
// opens the dialog where the user can make it or pick another.
QString NearestExistingFolder(const QString& path)
{
    QString folder = QDir::cleanPath(path);
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return QDir::homePath();
        folder = parent;
    }
    return folder.isEmpty() ? QDir::homePath() : folder;
}

} // namespace

std::optional<std::string> GetExistingDirectory(HWND owner, std::string_view title, const std::string& startDirectory)
{
    QFileDialog dialog(owner, QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())),
        NearestExistingFolder(QString::fromStdString(startDirectory)));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

QStringList QtFileFilters(std::string_view filter)
{
    QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                            .split(QLatin1Char('|'), Qt::KeepEmptyParts);
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty())
            break; // the "||" that ends the list
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (auto& pattern : patterns) {
            pattern = pattern.trimmed();
            // "*.*" means every file where it comes from, not only dotted names.
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        out.push_back(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return out;
}

} // namespace platform::ui
