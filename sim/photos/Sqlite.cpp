#include "sim/photos/Sqlite.h"

#include <map>
#include <mutex>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace photos {

// Idle compiled statements by their SQL. A few dozen distinct queries are
// kept; SQL beyond that (queries with a varying number of values) is
// finalized when its statement ends.
class StatementCache {
public:
    static constexpr std::size_t kMaxQueries = 64;
    ~StatementCache() {
        for (auto& [sql, idle] : m_idle)
            for (sqlite3_stmt* s : idle)
                sqlite3_finalize(s);
    }
    sqlite3_stmt* take(std::string_view sql) {
        std::lock_guard guard(m_lock);
        auto it = m_idle.find(sql);
        if (it == m_idle.end() || it->second.empty()) return nullptr;
        sqlite3_stmt* s = it->second.back();
        it->second.pop_back();
        return s;
    }
    void give(sqlite3_stmt* s) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        std::lock_guard guard(m_lock);
        std::string_view sql = sqlite3_sql(s);
        auto it = m_idle.find(sql);
        if (it == m_idle.end()) {
            if (m_idle.size() >= kMaxQueries) {
                sqlite3_finalize(s);
                return;
            }
            it = m_idle.emplace(std::string(sql), std::vector<sqlite3_stmt*>{}).first;
        }
        it->second.push_back(s);
    }

private:
    std::mutex m_lock;
    std::map<std::string, std::vector<sqlite3_stmt*>, std::less<>> m_idle;
};

Statement::Statement(Statement&& o) noexcept
    : m_stmt(std::exchange(o.m_stmt, nullptr))
    , m_cache(o.m_cache)
    , m_failed(o.m_failed) {}

Statement& Statement::operator=(Statement&& o) noexcept {
    std::swap(m_stmt, o.m_stmt);
    std::swap(m_cache, o.m_cache);
    std::swap(m_failed, o.m_failed);
    return *this;
}

Statement::~Statement() {
    if (!m_stmt) return;
    if (m_cache)
        m_cache->give(m_stmt);
    else
        sqlite3_finalize(m_stmt);
}

Statement& Statement::bind(int index, int64_t v) {
    if (m_stmt && sqlite3_bind_int64(m_stmt, index, v) != SQLITE_OK) m_failed = true;
    return *this;
}
Statement& Statement::bind(int index, double v) {
    if (m_stmt && sqlite3_bind_double(m_stmt, index, v) != SQLITE_OK) m_failed = true;
    return *this;
}
Statement& Statement::bind(int index, std::string_view v) {
    if (m_stmt && sqlite3_bind_text(m_stmt, index, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        m_failed = true;
    return *this;
}
Statement& Statement::bindBlob(int index, std::string_view v) {
    if (m_stmt && sqlite3_bind_blob(m_stmt, index, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        m_failed = true;
    return *this;
}
Statement& Statement::bindNull(int index) {
    if (m_stmt && sqlite3_bind_null(m_stmt, index) != SQLITE_OK) m_failed = true;
    return *this;
}

bool Statement::step() {
    if (!m_stmt || m_failed) return false;
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) m_failed = true;
    return false;
}

bool Statement::run() {
    while (step()) {
    }
    return m_stmt && !m_failed;
}

void Statement::reset() {
    if (!m_stmt) return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_failed = false;
}

int64_t Statement::integer(int c) const { return sqlite3_column_int64(m_stmt, c); }
double Statement::real(int c) const { return sqlite3_column_double(m_stmt, c); }
std::string Statement::text(int c) const {
    const auto* p = sqlite3_column_text(m_stmt, c);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, c)))
             : std::string();
}
std::string Statement::blob(int c) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, c));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, c))) : std::string();
}
bool Statement::isNull(int c) const { return sqlite3_column_type(m_stmt, c) == SQLITE_NULL; }

std::optional<Database> Database::open(const std::string& hostPath) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(hostPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    // Writers in other processes hold the lock briefly; wait rather than fail.
    sqlite3_busy_timeout(db, 5000);
    return Database(db);
}

Database::Database(sqlite3* db)
    : m_db(db)
    , m_cache(std::make_unique<StatementCache>()) {}
Database::Database(Database&& o) noexcept
    : m_db(std::exchange(o.m_db, nullptr))
    , m_cache(std::move(o.m_cache)) {}
Database& Database::operator=(Database&& o) noexcept {
    std::swap(m_db, o.m_db);
    std::swap(m_cache, o.m_cache);
    return *this;
}
Database::~Database() {
    m_cache.reset(); // finalizes the kept statements before the connection closes
    sqlite3_close(m_db);
}

Statement Database::prepare(std::string_view sql) {
    if (sqlite3_stmt* kept = m_cache->take(sql)) return Statement(kept, m_cache.get());
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        return Statement();
    }
    return Statement(s, m_cache.get());
}

bool Database::exec(std::string_view sql) {
    std::string text(sql);
    return sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }
int Database::changes() const { return sqlite3_changes(m_db); }
std::string Database::lastError() const { return sqlite3_errmsg(m_db); }
int Database::lastErrorCode() const { return sqlite3_errcode(m_db) & 0xFF; }
bool Database::lastErrorWasBusy() const {
    int code = lastErrorCode();
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

} // namespace photos
