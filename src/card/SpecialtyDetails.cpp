#include "card/SpecialtyDetails.h"

#include "card/CardFields.h"
#include "card/frmSD1.h"
#include "core/DataAccess.h"
#include "platform/ui/Messages.h"

namespace card {

namespace {

// Line of the group card, column of SPOTD it receives.
struct Detail {
    const char* caption;
    const char* column;
};
constexpr Detail kDetails[] = {
    {captions::kRefinedSpecialty, "MEMO"},
    {captions::kRefinedQualification, "KVAL"},
    {captions::kNormativeTerm, "NormTime"},
};

} // namespace

void FillSpecialtyDetails(frmSD1& card)
{
    const int list = card.lineOf(QString::fromUtf8(captions::kSpecialty));
    if (list < 0 || card.listIndex(list) < 0)
        return;
    const int answer = ui::msgBox(
        QStringLiteral("Вписать полное наименование специальности/профессии, квалификацию и нормативный срок обучения "
                       "из справочника специальностей/профессий? В документы эти данные будут вписываться из этого "
                       "окна, то есть из справочника групп, так как здесь можно ввести разные наименования "
                       "специальностей/профессий, разные квалификации и срок обучения для разных групп."),
        ui::YesNo | ui::Question);
    if (answer != ui::Yes)
        return;
    const qlonglong key = card.listValue(list);
    for (const Detail& d : kDetails) {
        const int line = card.lineOf(QString::fromUtf8(d.caption));
        if (line < 0)
            continue;
        const QVariant value = core::LookupFieldValue(QStringLiteral("SELECT * FROM SPOTD WHERE SPOTD.IDO = ?"),
                                                      QString::fromLatin1(d.column), {key});
        card.setLineText(line, jet::toText(value));
    }
}

} // namespace card
