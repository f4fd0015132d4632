#include "platform/jet/SqlFunctions.h"

#include "platform/jet/Jet.h"

#include <sqlite3.h>
#include <string>

#include <unicode/ucol.h>

#include <cmath>
#include <vector>

namespace jet::detail {
namespace {

UCollator* newRussianCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* coll = ucol_open("ru_RU", &status);
    if (U_FAILURE(status) || !coll)
        return nullptr;
    // Secondary strength: letter case is ignored, Ё stays beside Е.
    ucol_setStrength(coll, UCOL_SECONDARY);
    // Latin before Cyrillic, as the Windows Russian sort order has it (the
    // Russian ICU tailoring would put Cyrillic first).
    status = U_ZERO_ERROR;
    ucol_setReorderCodes(coll, nullptr, 0, &status);
    return coll;
}

UCollator* sharedCollator()
{
    static UCollator* coll = newRussianCollator();
    return coll;
}

int collateCallback(void* arg, int lenA, const void* a, int lenB, const void* b)
{
    auto* coll = static_cast<UCollator*>(arg);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(coll, static_cast<const char*>(a), lenA,
                                                static_cast<const char*>(b), lenB, &status);
    if (U_FAILURE(status)) {
        // Fall back to byte order so that sorting stays total.
        const int n = std::min(lenA, lenB);
        const int c = std::memcmp(a, b, static_cast<size_t>(n));
        return c != 0 ? c : lenA - lenB;
    }
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

void destroyCollator(void* arg)
{
    ucol_close(static_cast<UCollator*>(arg));
}

QString argText(sqlite3_value* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void upperFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, argText(argv[0]).toUpper());
}

void lowerFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, argText(argv[0]).toLower());
}

void likeFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QChar escape;
    if (argc == 3) {
        const QString e = argText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    // like(pattern, text) is how SQLite calls it for "text LIKE pattern".
    sqlite3_result_int(ctx, likeMatch(argText(argv[0]), argText(argv[1]), escape) ? 1 : 0);
}

void valFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(ctx);
        return;
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        return;
    case SQLITE_FLOAT:
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
        return;
    default: {
        const double d = vbVal(argText(argv[0]));
        if (std::trunc(d) == d && std::fabs(d) < 9.0e15)
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(d));
        else
            sqlite3_result_double(ctx, d);
    }
    }
}

void isnullFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0);
}

} // namespace

bool likeMatch(const QString& pattern, const QString& text, QChar escape)
{
    const QString p = pattern.toCaseFolded();
    const QString t = text.toCaseFolded();
    // Iterative matcher with backtracking on the last '%'.
    qsizetype pi = 0, ti = 0, starP = -1, starT = -1;
    while (ti < t.size()) {
        if (pi < p.size()) {
            const QChar c = p.at(pi);
            if (!escape.isNull() && c == escape && pi + 1 < p.size()) {
                if (p.at(pi + 1) == t.at(ti)) {
                    pi += 2;
                    ++ti;
                    continue;
                }
            } else if (c == QLatin1Char('%')) {
                starP = pi++;
                starT = ti;
                continue;
            } else if (c == QLatin1Char('_') || c == t.at(ti)) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < p.size() && p.at(pi) == QLatin1Char('%'))
        ++pi;
    return pi == p.size();
}

int collateRu(const QString& a, const QString& b)
{
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    UCollator* coll = sharedCollator();
    if (!coll)
        return QString::compare(a, b, Qt::CaseInsensitive);
    return collateCallback(coll, int(ua.size()), ua.constData(), int(ub.size()), ub.constData());
}

QByteArray collationKeyRu(const QString& text)
{
    UCollator* coll = sharedCollator();
    if (!coll)
        return text.toCaseFolded().toUtf8();
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    QByteArray key(std::max<qsizetype>(32, text.size() * 4 + 8), Qt::Uninitialized);
    int32_t needed = ucol_getSortKey(coll, chars, length, reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
    if (needed > key.size()) {
        key.resize(needed);
        needed = ucol_getSortKey(coll, chars, length, reinterpret_cast<uint8_t*>(key.data()), needed);
    }
    key.resize(std::max(0, needed - 1));  // without the terminating zero
    return key;
}

namespace {

// textlength(x): the characters of a text as the rest of the program counts
// them (UTF-16 units), every one of them: the built-in length() stops at the
// first NUL character.
void textLengthFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* p = static_cast<const unsigned char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    sqlite3_int64 units = 0;
    for (int i = 0; i < bytes; ++i) {
        const unsigned char c = p[i];
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    sqlite3_result_int64(ctx, units);
}

// digitsonly(text): the digits of a text in their order; Null for Null and
// for a text without digits.
void digitsOnlyFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int length = sqlite3_value_bytes(argv[0]);
    std::string digits;
    for (int i = 0; i < length; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            digits.push_back(text[i]);
    if (digits.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, digits.data(), int(digits.size()), SQLITE_TRANSIENT);
}

} // namespace

bool registerTextSemantics(sqlite3* db)
{
    UCollator* coll = newRussianCollator();
    if (!coll)
        return false;
    if (sqlite3_create_collation_v2(db, "RU", SQLITE_UTF8, coll, collateCallback, destroyCollator) != SQLITE_OK) {
        ucol_close(coll);
        return false;
    }
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    bool ok = true;
    ok &= sqlite3_create_function(db, "upper", 1, flags, nullptr, upperFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "lower", 1, flags, nullptr, lowerFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "val", 1, flags, nullptr, valFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "isnull", 1, flags, nullptr, isnullFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "textlength", 1, flags, nullptr, textLengthFunc, nullptr, nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "digitsonly", 1, flags, nullptr, digitsOnlyFunc, nullptr, nullptr) == SQLITE_OK;
    return ok;
}

} // namespace jet::detail
