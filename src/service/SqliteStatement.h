#pragma once

#include "SqliteStore.h"

#include <sqlite3.h>

// The columns of a message as Statement::row() reads them.
inline constexpr const char* kRowColumns =
    "received, user_id, number, text, state, COALESCE(line, ''), COALESCE(entry_id, 0),"
    " COALESCE(done, ''), COALESCE(reason, '')";

// Resets a shared statement whatever way the caller leaves.
class SqliteStore::Statement {
public:
    explicit Statement(sqlite3_stmt* s) : m_s(s) {}
    ~Statement() {
        sqlite3_reset(m_s);
        sqlite3_clear_bindings(m_s);
    }
    Statement& text(int i, const std::string& v) {
        sqlite3_bind_text(m_s, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
        return *this;
    }
    Statement& optionalText(int i, const std::optional<std::string>& v) {
        if (v)
            return text(i, *v);
        sqlite3_bind_null(m_s, i);
        return *this;
    }
    Statement& integer(int i, long long v) {
        sqlite3_bind_int64(m_s, i, v);
        return *this;
    }
    int step() { return sqlite3_step(m_s); }
    std::string column(int i) {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(m_s, i));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_s, i)))
                 : std::string();
    }
    long long columnInt(int i) { return sqlite3_column_int64(m_s, i); }
    // A message as SqliteStore::kRowColumns selects it.
    SqliteStore::Row row() {
        return {column(0), column(1),    column(2), column(3), column(4),
                column(5), columnInt(6), column(7), column(8)};
    }

private:
    sqlite3_stmt* m_s;
};
