#include "books/RegNumberDigits.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"
#include "platform/jet/Jet.h"

#include <QVariant>
#include <utility>
#include <vector>

namespace books {

void UpdateRegNumberDigits()
{
    std::vector<std::pair<QVariant, QVariant>> changes;  // key, new copy
    try {
        jet::Database& db = core::db();
        auto rs = db.openRecordset(QStringLiteral("SELECT ID, REGNOMMED, regnommedf FROM SPSTUD"),
                                   jet::dbOpenSnapshot);
        for (; !rs->isEOF(); rs->moveNext()) {
            const QString digits = core::DigitsOnly(rs->text(QStringLiteral("REGNOMMED")));
            if (digits == rs->text(QStringLiteral("regnommedf")))
                continue;
            changes.emplace_back(rs->value(QStringLiteral("ID")),
                                 digits.isEmpty() ? QVariant() : QVariant(digits));
        }
    } catch (const jet::Error&) {
        return;  // no database or no SPSTUD: nothing to bring in line
    }
    if (changes.empty())
        return;

    try {
        jet::Database& db = core::db();
        jet::Transaction transaction(db);
        for (const auto& [id, copy] : changes) {
            try {
                db.execute(QStringLiteral("UPDATE SPSTUD SET regnommedf = ? WHERE ID = ?"), {copy, id});
            } catch (const jet::Error&) {
                // This person keeps the old copy; the others are still written.
            }
        }
        transaction.commit();
    } catch (const jet::Error&) {
        // The transaction could not be started or committed: nothing written.
    }
}

} // namespace books
