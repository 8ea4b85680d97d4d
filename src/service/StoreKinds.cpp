#include "PostgresStore.h"
#include "SqliteStore.h"
#include "Store.h"

bool isPostgresUrl(const std::string& db) {
    return db.starts_with("postgresql://") || db.starts_with("postgres://");
}

std::unique_ptr<Store> openStore(const std::string& db, bool readOnly) {
    if (isPostgresUrl(db))
        return std::make_unique<PostgresStore>(db, readOnly);
    return std::make_unique<SqliteStore>(db, readOnly);
}
