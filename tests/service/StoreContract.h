#pragma once

// What every store promises, held against both kinds: an SQLite file and a
// PostgreSQL database (of the throwaway cluster pg_virtualenv starts), each
// test on a database of its own.
#include "Store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <map>
#include <set>
#include <thread>

inline const char* const kNoPostgres =
    "no PostgreSQL server: run scripts/deps.sh, and this test under pg_virtualenv (ctest does)";

// A connection to the cluster the environment names (PGHOST, PGUSER, ...).
struct Admin {
    explicit Admin(const std::string& database = {}, bool connect = true) {
        const char* keys[] = {"dbname", nullptr};
        const char* values[] = {database.empty() ? nullptr : database.c_str(), nullptr};
        pg = connect && std::getenv("PGHOST") ? PQconnectdbParams(keys, values, 0) : nullptr;
    }
    ~Admin() { PQfinish(pg); }
    bool ok() const { return pg && PQstatus(pg) == CONNECTION_OK; }
    std::string exec(const std::string& sql) {
        PGresult* r = PQexec(pg, sql.c_str());
        std::string out = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r)
                              ? PQgetvalue(r, 0, 0)
                              : std::string(PQresultErrorMessage(r));
        PQclear(r);
        return out;
    }
    PGconn* pg;
};

// A fresh database of one kind, gone with the object.
class Database {
public:
    explicit Database(const std::string& kind)
        : m_postgres(kind == "Postgres"), m_admin({}, m_postgres) {
        static std::atomic<int> made{0};
        if (!m_postgres) {
            url = m_dir.filePath("contract.sqlite").toStdString();
            return;
        }
        m_name = "contract_" + std::to_string(getpid()) + "_" + std::to_string(++made);
        if (!m_admin.ok())
            return;
        m_admin.exec("CREATE DATABASE " + m_name);
        url = "postgresql:///" + m_name;
    }
    ~Database() {
        if (!m_name.empty() && m_admin.ok())
            m_admin.exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    }
    // Runs `sql` on the database behind the store's back.
    void execute(const std::string& sql) {
        if (m_postgres) {
            Admin on(m_name);
            EXPECT_EQ(on.exec(sql), "");
            return;
        }
        sqlite3* db = nullptr;
        sqlite3_open(url.c_str(), &db);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    Admin& admin() { return m_admin; }
    const std::string& name() const { return m_name; }
    std::string url;

private:
    bool m_postgres;
    QTemporaryDir m_dir;
    Admin m_admin;
    std::string m_name;
};

inline const std::string kDay = "2027-01-15", kNow = "2027-01-15 08:00:00";

class StoreContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_FALSE(database.url.empty()) << kNoPostgres;
        store = openStore(database.url);
    }
    void signOn(const std::string& user, bool enrol = true) {
        store->signOn(user, {}, {}, kNow, enrol);
    }
    // Stores the texts as one submission of `user`.
    void add(const std::string& user, const std::vector<std::string>& texts) {
        signOn(user);
        std::vector<Store::Message> m;
        for (const std::string& t : texts)
            m.push_back({"+447700900", t});
        ASSERT_EQ(store->submit(user, m, kDay, kNow, 100000).kind, Store::Outcome::Accepted);
    }
    // The messages' ids by text: a fresh database numbers them from 1.
    std::map<std::string, long long> ids() {
        std::map<std::string, long long> out;
        long long id = 0;
        store->list("", [&](const Store::Row& r) { out[r.text] = ++id; });
        return out;
    }
    std::string claim(const std::string& node, long long now, int perUser = 100, int limit = 100) {
        std::string out;
        for (const auto& w : store->claim(node, perUser, limit, now, now + 60))
            out += (out.empty() ? "" : " ") + w.text;
        return out;
    }
    std::vector<long long> queue(const std::string& node, const std::string& line,
                                 const std::vector<std::string>& texts) {
        const auto id = ids();
        std::vector<Store::Handover> handovers;
        for (const std::string& t : texts)
            handovers.push_back({id.at(t), line, id.at(t) * 10, "[" + t + "]"});
        return store->recordQueued(node, handovers);
    }
    std::vector<long long> idsOf(const std::vector<std::string>& texts) {
        const auto id = ids();
        std::vector<long long> out;
        for (const std::string& t : texts)
            out.push_back(id.at(t));
        return out;
    }
    // text: state line entry done reason, of every message
    std::map<std::string, std::string> states() {
        std::map<std::string, std::string> out;
        store->list("", [&](const Store::Row& r) {
            out[r.text] = r.state + " " + r.line + " " + std::to_string(r.entryId) + " " + r.done +
                          " " + r.reason;
        });
        return out;
    }
    std::string queuedOn(const std::string& node, const std::string& line) {
        std::string out;
        for (const auto& q : store->queuedOn(node, line))
            out += q.text + ":" + q.entry + (q.appended ? " appended" : "") + " failures " +
                   std::to_string(q.failures) + " moves " + std::to_string(q.moves) + "; ";
        return out;
    }

    Database database{GetParam()};
    std::unique_ptr<Store> store;
};
