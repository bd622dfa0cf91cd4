#include "shoppassword.h"

#include "database.h"
#include "recordset.h"
#include "storeerror.h"

#include <sodium.h>

namespace shoppassword {
namespace {

void initSodium()
{
    if (sodium_init() < 0)
        throw StoreError(StoreError::EngineError, QStringLiteral("The password library cannot be started."));
}

// Legacy plain text is compared through fixed-size digests, so that neither the content
// nor the length of the stored value shows in the time taken.
bool plainMatches(const QByteArray &entered, const QByteArray &stored)
{
    unsigned char a[crypto_generichash_BYTES];
    unsigned char b[crypto_generichash_BYTES];
    crypto_generichash(a, sizeof a, reinterpret_cast<const unsigned char *>(entered.constData()),
                       size_t(entered.size()), nullptr, 0);
    crypto_generichash(b, sizeof b, reinterpret_cast<const unsigned char *>(stored.constData()),
                       size_t(stored.size()), nullptr, 0);
    return sodium_memcmp(a, b, sizeof a) == 0;
}

} // namespace

QString hash(const QString &password)
{
    initSodium();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw StoreError(StoreError::EngineError, QStringLiteral("The password cannot be protected: not enough memory."));
    return QString::fromLatin1(out);
}

bool isHash(const QString &stored)
{
    return stored.startsWith(QLatin1String("$argon2id$")) || stored.startsWith(QLatin1String("$argon2i$"));
}

bool matches(const QString &entered, const QString &stored)
{
    initSodium();
    const QByteArray utf8 = entered.toUtf8();
    if (!isHash(stored))
        return plainMatches(utf8, stored.toUtf8());
    const QByteArray hashed = stored.toLatin1();
    return crypto_pwhash_str_verify(hashed.constData(), utf8.constData(), quint64(utf8.size())) == 0;
}

bool check(const QString &entered)
{
    RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
    const QString stored = misc.value(QStringLiteral("password")).toString();
    if (!matches(entered, stored))
        return false;
    if (!isHash(stored)) {
        misc.edit();
        misc.setValue(QStringLiteral("password"), hash(entered));
        misc.update();
    }
    return true;
}

void change(const QString &newPassword)
{
    RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
    const QString hashed = hash(newPassword);
    misc.edit();
    misc.setValue(QStringLiteral("password"), hashed);
    misc.update();
}

} // namespace shoppassword
