#include "core/DirectoryMetadata.h"

#include "core/AppState.h"

#include <array>
#include <cassert>

namespace core {
namespace {

constexpr std::array<KindMeta, kKindCount> kMeta{{
    {"EXAM", "ID", "IDE", 4, "Итоговая оценка", "Итоговые оценки", 0},
    {"SPOTD", "IDO", "", 0, "Специальность", "Специальности", 0},
    {"SPPRED", "IDD", "", 0, "Дисциплина", "Дисциплины", 0},
    {"SPSTUD", "ID", "", 4, "Студент", "Студенты", 2},
    {"SPGRUP", "IDG", "", 0, "Группа", "Группы", 0},
    {"SPNAGR", "IDN", "", 4, "Учебный план", "Учебный план", 0},
    {"SPBALL", "IDB", "", 0, "Вид оценки", "Виды оценок", 0},
    {"SPUCH", "IDZ", "", 0, "Образовательное учреждение", "Образовательные учреждения", 0},
    {"SPFORM", "IDF", "", 0, "Форма обучения", "Формы обучения", 0},
    {"SPUR", "IDX", "", 0, "Уровень подготовки", "Уровни подготовки", 0},
    {"SPVDOC", "IDV", "", 0, "Вид документа", "Виды документов", 0},
    {"SPTPGR", "IDT", "", 0, "Типография", "Типографии", 0},
    {"USERS", "IDU", "", 0, "Пользователь", "Пользователи", 0},
    {"", "", "", 0, "", "", 0},
    {"", "", "", 0, "", "", 0},
    {"INF", "IDLU", "", 0, "Параметры учреждения", "Параметры учреждения", 1},
    {"SPMED", "IDM", "", 0, "Медицинская специальность", "Медицинские специальности", 0},
}};

} // namespace

const KindMeta& kindMeta(int kind)
{
    assert(kind >= 0 && kind < kKindCount);
    return kMeta.at(static_cast<size_t>(kind));
}

QString TableNames(int kind) { return QString::fromUtf8(kindMeta(kind).tableName); }
QString KeyFields(int kind) { return QString::fromUtf8(kindMeta(kind).keyField); }
QString OwnKeyFields(int kind) { return QString::fromUtf8(kindMeta(kind).ownKeyField); }
int ParentKinds(int kind) { return kindMeta(kind).parentKind; }
QString SingularNames(int kind) { return QString::fromUtf8(kindMeta(kind).singularName); }
QString PluralNames(int kind) { return QString::fromUtf8(kindMeta(kind).pluralName); }
int NameFieldIndexes(int kind) { return kindMeta(kind).nameFieldIndex; }

QString DirectoryWindowCaption(int kind, int docKind)
{
    if (kind != Grades)
        return PluralNames(kind);
    const char* suffix = "академических справок";
    switch (docKind) {
    case Documents: suffix = "документов"; break;
    case RetrainingDocuments: suffix = "переподготовки"; break;
    case TrainingCertificates: suffix = "свидетельств"; break;
    default: break;
    }
    return PluralNames(kind) + QLatin1Char(' ') + QString::fromUtf8(suffix);
}

} // namespace core
