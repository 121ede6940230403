#pragma once
// Control ids in dialog templates. Every control that the code reaches by
// its id carries the object name "id<number>" in its .ui file ("id1044",
// "id1"); controls without an id have descriptive names. Control<T>(dialog,
// 1044) is the template's GetDlgItem.

#include <QIcon>
#include <QString>
#include <QWidget>

namespace pellidor {

inline QString ControlName(int id)
{
    return QStringLiteral("id%1").arg(id);
}

template <class T>
T* Control(const QWidget* dialog, int id)
{
    return dialog == nullptr ? nullptr : dialog->findChild<T*>(ControlName(id));
}

// The module's icon 1 in both sizes, the dialogs' window icon.
inline QIcon ModuleIcon()
{
    QIcon icon(QStringLiteral(":/pellidor/images/1.png"));
    icon.addFile(QStringLiteral(":/pellidor/images/1-16.png"));
    return icon;
}

// The ids the dialogs share.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

} // namespace pellidor
