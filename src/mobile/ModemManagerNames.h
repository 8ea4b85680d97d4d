#pragma once

// ModemManager's bus name, object paths and interfaces, as it publishes them.
namespace ModemManagerNames {
inline constexpr char kService[] = "org.freedesktop.ModemManager1";
inline constexpr char kManagerPath[] = "/org/freedesktop/ModemManager1";
inline constexpr char kModem[] = "org.freedesktop.ModemManager1.Modem";
inline constexpr char kModem3gpp[] = "org.freedesktop.ModemManager1.Modem.Modem3gpp";
inline constexpr char kMessaging[] = "org.freedesktop.ModemManager1.Modem.Messaging";
inline constexpr char kSms[] = "org.freedesktop.ModemManager1.Sms";
inline constexpr char kObjectManager[] = "org.freedesktop.DBus.ObjectManager";
inline constexpr char kProperties[] = "org.freedesktop.DBus.Properties";
// Error names start with this, then the domain: "Core.WrongState".
inline constexpr char kErrorPrefix[] = "org.freedesktop.ModemManager1.Error.";
} // namespace ModemManagerNames
