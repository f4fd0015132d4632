#pragma once
// Enciphering of the one stored service password: a short text becomes a
// printable text that can be kept in the settings file, and back.
#include <QString>

namespace shell {

// The enciphered form of `s` (URL-safe Base64, no padding, a fresh random
// nonce each time); "" for "" and for any failure.
QString EncryptString(const QString& s);

// The plain text of a value made by EncryptString; "" for "" and for anything
// that was not enciphered under the program's key or was altered since.
QString DecryptString(const QString& s);

} // namespace shell
