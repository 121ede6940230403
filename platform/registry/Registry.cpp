#include "platform/registry/Registry.h"

#include "platform/shell/FileTypeKeys.h"
#include "platform/system/Errors.h"
#include "platform/system/Paths.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <utility>

namespace platform::registry {

namespace sys = platform::system;

namespace {

// Keys and values of all three hives. Enumeration follows the row ids, which
// grow with creation and are kept by updates, so the order is stable.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    UNIQUE (parent, fold));
CREATE TABLE IF NOT EXISTS vals (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE (key, fold));
INSERT OR IGNORE INTO keys (id, parent, name, fold) VALUES
    (1, 0, 'HKEY_CLASSES_ROOT', 'hkey_classes_root'),
    (2, 0, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),
    (3, 0, 'HKEY_CURRENT_USER', 'hkey_current_user');
)sql";

constexpr int kBusyTimeoutMs = 10000;
// Connections kept open at once; tests move the database between tests.
constexpr std::size_t kMaxConnections = 4;

long long HiveId(Hive hive)
{
    switch (hive) {
    case Hive::ClassesRoot:
        return 1;
    case Hive::LocalMachine:
        return 2;
    case Hive::CurrentUser:
        return 3;
    }
    return 0;
}

std::string Fold(std::string_view name)
{
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(),
        [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return folded;
}

// The path's key names; empty parts (doubled or outer "\") are skipped.
std::vector<std::string_view> SplitPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

LONG ErrorFromSqlite(int code)
{
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return sys::ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return sys::ERROR_BUSY;
    case SQLITE_FULL:
        return sys::ERROR_DISK_FULL;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
        return sys::ERROR_ACCESS_DENIED;
    case SQLITE_NOMEM:
        return sys::ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_IOERR:
        return sys::ERROR_IO_DEVICE;
    default:
        return sys::ERROR_BADDB;
    }
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

struct ConnectionDeleter {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// One open database. Used only under the registry mutex.
class Connection {
public:
    Connection(std::string path, sqlite3* db, ino_t inode) : path_(std::move(path)), db_(db), inode_(inode) { }

    const std::string& Path() const { return path_; }
    ino_t Inode() const { return inode_; }
    sqlite3* Db() const { return db_.get(); }

    // Null (with `error` set) when the SQL does not compile.
    Statement Prepare(const char* sql, LONG& error) const
    {
        sqlite3_stmt* statement = nullptr;
        const int rc = sqlite3_prepare_v2(db_.get(), sql, -1, &statement, nullptr);
        error = ErrorFromSqlite(rc);
        return Statement(rc == SQLITE_OK ? statement : nullptr);
    }

    LONG Exec(const char* sql) const
    {
        return ErrorFromSqlite(sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr));
    }

private:
    std::string path_;
    std::unique_ptr<sqlite3, ConnectionDeleter> db_;
    ino_t inode_;
};

std::mutex g_mutex;
// Most recently used first.
std::list<Connection> g_connections;

ino_t InodeOf(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

LONG OpenDatabase(const std::string& path, std::unique_ptr<sqlite3, ConnectionDeleter>& out)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(
        path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<sqlite3, ConnectionDeleter> db(raw);
    if (rc != SQLITE_OK)
        return ErrorFromSqlite(rc);
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    // Switching to WAL needs a moment of exclusive access: another process
    // making the database at the same time may hold it, so wait it out.
    int walRc = SQLITE_BUSY;
    for (int attempt = 0; attempt < 200 && (walRc & 0xFF) == SQLITE_BUSY; ++attempt) {
        walRc = sqlite3_exec(db.get(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if ((walRc & 0xFF) == SQLITE_BUSY)
            sqlite3_sleep(50);
    }
    if (walRc != SQLITE_OK)
        return ErrorFromSqlite(walRc);
    sqlite3_exec(db.get(), "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    const int schemaRc = sqlite3_exec(
        db.get(), ("BEGIN IMMEDIATE;" + std::string(kSchema) + "COMMIT;").c_str(), nullptr, nullptr, nullptr);
    if (schemaRc != SQLITE_OK) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        return ErrorFromSqlite(schemaRc);
    }
    out = std::move(db);
    return sys::ERROR_SUCCESS;
}

// The connection to the database at `path`, opened (and the file and its
// schema made) when needed. A database file replaced or removed behind our
// back is opened afresh. Call under g_mutex.
Connection* Connect(const std::string& path, LONG& error)
{
    const ino_t inode = InodeOf(path);
    for (auto it = g_connections.begin(); it != g_connections.end(); ++it) {
        if (it->Path() != path)
            continue;
        if (inode != 0 && it->Inode() == inode) {
            g_connections.splice(g_connections.begin(), g_connections, it);
            error = sys::ERROR_SUCCESS;
            return &g_connections.front();
        }
        g_connections.erase(it);
        break;
    }
    std::unique_ptr<sqlite3, ConnectionDeleter> db;
    error = OpenDatabase(path, db);
    if (error != sys::ERROR_SUCCESS)
        return nullptr;
    g_connections.emplace_front(path, db.release(), InodeOf(path));
    while (g_connections.size() > kMaxConnections)
        g_connections.pop_back();
    return &g_connections.front();
}

// One write, as one transaction; rolled back unless the body answers 0.
// Runs `body` with the database's connection under the registry's lock; the
// connection's error when it cannot be had.
template <class Body>
LONG WithDatabase(const std::string& database, Body&& body)
{
    std::lock_guard lock(g_mutex);
    LONG error = 0;
    Connection* connection = Connect(database, error);
    if (connection == nullptr)
        return error;
    return body(*connection);
}

template <class Body>
LONG WriteTransaction(const Connection& connection, Body&& body)
{
    LONG error = connection.Exec("BEGIN IMMEDIATE");
    if (error != sys::ERROR_SUCCESS)
        return error;
    error = body();
    if (error == sys::ERROR_SUCCESS)
        error = connection.Exec("COMMIT");
    if (error != sys::ERROR_SUCCESS)
        connection.Exec("ROLLBACK");
    return error;
}

// Binds text without copying; the views outlive the statement's step.
void BindText(sqlite3_stmt* statement, int index, std::string_view text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

LONG FindChild(const Connection& connection, long long parent, std::string_view name, long long& child)
{
    LONG error = 0;
    Statement statement = connection.Prepare("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2", error);
    if (!statement)
        return error;
    sqlite3_bind_int64(statement.get(), 1, parent);
    const std::string folded = Fold(name);
    BindText(statement.get(), 2, folded);
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW) {
        child = sqlite3_column_int64(statement.get(), 0);
        return sys::ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? static_cast<LONG>(sys::ERROR_FILE_NOT_FOUND) : ErrorFromSqlite(rc);
}

LONG InsertChild(const Connection& connection, long long parent, std::string_view name, long long& child)
{
    LONG error = 0;
    Statement statement = connection.Prepare("INSERT INTO keys (parent, name, fold) VALUES (?1, ?2, ?3)", error);
    if (!statement)
        return error;
    sqlite3_bind_int64(statement.get(), 1, parent);
    BindText(statement.get(), 2, name);
    const std::string folded = Fold(name);
    BindText(statement.get(), 3, folded);
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_DONE)
        return ErrorFromSqlite(rc);
    child = sqlite3_last_insert_rowid(connection.Db());
    return sys::ERROR_SUCCESS;
}

LONG Walk(const Connection& connection, long long from, std::string_view path, long long& found)
{
    long long current = from;
    for (std::string_view part : SplitPath(path)) {
        const LONG error = FindChild(connection, current, part, current);
        if (error != sys::ERROR_SUCCESS)
            return error;
    }
    found = current;
    return sys::ERROR_SUCCESS;
}

bool KeyExists(const Connection& connection, long long id)
{
    LONG error = 0;
    Statement statement = connection.Prepare("SELECT 1 FROM keys WHERE id = ?1", error);
    if (!statement)
        return false;
    sqlite3_bind_int64(statement.get(), 1, id);
    return sqlite3_step(statement.get()) == SQLITE_ROW;
}

// Removes everything below `id`, and `id` itself unless it is told to stay.
LONG DeleteSubtree(const Connection& connection, long long id, bool keepRoot)
{
    static constexpr const char* kValues = R"sql(
WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN sub ON keys.parent = sub.id)
DELETE FROM vals WHERE key IN sub)sql";
    static constexpr const char* kKeys = R"sql(
WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN sub ON keys.parent = sub.id)
DELETE FROM keys WHERE id IN sub AND (?2 = 0 OR id <> ?1))sql";
    for (const char* sql : {kValues, kKeys}) {
        LONG error = 0;
        Statement statement = connection.Prepare(sql, error);
        if (!statement)
            return error;
        sqlite3_bind_int64(statement.get(), 1, id);
        sqlite3_bind_int(statement.get(), 2, keepRoot ? 1 : 0);
        const int rc = sqlite3_step(statement.get());
        if (rc != SQLITE_DONE)
            return ErrorFromSqlite(rc);
    }
    return sys::ERROR_SUCCESS;
}

// The name in column 0 of the index-th row of `sql` (?1 the key, ?2 the
// index) and, when asked, the type in column 1; 259 past the last row.
LONG NameByIndex(
    const Connection& connection, const char* sql, long long key, DWORD index, std::string& name, DWORD* type)
{
    LONG error = 0;
    Statement statement = connection.Prepare(sql, error);
    if (!statement)
        return error;
    sqlite3_bind_int64(statement.get(), 1, key);
    sqlite3_bind_int64(statement.get(), 2, index);
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE)
        return sys::ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return ErrorFromSqlite(rc);
    name.assign(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)),
        static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), 0)));
    if (type != nullptr)
        *type = static_cast<DWORD>(sqlite3_column_int64(statement.get(), 1));
    return sys::ERROR_SUCCESS;
}

// The Windows query's answer for a value of `length` bytes at `bytes`.
LONG CopyValue(DWORD storedType, const void* bytes, DWORD length, DWORD* type, void* data, DWORD* size)
{
    if (type != nullptr)
        *type = storedType;
    if (size == nullptr)
        return sys::ERROR_SUCCESS;
    const DWORD room = *size;
    *size = length;
    if (data == nullptr)
        return sys::ERROR_SUCCESS;
    if (room < length)
        return sys::ERROR_MORE_DATA;
    if (length > 0)
        std::memcpy(data, bytes, length);
    return sys::ERROR_SUCCESS;
}

// The desktop's file-type key that `path` names when the database has no
// key there: under HKEY_CLASSES_ROOT, one name deep. Asked only after the
// database said no, and outside its lock, since the table is built on
// first use.
const shell::FileTypeKey* FileTypeKeyAt(Hive hive, std::string_view path)
{
    if (hive != Hive::ClassesRoot)
        return nullptr;
    const std::vector<std::string_view> parts = SplitPath(path);
    return parts.size() == 1 ? shell::FileTypeKeys::Instance().Find(parts.front()) : nullptr;
}

} // namespace

// The database's subkeys of HKEY_CLASSES_ROOT, and the positions in the
// file-type table of those they hide, sorted.
struct Key::ClassesRootListing {
    std::vector<std::string> names;
    std::vector<std::size_t> hidden;
    DWORD next = 0;
};

std::string DatabasePath()
{
    return sys::PlatformDataDirectory() + "/registry.db";
}

Key::Key() = default;

Key::~Key() = default;

Key::Key(Key&& other) noexcept
    : database_(std::move(other.database_))
    , id_(std::exchange(other.id_, 0))
    , writable_(std::exchange(other.writable_, false))
    , fileType_(std::exchange(other.fileType_, nullptr))
    , listing_(std::move(other.listing_))
{
}

Key& Key::operator=(Key&& other) noexcept
{
    if (this != &other) {
        database_ = std::move(other.database_);
        id_ = std::exchange(other.id_, 0);
        writable_ = std::exchange(other.writable_, false);
        fileType_ = std::exchange(other.fileType_, nullptr);
        listing_ = std::move(other.listing_);
    }
    return *this;
}

LONG Key::Open(Hive hive, std::string_view path, Access access)
{
    Close();
    const std::string database = DatabasePath();
    const LONG error = WithDatabase(database, [&](const Connection& connection) -> LONG {
        long long found = 0;
        const LONG walked = Walk(connection, HiveId(hive), path, found);
        if (walked != sys::ERROR_SUCCESS)
            return walked;
        database_ = database;
        id_ = found;
        writable_ = access == Access::ReadWrite;
        return sys::ERROR_SUCCESS;
    });
    if (error != sys::ERROR_FILE_NOT_FOUND)
        return error;
    const shell::FileTypeKey* fileType = FileTypeKeyAt(hive, path);
    if (fileType == nullptr)
        return error;
    // The desktop's types are changed through its own tools, never here.
    if (access == Access::ReadWrite)
        return sys::ERROR_ACCESS_DENIED;
    fileType_ = fileType;
    return sys::ERROR_SUCCESS;
}

LONG Key::Create(Hive hive, std::string_view path, bool* created)
{
    Close();
    if (created != nullptr)
        *created = false;
    const std::string database = DatabasePath();
    return WithDatabase(database, [&](const Connection& connection) -> LONG {
        LONG error = 0;
        long long current = HiveId(hive);
        bool madeLast = false;
        error = WriteTransaction(connection, [&] {
            for (std::string_view part : SplitPath(path)) {
                LONG step = FindChild(connection, current, part, current);
                madeLast = step == sys::ERROR_FILE_NOT_FOUND;
                if (madeLast)
                    step = InsertChild(connection, current, part, current);
                if (step != sys::ERROR_SUCCESS)
                    return step;
            }
            return static_cast<LONG>(sys::ERROR_SUCCESS);
        });
        if (error != sys::ERROR_SUCCESS)
            return error;
        if (created != nullptr)
            *created = madeLast;
        database_ = database;
        id_ = current;
        writable_ = true;
        return sys::ERROR_SUCCESS;
    });
}

void Key::Close()
{
    database_.clear();
    id_ = 0;
    writable_ = false;
    fileType_ = nullptr;
    listing_.reset();
}

bool Key::IsOpen() const
{
    return id_ != 0 || fileType_ != nullptr;
}

LONG Key::QueryValue(std::string_view name, DWORD* type, void* data, DWORD* size) const
{
    if (!IsOpen())
        return sys::ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr)
        return sys::ERROR_INVALID_PARAMETER;
    if (fileType_ != nullptr) {
        if (!name.empty())
            return sys::ERROR_FILE_NOT_FOUND;
        const std::string& text = fileType_->defaultValue;
        return CopyValue(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1), type, data, size);
    }
    return WithDatabase(database_, [&](const Connection& connection) -> LONG {
        LONG error = 0;
        Statement statement = connection.Prepare("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2", error);
        if (!statement)
            return error;
        sqlite3_bind_int64(statement.get(), 1, id_);
        const std::string folded = Fold(name);
        BindText(statement.get(), 2, folded);
        const int rc = sqlite3_step(statement.get());
        if (rc == SQLITE_DONE)
            return KeyExists(connection, id_) ? sys::ERROR_FILE_NOT_FOUND : sys::ERROR_KEY_DELETED;
        if (rc != SQLITE_ROW)
            return ErrorFromSqlite(rc);
        const auto storedType = static_cast<DWORD>(sqlite3_column_int64(statement.get(), 0));
        const void* bytes = sqlite3_column_blob(statement.get(), 1);
        const auto length = static_cast<DWORD>(sqlite3_column_bytes(statement.get(), 1));
        return CopyValue(storedType, bytes, length, type, data, size);
    });
}

LONG Key::QueryString(std::string_view name, std::string& out, std::size_t maxBytes) const
{
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG error = QueryValue(name, &type, nullptr, &size);
    if (error != sys::ERROR_SUCCESS)
        return error;
    if (type != REG_SZ)
        return sys::ERROR_FILE_NOT_FOUND;
    std::string bytes(size, '\0');
    error = QueryValue(name, &type, bytes.data(), &size);
    if (error != sys::ERROR_SUCCESS)
        return error;
    bytes.resize(size);
    // A text stored without its NUL still reads as a text.
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
        bytes.resize(nul);
    if (bytes.size() + 1 > maxBytes)
        return sys::ERROR_MORE_DATA;
    out = std::move(bytes);
    return sys::ERROR_SUCCESS;
}

LONG Key::QueryDword(std::string_view name, DWORD& out) const
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG error = QueryValue(name, &type, &value, &size);
    if (error == sys::ERROR_MORE_DATA)
        return sys::ERROR_INVALID_DATA;
    if (error != sys::ERROR_SUCCESS)
        return error;
    if (type != REG_DWORD || size != sizeof value)
        return sys::ERROR_INVALID_DATA;
    out = value;
    return sys::ERROR_SUCCESS;
}

LONG Key::SetValue(std::string_view name, DWORD type, const void* data, DWORD size)
{
    if (!IsOpen())
        return sys::ERROR_INVALID_HANDLE;
    if (!writable_)
        return sys::ERROR_ACCESS_DENIED;
    if (data == nullptr && size != 0)
        return sys::ERROR_INVALID_PARAMETER;
    return WithDatabase(database_, [&](const Connection& connection) -> LONG {
        return WriteTransaction(connection, [&]() -> LONG {
            if (!KeyExists(connection, id_))
                return sys::ERROR_KEY_DELETED;
            LONG prepared = 0;
            // An update keeps the row, so the value keeps its place and spelling.
            Statement statement
                = connection.Prepare("INSERT INTO vals (key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                                     "ON CONFLICT (key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
                    prepared);
            if (!statement)
                return prepared;
            sqlite3_bind_int64(statement.get(), 1, id_);
            BindText(statement.get(), 2, name);
            const std::string folded = Fold(name);
            BindText(statement.get(), 3, folded);
            sqlite3_bind_int64(statement.get(), 4, type);
            // zeroblob for an empty value: a null blob would break NOT NULL.
            if (size == 0)
                sqlite3_bind_zeroblob(statement.get(), 5, 0);
            else
                sqlite3_bind_blob(statement.get(), 5, data, static_cast<int>(size), SQLITE_TRANSIENT);
            const int rc = sqlite3_step(statement.get());
            return rc == SQLITE_DONE ? static_cast<LONG>(sys::ERROR_SUCCESS) : ErrorFromSqlite(rc);
        });
    });
}

LONG Key::SetString(std::string_view name, std::string_view text)
{
    std::string bytes(text);
    return SetValue(name, REG_SZ, bytes.c_str(), static_cast<DWORD>(bytes.size() + 1));
}

LONG Key::SetDword(std::string_view name, DWORD value)
{
    return SetValue(name, REG_DWORD, &value, sizeof value);
}

LONG Key::SetBinary(std::string_view name, const std::vector<BYTE>& bytes)
{
    return SetValue(name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

LONG Key::DeleteValue(std::string_view name)
{
    if (!IsOpen())
        return sys::ERROR_INVALID_HANDLE;
    if (!writable_)
        return sys::ERROR_ACCESS_DENIED;
    return WithDatabase(database_, [&](const Connection& connection) -> LONG {
        return WriteTransaction(connection, [&]() -> LONG {
            LONG prepared = 0;
            Statement statement = connection.Prepare("DELETE FROM vals WHERE key = ?1 AND fold = ?2", prepared);
            if (!statement)
                return prepared;
            sqlite3_bind_int64(statement.get(), 1, id_);
            const std::string folded = Fold(name);
            BindText(statement.get(), 2, folded);
            const int rc = sqlite3_step(statement.get());
            if (rc != SQLITE_DONE)
                return ErrorFromSqlite(rc);
            return sqlite3_changes(connection.Db()) > 0 ? sys::ERROR_SUCCESS : sys::ERROR_FILE_NOT_FOUND;
        });
    });
}

LONG Key::EnumValue(DWORD index, std::string& name, DWORD* type) const
{
    if (!IsOpen())
        return sys::ERROR_INVALID_HANDLE;
    if (fileType_ != nullptr) {
        if (index > 0)
            return sys::ERROR_NO_MORE_ITEMS;
        name.clear();
        if (type != nullptr)
            *type = REG_SZ;
        return sys::ERROR_SUCCESS;
    }
    return WithDatabase(database_, [&](const Connection& connection) {
        return NameByIndex(connection, "SELECT name, type FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2", id_,
            index, name, type);
    });
}

LONG Key::EnumKey(DWORD index, std::string& name) const
{
    if (!IsOpen())
        return sys::ERROR_INVALID_HANDLE;
    if (fileType_ != nullptr)
        return sys::ERROR_NO_MORE_ITEMS;
    if (id_ == HiveId(Hive::ClassesRoot))
        return EnumClassesRoot(index, name);
    return WithDatabase(database_, [&](const Connection& connection) {
        return NameByIndex(connection, "SELECT name FROM keys WHERE parent = ?1 ORDER BY id LIMIT 1 OFFSET ?2", id_,
            index, name, nullptr);
    });
}

// Every call would otherwise read the database's subkeys again to know
// which file-type keys they hide: a whole enumeration of some two thousand
// keys is read once instead.
LONG Key::EnumClassesRoot(DWORD index, std::string& name) const
{
    if (!listing_ || index == 0 || index != listing_->next) {
        const LONG error = ListClassesRoot();
        if (error != sys::ERROR_SUCCESS)
            return error;
    }
    listing_->next = index + 1;
    const std::vector<std::string>& names = listing_->names;
    if (index < names.size()) {
        name = names[index];
        return sys::ERROR_SUCCESS;
    }
    // The position in the table moves past each hidden key at or before it.
    std::size_t position = index - names.size();
    for (const std::size_t at : listing_->hidden) {
        if (at > position)
            break;
        ++position;
    }
    const std::vector<shell::FileTypeKey>& types = shell::FileTypeKeys::Instance().Keys();
    if (position >= types.size())
        return sys::ERROR_NO_MORE_ITEMS;
    name = types[position].name;
    return sys::ERROR_SUCCESS;
}

LONG Key::ListClassesRoot() const
{
    auto listing = std::make_unique<ClassesRootListing>();
    std::vector<std::string> folds;
    const LONG error = WithDatabase(database_, [&](const Connection& connection) -> LONG {
        LONG prepared = 0;
        Statement statement = connection.Prepare("SELECT name, fold FROM keys WHERE parent = ?1 ORDER BY id", prepared);
        if (!statement)
            return prepared;
        sqlite3_bind_int64(statement.get(), 1, id_);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            listing->names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)),
                static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), 0)));
            folds.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1)),
                static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), 1)));
        }
        return rc == SQLITE_DONE ? static_cast<LONG>(sys::ERROR_SUCCESS) : ErrorFromSqlite(rc);
    });
    if (error != sys::ERROR_SUCCESS)
        return error;
    const shell::FileTypeKeys& types = shell::FileTypeKeys::Instance();
    for (const std::string& fold : folds) {
        if (const std::size_t at = types.IndexOf(fold); at != shell::FileTypeKeys::npos)
            listing->hidden.push_back(at);
    }
    std::sort(listing->hidden.begin(), listing->hidden.end());
    listing_ = std::move(listing);
    return sys::ERROR_SUCCESS;
}

LONG Key::DeleteTree(std::string_view subKey)
{
    if (!IsOpen())
        return sys::ERROR_INVALID_HANDLE;
    if (!writable_)
        return sys::ERROR_ACCESS_DENIED;
    const LONG error = DeleteTreeBelow(subKey);
    if (error == sys::ERROR_FILE_NOT_FOUND && id_ == HiveId(Hive::ClassesRoot)
        && FileTypeKeyAt(Hive::ClassesRoot, subKey) != nullptr)
        return sys::ERROR_ACCESS_DENIED;
    return error;
}

LONG Key::DeleteTreeBelow(std::string_view subKey)
{
    return WithDatabase(database_, [&](const Connection& connection) -> LONG {
        return WriteTransaction(connection, [&]() -> LONG {
            long long target = 0;
            const LONG found = Walk(connection, id_, subKey, target);
            if (found != sys::ERROR_SUCCESS)
                return found;
            // Without a subkey the key's contents go and the key itself stays.
            return DeleteSubtree(connection, target, target == id_);
        });
    });
}

LONG DeleteTree(Hive hive, std::string_view path)
{
    const std::string database = DatabasePath();
    const LONG error = WithDatabase(database, [&](const Connection& connection) -> LONG {
        return WriteTransaction(connection, [&]() -> LONG {
            const long long root = HiveId(hive);
            long long target = 0;
            const LONG found = Walk(connection, root, path, target);
            if (found != sys::ERROR_SUCCESS)
                return found;
            // A hive itself is never removed, only emptied.
            return DeleteSubtree(connection, target, target == root);
        });
    });
    if (error == sys::ERROR_FILE_NOT_FOUND && FileTypeKeyAt(hive, path) != nullptr)
        return sys::ERROR_ACCESS_DENIED;
    return error;
}

} // namespace platform::registry
