#include "core/DefaultPrintHouses.h"

#include "platform/jet/Jet.h"

#include <array>

namespace core {
namespace {

constexpr std::array<const char*, 9> kFields{
    "NAIM", "oTmp5", "Tmp5", "oTmp7", "Tmp7", "oTmp8", "Tmp8", "oTmp9", "Tmp9",
};

using HouseRow = std::array<const char*, 9>;

constexpr HouseRow kRows[] = {
    {"Гознак Москва", "Кальвета.ott", "Кальвета.dot", "", "", "", "", "", ""},
    {"Гознак Пермь", "Кальвета Гознак-Пермь.ott", "Кальвета Гознак-Пермь.dot", "", "", "", "", "", ""},
    {"ЗАО \"Концерн Знак\" Москва", "Кальвета Концерн Знак.ott", "Кальвета Концерн Знак.dot", "", "", "", "", "",
     ""},
    {"ООО \"Знак\" Москва", "Кальвета Знак.ott", "Кальвета Знак.dot", "Титул диплома ПК Знак.ott",
     "Титул диплома ПК Знак.dot", "Приложение к диплому ПК Знак.ott", "Приложение к диплому ПК Знак.dot",
     "Удостоверение Знак.ott", "Удостоверение Знак.dot"},
    {"ООО \"СпецБланк-Москва\"", "Кальвета СпецБланк-Москва.ott", "Кальвета СпецБланк-Москва.dot", "", "", "",
     "", "", ""},
    {"ОАО \"КТ\"", "Кальвета КТ.ott", "Кальвета КТ.dot", "Титул диплома ПК КТ.ott", "Титул диплома ПК КТ.dot",
     "Приложение к диплому ПК КТ.ott", "Приложение к диплому ПК КТ.dot", "Удостоверение КТ.ott",
     "Удостоверение КТ.dot"},
    {"ОАО \"Кострома\"", "Кальвета Кострома.ott", "Кальвета Кострома.dot", "", "", "", "", "", ""},
};

// The house a new file uses: the sixth row.
constexpr int kHouseInUseRow = 5;

} // namespace

QStringList DefaultPrintHouseFields()
{
    QStringList out;
    for (const char* f : kFields)
        out << QString::fromUtf8(f);
    return out;
}

QStringList DefaultPrintHouseRows()
{
    QStringList out;
    for (const HouseRow& row : kRows) {
        for (const char* v : row)
            out << QString::fromUtf8(v);
    }
    return out;
}

QString DefaultPrintHouseInUseName()
{
    return QString::fromUtf8(kRows[kHouseInUseRow][0]);
}

void UpsertDefaultPrintHouses(jet::Database& db)
{
    const QStringList fields = DefaultPrintHouseFields();
    const QStringList values = DefaultPrintHouseRows();
    const int columns = int(fields.size());
    if (values.size() <= 1 || columns == 0)
        return;
    const int rows = int(values.size()) / columns;

    const QString query = QStringLiteral("SELECT * FROM SPTPGR WHERE %1 = ? ORDER BY IDT;").arg(fields[0]);
    jet::Transaction tx(db);
    for (int r = 0; r < rows; ++r) {
        const QString name = values[r * columns];
        if (name.isEmpty())
            continue;
        try {
            auto rs = db.openRecordset(query, jet::dbOpenDynaset, {name});
            if (rs->isEOF())
                rs->addNew();
            else
                rs->edit();
            for (int c = 0; c < columns; ++c) {
                const QString& def = values[r * columns + c];
                if (!def.isEmpty() && rs->text(fields[c]).isEmpty())
                    rs->setValue(fields[c], def);
            }
            rs->update();
            rs->close();
        } catch (const jet::Error&) {
            // This house stays as it was; the others are still merged.
        }
    }
    tx.commit();
}

void SetDefaultPrintHouse(jet::Database& db)
{
    auto inf = db.openRecordset(QStringLiteral("INF"));
    if (inf->isEOF() || !jet::isNull(inf->value(QStringLiteral("IDT"))))
        return;
    const QVariant key = db.scalar(QStringLiteral("SELECT IDT FROM SPTPGR WHERE NAIM = ? ORDER BY IDT;"),
                                   {DefaultPrintHouseInUseName()});
    if (jet::isNull(key))
        return;
    inf->edit();
    inf->setValue(QStringLiteral("IDT"), key);
    inf->update();
    inf->close();
}

} // namespace core
