#pragma once
// A thin RAII face over the SQLite C API: a connection and prepared
// statements with typed binds and columns. Errors are values (false, none),
// never exceptions; the store decides what a failure means.
//
// A connection keeps the statements it compiled: when a Statement ends, its
// compiled form is reset and kept for the next prepare() of the same SQL,
// so that a query run again costs no compilation.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace photos {

class StatementCache;

class Statement {
public:
    Statement() = default;
    Statement(Statement&& o) noexcept;
    Statement& operator=(Statement&& o) noexcept;
    Statement(const Statement&) = delete;
    ~Statement();

    explicit operator bool() const { return m_stmt != nullptr; }
    Statement& bind(int index, int64_t v);
    Statement& bind(int index, double v);
    Statement& bind(int index, std::string_view v);
    Statement& bindNull(int index);
    Statement& bindBlob(int index, std::string_view bytes);
    // One step: true while a row is available. False at the end of the rows
    // and on an error alike: a loop over the rows asks failed() after it.
    bool step();
    // Whether the statement failed to compile, bind or step: the rows read
    // so far are not all of them.
    bool failed() const { return !m_stmt || m_failed; }
    // Runs to completion; false on an error.
    bool run();
    void reset();

    int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    std::string blob(int column) const;
    bool isNull(int column) const;

private:
    friend class Database;
    Statement(sqlite3_stmt* s, StatementCache* cache)
        : m_stmt(s)
        , m_cache(cache) {}
    sqlite3_stmt* m_stmt = nullptr;
    StatementCache* m_cache = nullptr; // where the compiled statement goes back
    bool m_failed = false;
};

class Database {
public:
    // Opens (creating) the file; none when SQLite cannot open it.
    static std::optional<Database> open(const std::string& hostPath);
    Database(Database&& o) noexcept;
    Database& operator=(Database&& o) noexcept;
    Database(const Database&) = delete;
    ~Database();

    // An invalid statement (false) when the SQL does not compile.
    Statement prepare(std::string_view sql);
    bool exec(std::string_view sql);
    int64_t lastInsertId() const;
    int changes() const;
    std::string lastError() const;
    // The primary result code of the last failed call (SQLITE_BUSY, ...).
    int lastErrorCode() const;
    // Whether that failure was another connection holding a lock.
    bool lastErrorWasBusy() const;
    sqlite3* handle() const { return m_db; }

private:
    explicit Database(sqlite3* db);
    sqlite3* m_db = nullptr;
    std::unique_ptr<StatementCache> m_cache;
};

} // namespace photos
