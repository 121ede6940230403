#pragma once
// A module's compiled resources. Every library and program with texts or
// menus of its own compiles them into Qt's resource tree under a folder of
// its own name: ":/<name>/strings.txt" (the string table) and
// ":/<name>/menus.txt" (the menus). It asks for them with that name, as the
// system's resource calls take the asking module's instance handle, so a
// host, Setup and the library each find their own table, never another's,
// whatever ids they share.

#include <QString>

#include <string_view>

namespace platform::ui {

class ResourceModule {
public:
    constexpr explicit ResourceModule(std::string_view name) : name_(name) { }

    constexpr std::string_view Name() const { return name_; }
    // ":/<name>/<file>".
    QString Path(std::string_view file) const
    {
        return QStringLiteral(":/") + QString::fromUtf8(name_.data(), static_cast<qsizetype>(name_.size()))
            + QLatin1Char('/') + QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
    }

private:
    std::string_view name_;
};

} // namespace platform::ui
