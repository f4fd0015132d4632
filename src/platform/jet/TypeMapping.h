#pragma once
// How Jet's field types are kept in SQLite: each type has a declared type
// word with the right affinity, from which the type code, size and
// attributes read back.
#include "platform/jet/Jet.h"

namespace jet::detail {

// Column definition for CREATE TABLE / ALTER TABLE ADD COLUMN.
QString columnDefinition(const FieldDef& field);

// Field definition read back from a declared type and the primary-key flag.
FieldDef fieldFromDeclared(const QString& name, const QString& declaredType, bool primaryKey);

// Rewrites Jet DDL (CREATE TABLE with Jet type words, CREATE INDEX ... WITH
// PRIMARY, ALTER TABLE ... ADD COLUMN) into SQLite DDL. Other statements are
// returned unchanged. `isDdl` tells whether the schema may have changed.
QString translateStatement(const QString& sql, bool* isDdl);

// Name under which an index of a table is kept (index names are global in a
// file, so each carries its table's name).
QString storedIndexName(const QString& table, const QString& index);
// The index's own name, from the stored one.
QString indexNameFromStored(const QString& table, const QString& stored);

QString quoteIdent(const QString& name);

// How a date is stored: "yyyy-MM-dd", with " HH:mm:ss" when it has a time.
QString storedDate(const QDateTime& dt);

// A date value that names no date (a day that does not exist): refused, never
// stored as Null. A Null value is a QVariant without a date in it.
bool isInvalidDate(const QVariant& value);

// Whether a QVariant type holds a whole number, or any number.
bool isWholeNumberType(int typeId);
bool isNumberType(int typeId);

} // namespace jet::detail
