// catalog_write_helper ROOT CATALOG [--file-size-limit BYTES] [--user UID]
// catalog_write_helper --set-name CATALOG NAME [--file-size-limit BYTES]
//
// Writes one catalog of ROOT to CATALOG in a process of its own, after
// limiting the size of the files it may write (writes past the limit fail
// with EFBIG, as on a full disk) or dropping to another user (so folders can
// be unreadable even where the tests run as root). Exits 0 when Create
// succeeded, 1 when it failed, 2 on bad arguments. With --set-name it
// stores NAME in the header of CATALOG instead (0 stored, 1 failed).

#include "catalog/CatFile.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class Progress final : public pellidor::IReadProgress {
public:
    bool IsCancelled() const override { return cancelled_.load(); }
    void SetCancelled() override { cancelled_.store(true); }
    void ShowPath(const std::string&) override { }

private:
    std::atomic<bool> cancelled_{false};
};

bool Constrain(int argc, char** argv, int first)
{
    for (int i = first; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const unsigned long long value = std::strtoull(argv[i + 1], nullptr, 10);
        if (option == "--file-size-limit") {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{value, value};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return false;
        } else if (option == "--user") {
            if (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(value)) != 0
                || setuid(static_cast<uid_t>(value)) != 0)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--set-name") == 0) {
        if (argc % 2 != 0 || !Constrain(argc, argv, 4))
            return 2;
        pellidor::CCatFile catalog;
        if (!catalog.Open(argv[2], pellidor::CCatFile::OpenMode::Update))
            return 1;
        catalog.SetUserName(argv[3]);
        return catalog.WriteHeader() ? 0 : 1;
    }
    if (argc < 3 || argc % 2 == 0 || !Constrain(argc, argv, 3))
        return 2;
    Progress progress;
    pellidor::CCatFile catalog;
    return catalog.Create(argv[1], argv[2], progress) ? 0 : 1;
}
