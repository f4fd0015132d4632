#pragma once
// Small helpers through which every subsystem reaches MainDatabase.
#include "platform/jet/Jet.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

namespace core {

void CloseRecordset(std::unique_ptr<jet::Recordset>& rs);
void CloseDatabase();

// The named field of the first row of a query: its own value (Null when the
// field is empty), or an empty text when there is no row or the query fails.
QVariant LookupFieldValue(const QString& sql, const QString& fieldName, const QVariantList& params = {});

// Number of rows of a query; 0 when none or when the query fails.
long CountRecords(const QString& sql, const QVariantList& params = {});

// Key field of a directory table (case-insensitive); empty when none.
QString KeyFieldOfTable(const QString& tableName);

// Adds 1 to the order of every line after `position` of one person's grade
// lines (tableName "exam") or one group's plan lines (any other name).
// True when lines were moved.
bool ShiftSortOrder(long position, long parentId, const QString& tableName);

// Sets VidDokum to 0 on grade lines that have none.
void FillMissingDocKind();

} // namespace core
