#pragma once

#include "Store.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace postgres {

// The values of one statement, sent in binary so that any bytes pass as they are.
class Params {
public:
    Params& text(const std::string& v);
    Params& optionalText(const std::optional<std::string>& v);
    Params& integer(long long v);
    Params& integers(const std::vector<long long>& v);
    Params& texts(const std::vector<std::string>& v);

    std::vector<unsigned> types;
    std::vector<const char*> values;
    std::vector<int> lengths, formats;

private:
    Params& add(unsigned type, std::string bytes);
    std::deque<std::string> m_bytes;
};

class Result {
public:
    explicit Result(pg_result* r);
    int rows() const;
    std::string text(int row, int column) const;
    long long integer(int row, int column) const;
    // Rows an INSERT, UPDATE or DELETE changed.
    long long changed() const;

private:
    std::shared_ptr<pg_result> m_r;
};

// One connection, used by one thread at a time; statements prepared on it once.
class Connection {
public:
    Connection(pg_conn* pg, bool readOnly) : m_pg(pg), m_readOnly(readOnly) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    // Throws Store::Error with the server's words when the statement fails.
    Result run(const char* sql, const Params& params = {});
    void exec(const char* sql);
    // The steps in one transaction, rolled back when they throw or return false.
    bool transaction(const std::function<bool()>& steps);
    bool broken() const;
    bool readOnly() const { return m_readOnly; }

private:
    [[noreturn]] void fail(const char* what, pg_result* r);
    pg_conn* m_pg;
    bool m_readOnly;
    std::set<const char*> m_prepared; // by the statement's text, a constant
};

// Up to kMax connections, opened when wanted, handed out in the order asked
// for; one found broken closes the idle ones too (a restarted server broke them all), so the next
// call connects afresh.
class Pool {
public:
    static constexpr int kMax = 8;
    Pool(std::string url, bool readOnly);
    ~Pool();
    // `work` on a connection of its own.
    void with(const std::function<void(Connection&)>& work);
    Result run(const char* sql, const Params& params = {});

private:
    std::unique_ptr<Connection> connect();
    struct Waiter {
        std::unique_ptr<Connection> connection;
        bool served = false;
        std::condition_variable handed;
    };
    const std::string m_url;
    const bool m_readOnly;
    std::mutex m_mutex;
    std::deque<Waiter*> m_waiters;
    std::vector<std::unique_ptr<Connection>> m_idle;
    int m_open = 0;
};

// Refuses a URL that holds a password: it would show in the process list.
void checkUrl(const std::string& url);

} // namespace postgres
