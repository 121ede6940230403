#include "tests/support/CatalogDirectory.h"

#include "catalog/CatFile.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QString>

namespace pellidor::test {

void UseCatalogDirectory(const std::string& directory)
{
    QDir().mkpath(QString::fromStdString(directory));
    platform::registry::Key key;
    ASSERT_EQ(key.Create(platform::registry::Hive::LocalMachine, kCatDirKey), 0);
    ASSERT_EQ(key.SetString("", directory), 0);
}

} // namespace pellidor::test
