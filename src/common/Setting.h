#pragma once

#include <QString>

// The catalogue of stored settings both programs share: each value's name and
// the default stored when it is missing. Reads and writes go through the
// registry routines, so an unreadable value still reads as "Error".
namespace Setting {

struct Key {
    const char* name;
    // Stored at start when missing; nullptr: nothing is stored.
    const char* storedDefault;
};

inline constexpr Key OutDial{"OUT_DIAL", "-1"};
inline constexpr Key OutDialOption{"OUT_DIAL_OPTION", "0"};
inline constexpr Key ModemConn{"MODEM_CONN", "2"};
inline constexpr Key ShowOption{"SHOW_OPTION", "0"};
inline constexpr Key ShowOutlook{"SHOW_OUTLOOK", "0"};
inline constexpr Key StartInTray{"CLSID:0XA7", nullptr};
inline constexpr Key BackColour{"CLSID:0X5A", nullptr};
// The address book's folder; unset: $XDG_DATA_HOME/contacts.
inline constexpr Key ContactsDir{"CONTACTS_DIR", nullptr};
// The Internet route: the service, and who this installation's user is.
inline constexpr Key ServerUrl{"SERVER_URL", "http://127.0.0.1:8480"};
// A PEM file of certificates trusted besides the system's (an office's own CA).
inline constexpr Key ServerCa{"SERVER_CA", nullptr};
inline constexpr Key UserId{"USER_ID", nullptr}; // made once, at the first start
inline constexpr Key UserMobile{"USER_MOBILE", nullptr};
inline constexpr Key UserEmail{"USER_EMAIL", nullptr};

// The value text, or "Error".
QString read(const Key& key);
// The value text; empty when nothing is stored yet (read gives "Error").
QString readOrEmpty(const Key& key);
void write(const Key& key, const QString& value);
// Creates the settings key when needed (values go only into a key), then
// stores the default when the value is missing.
void storeDefaultIfMissing(const Key& key);
// The stored value, storing the default first when it is missing.
QString readOrStoreDefault(const Key& key);
// The leading number of the value; `fallback` when it cannot be read.
long long readNumber(const Key& key, long long fallback);

} // namespace Setting
