#pragma once
// Inside the office layer only: storing a document bounded in room and
// time, so that a full disk or an office that hangs in its export is told
// at once in the user's words.
#include "platform/office/UnoTypes.h"

#include <QString>

#include <functional>

namespace office::uno {

// A little more than a file needs: the office writes a temporary copy and
// its own files besides.
inline constexpr long long kStoreSlack = 1LL << 20;

// Whether the disk of `folder` has less than `needed` bytes free.
bool diskNearlyFull(const QString& folder, long long needed);

// Stores a document into the new file `file` through `store` (a call of
// the document's XStorable), bounded: refused before storing when the
// file's disk has less than `needed` bytes free; a store that does not
// return within the office's store time limit ends the office (the next
// use starts a new one). After a failure the partial file and the
// office's temporary lu*.tmp files in the folder are removed, and the
// CannotStore error says the cause in plain words first ("Недостаточно
// места на диске ...") with the office's own text after it.
void storeBounded(const QString& file, long long needed, const std::function<void()>& store);

} // namespace office::uno
