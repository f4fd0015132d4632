#include "books/RegNumberDigits.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"
#include "platform/jet/Jet.h"

#include <sqlite3.h>

namespace books {
namespace {

// regdigits(x): the digits of a text (Null read as an empty text).
void regDigits(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray digits =
        core::DigitsOnly(QString::fromUtf8(text ? text : "", text ? sqlite3_value_bytes(argv[0]) : 0)).toUtf8();
    sqlite3_result_text(ctx, digits.constData(), int(digits.size()), SQLITE_TRANSIENT);
}

} // namespace

void UpdateRegNumberDigits()
{
    // One statement walks the table inside the engine and writes only the
    // rows whose copy differs.
    try {
        jet::Database& db = core::db();
        if (sqlite3_create_function(db.handle(), "regdigits", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, regDigits,
                                    nullptr, nullptr)
            != SQLITE_OK)
            return;
        db.execute(QStringLiteral("UPDATE SPSTUD SET regnommedf = nullif(regdigits(REGNOMMED), '') "
                                  "WHERE ifnull(regnommedf, '') <> regdigits(REGNOMMED) COLLATE BINARY"));
    } catch (const jet::Error&) {
        // No database or no SPSTUD, or the copies cannot be written: they
        // stay as they are.
    }
}

} // namespace books
