#include "catalog/ListWalkGuard.h"

#include "catalog/CatFile.h"

namespace pellidor {

CListWalkGuard CListWalkGuard::ForCatalog(const std::string& catalogPath)
{
    CCatFile file;
    return CListWalkGuard(file.Open(catalogPath, CCatFile::OpenMode::Read) ? file.Header().RootListOffset : 0);
}

bool CListWalkGuard::Enter(DWORD listOffset)
{
    const DWORD offset = listOffset == kRootList ? rootList_ : listOffset;
    if (offset == kNoList || offset == kRootList)
        return false;
    return entered_.insert(offset).second;
}

} // namespace pellidor
