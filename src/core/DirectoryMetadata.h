#pragma once
// Per-kind directory metadata, indexed by directory kind 0 to 16.
#include <QString>

namespace core {

struct KindMeta {
    const char* tableName;
    const char* keyField;
    const char* ownKeyField;
    int parentKind;
    const char* singularName;
    const char* pluralName;
    int nameFieldIndex;
};

// The row of one kind; kinds outside 0..16 are a caller's error (asserted).
const KindMeta& kindMeta(int kind);

QString TableNames(int kind);
QString KeyFields(int kind);
QString OwnKeyFields(int kind);
int ParentKinds(int kind);
QString SingularNames(int kind);
QString PluralNames(int kind);
int NameFieldIndexes(int kind);

// The caption of a directory window: the plural name of its kind; a grades
// window adds its document kind ("Итоговые оценки переподготовки"), so that
// each document kind has a window of its own.
QString DirectoryWindowCaption(int kind, int docKind);

} // namespace core
