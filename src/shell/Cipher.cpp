#include "shell/Cipher.h"

#include <QByteArray>
#include <sodium.h>

#include <array>

namespace shell {
namespace {

// The program's fixed cipher key text; the secret key is derived from it.
constexpr char kCipherKeyText[] = "qz7hw2mxpa4rtv9bnc3kdy";

constexpr auto kBase64Options = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

using SecretKey = std::array<unsigned char, crypto_secretbox_KEYBYTES>;

// Derives the secret key; false when the library cannot be used.
bool deriveKey(SecretKey& key)
{
    if (sodium_init() < 0)
        return false;
    static_assert(crypto_secretbox_KEYBYTES >= crypto_generichash_BYTES_MIN
                  && crypto_secretbox_KEYBYTES <= crypto_generichash_BYTES_MAX);
    return crypto_generichash(key.data(), key.size(),
                              reinterpret_cast<const unsigned char*>(kCipherKeyText),
                              sizeof(kCipherKeyText) - 1, nullptr, 0)
        == 0;
}

} // namespace

QString EncryptString(const QString& s)
{
    if (s.isEmpty())
        return {};
    SecretKey key;
    if (!deriveKey(key))
        return {};

    const QByteArray plain = s.toUtf8();
    // nonce followed by the authenticated cipher text
    QByteArray box(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + plain.size(), Qt::Uninitialized);
    auto* nonce = reinterpret_cast<unsigned char*>(box.data());
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    const int rc = crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                                         reinterpret_cast<const unsigned char*>(plain.constData()),
                                         static_cast<unsigned long long>(plain.size()), nonce, key.data());
    sodium_memzero(key.data(), key.size());
    if (rc != 0)
        return {};
    return QString::fromLatin1(box.toBase64(kBase64Options));
}

QString DecryptString(const QString& s)
{
    if (s.isEmpty())
        return {};

    const QByteArray encoded = s.trimmed().toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(
        encoded, kBase64Options | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    const QByteArray& box = *decoded;
    // The encoding must be exactly the one EncryptString writes.
    if (box.toBase64(kBase64Options) != encoded)
        return {};
    if (box.size() < qsizetype(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES))
        return {};

    SecretKey key;
    if (!deriveKey(key))
        return {};
    const auto* nonce = reinterpret_cast<const unsigned char*>(box.constData());
    const auto* cipher = nonce + crypto_secretbox_NONCEBYTES;
    const qsizetype cipherSize = box.size() - qsizetype(crypto_secretbox_NONCEBYTES);
    QByteArray plain(cipherSize - qsizetype(crypto_secretbox_MACBYTES), Qt::Uninitialized);
    const int rc = crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()), cipher,
                                              static_cast<unsigned long long>(cipherSize), nonce, key.data());
    sodium_memzero(key.data(), key.size());
    if (rc != 0)
        return {};
    return QString::fromUtf8(plain);
}

} // namespace shell
