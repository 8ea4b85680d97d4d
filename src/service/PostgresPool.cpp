#include "PostgresPool.h"

#include <libpq-fe.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace postgres {

namespace {

// The types' numbers in the server's catalogue.
constexpr unsigned kInt8 = 20, kText = 25, kTextArray = 1009, kInt8Array = 1016;

void put32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

std::string bigEndian(long long v) {
    std::string out;
    const auto u = static_cast<uint64_t>(v);
    put32(out, static_cast<uint32_t>(u >> 32));
    put32(out, static_cast<uint32_t>(u));
    return out;
}

// A one-dimensional array in the server's binary form.
template <class T, class Encode>
std::string array(unsigned elementType, const std::vector<T>& items, Encode encode) {
    std::string out;
    put32(out, items.empty() ? 0 : 1); // dimensions
    put32(out, 0);                     // no nulls
    put32(out, elementType);
    if (!items.empty()) {
        put32(out, static_cast<uint32_t>(items.size()));
        put32(out, 1); // lower bound
    }
    for (const T& item : items) {
        const std::string bytes = encode(item);
        put32(out, static_cast<uint32_t>(bytes.size()));
        out += bytes;
    }
    return out;
}

std::string trimmed(const char* message) {
    std::string s = message ? message : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

} // namespace

Params& Params::add(unsigned type, std::string bytes) {
    m_bytes.push_back(std::move(bytes));
    types.push_back(type);
    values.push_back(m_bytes.back().data());
    lengths.push_back(static_cast<int>(m_bytes.back().size()));
    formats.push_back(1);
    return *this;
}

Params& Params::text(const std::string& v) {
    return add(kText, v);
}

Params& Params::optionalText(const std::optional<std::string>& v) {
    if (v)
        return text(*v);
    types.push_back(kText);
    values.push_back(nullptr);
    lengths.push_back(0);
    formats.push_back(1);
    return *this;
}

Params& Params::integer(long long v) {
    return add(kInt8, bigEndian(v));
}

Params& Params::integers(const std::vector<long long>& v) {
    return add(kInt8Array, array(kInt8, v, bigEndian));
}

Params& Params::texts(const std::vector<std::string>& v) {
    return add(kTextArray, array(kText, v, [](const std::string& s) { return s; }));
}

Result::Result(pg_result* r) : m_r(r, PQclear) {}

int Result::rows() const {
    return PQntuples(m_r.get());
}

std::string Result::text(int row, int column) const {
    if (row >= rows())
        return {};
    return {PQgetvalue(m_r.get(), row, column),
            static_cast<size_t>(PQgetlength(m_r.get(), row, column))};
}

long long Result::integer(int row, int column) const {
    if (row >= rows())
        return 0;
    return std::strtoll(PQgetvalue(m_r.get(), row, column), nullptr, 10);
}

long long Result::changed() const {
    return std::strtoll(PQcmdTuples(m_r.get()), nullptr, 10);
}

Connection::~Connection() {
    PQfinish(m_pg);
}

bool Connection::broken() const {
    return PQstatus(m_pg) != CONNECTION_OK;
}

void Connection::fail(const char* what, pg_result* r) {
    std::string why = trimmed(r ? PQresultErrorMessage(r) : "");
    if (why.empty())
        why = trimmed(PQerrorMessage(m_pg));
    PQclear(r);
    throw Store::Error(std::string("database ") + what + ": " + why);
}

Result Connection::run(const char* sql, const Params& params) {
    char name[32];
    std::snprintf(name, sizeof name, "q%p", static_cast<const void*>(sql));
    const int n = static_cast<int>(params.values.size());
    if (!m_prepared.count(sql)) {
        PGresult* r = PQprepare(m_pg, name, sql, n, params.types.data());
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            fail("prepare", r);
        PQclear(r);
        m_prepared.insert(sql);
    }
    PGresult* r = PQexecPrepared(m_pg, name, n, params.values.data(), params.lengths.data(),
                                 params.formats.data(), 0);
    const auto status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail("statement", r);
    return Result(r);
}

void Connection::exec(const char* sql) {
    PGresult* r = PQexec(m_pg, sql);
    const auto status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail("statement", r);
    PQclear(r);
}

bool Connection::transaction(const std::function<bool()>& steps) {
    exec("BEGIN");
    bool keep = false;
    try {
        keep = steps();
    } catch (...) {
        if (!broken())
            PQclear(PQexec(m_pg, "ROLLBACK"));
        throw;
    }
    exec(keep ? "COMMIT" : "ROLLBACK");
    return keep;
}

void checkUrl(const std::string& url) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(url.c_str(), &error);
    if (!options) {
        const std::string why = error ? trimmed(error) : "out of memory";
        PQfreemem(error);
        throw Store::Error("bad database URL: " + why);
    }
    bool password = false;
    for (auto o = options; o->keyword; ++o)
        password |= std::string(o->keyword) == "password" && o->val && *o->val;
    PQconninfoFree(options);
    if (password)
        throw Store::Error("the database URL holds a password, which anyone could read in the "
                           "process list: put it in ~/.pgpass or PGPASSWORD instead");
}

Pool::Pool(std::string url, bool readOnly) : m_url(std::move(url)), m_readOnly(readOnly) {
    checkUrl(m_url);
    m_idle.push_back(connect()); // an unreachable server is said at once
    m_open = 1;
}

Pool::~Pool() = default;

std::unique_ptr<Connection> Pool::connect() {
    // The URL's own settings win over these defaults.
    const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {"10", "quorvel-service", m_url.c_str(), nullptr};
    PGconn* pg = PQconnectdbParams(keys, values, 1);
    if (!pg)
        throw Store::Error("cannot connect to the database: out of memory");
    auto connection = std::make_unique<Connection>(pg, m_readOnly);
    if (PQstatus(pg) != CONNECTION_OK)
        throw Store::Error("cannot connect to the database: " + trimmed(PQerrorMessage(pg)));
    // Every write is on the server's disk before its answer.
    connection->exec(m_readOnly ? "SET default_transaction_read_only = on"
                                : "SET synchronous_commit = on");
    return connection;
}

// First come, first served: a call never waits while later ones overtake it.
void Pool::with(const std::function<void(Connection&)>& work) {
    std::unique_ptr<Connection> connection;
    {
        std::unique_lock lock(m_mutex);
        if (m_waiters.empty() && !m_idle.empty()) {
            connection = std::move(m_idle.back());
            m_idle.pop_back();
        } else if (m_waiters.empty() && m_open < kMax) {
            ++m_open;
        } else {
            Waiter me;
            m_waiters.push_back(&me);
            me.handed.wait(lock, [&] { return me.served; });
            connection = std::move(me.connection); // none: its place, to connect in
        }
    }
    // The connection, or its place when it broke, goes to the first waiting.
    const auto giveBack = [&] {
        std::lock_guard lock(m_mutex);
        if (connection && connection->broken()) {
            connection.reset();
            m_open -= static_cast<int>(m_idle.size());
            m_idle.clear();
        }
        if (!m_waiters.empty()) {
            Waiter* next = m_waiters.front();
            m_waiters.pop_front();
            next->connection = std::move(connection);
            next->served = true;
            next->handed.notify_one();
        } else if (connection) {
            m_idle.push_back(std::move(connection));
        } else {
            --m_open;
        }
    };
    try {
        if (!connection)
            connection = connect();
        work(*connection);
    } catch (...) {
        giveBack();
        throw;
    }
    giveBack();
}

Result Pool::run(const char* sql, const Params& params) {
    std::optional<Result> result;
    with([&](Connection& c) { result = c.run(sql, params); });
    return *result;
}

} // namespace postgres
