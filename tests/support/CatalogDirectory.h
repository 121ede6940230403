#pragma once
// The product's part of a test's world: its catalog directory.

#include <string>

namespace pellidor::test {

// Makes `directory` and names it the catalog directory (the default value of
// the CatDir key), as setting up the program does.
void UseCatalogDirectory(const std::string& directory);

} // namespace pellidor::test
