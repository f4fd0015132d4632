// The group card's specialty wording, copied from the specialties directory.
#include "CardTestSupport.h"

using namespace cardtest;

namespace {

class SpecialtyDetailsTest : public CardTest {};

const QString kQuestion = QStringLiteral(
    "Вписать полное наименование специальности/профессии, квалификацию и нормативный срок обучения из справочника "
    "специальностей/профессий? В документы эти данные будут вписываться из этого окна, то есть из справочника "
    "групп, так как здесь можно ввести разные наименования специальностей/профессий, разные квалификации и срок "
    "обучения для разных групп.");

} // namespace

TEST_F(SpecialtyDetailsTest, ChoosingASpecialtyOffersItsWording)
{
    const auto card = openCard(core::Groups, kGroupZ41);
    EXPECT_EQ(messages_.count(), 0);  // loading asks nothing
    card->setLineText(3, QStringLiteral("своя"));
    messages_.answer(ui::No);
    chooseEntry(card->Cm1(1), QStringLiteral("Право"));
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(), kQuestion);
    EXPECT_EQ(messages_.messages().front().style, ui::YesNo | ui::Question);
    EXPECT_EQ(card->lineText(3), QStringLiteral("своя"));
    EXPECT_EQ(card->Cm1(1)->currentText(), QStringLiteral("Право"));

    messages_.answer(ui::Yes);
    chooseEntry(card->Cm1(1), QStringLiteral("Менеджмент"));
    EXPECT_EQ(card->lineText(2), QStringLiteral("080201 Менеджмент"));
    EXPECT_EQ(card->lineText(3), QStringLiteral("Менеджер"));
    EXPECT_EQ(card->lineText(4), QStringLiteral("2 года 10 месяцев"));
}

TEST_F(SpecialtyDetailsTest, EmptyDirectoryValuesEmptyTheLines)
{
    db().execute("UPDATE SPOTD SET KVAL = NULL WHERE NAIM = 'Право'");
    const auto card = openCard(core::Groups, kGroupZ41);
    messages_.answer(ui::Yes);
    chooseEntry(card->Cm1(1), QStringLiteral("Право"));
    EXPECT_EQ(card->lineText(3), QString());
    EXPECT_EQ(card->lineText(2), QStringLiteral("030612 Право и организация социального обеспечения"));
}

TEST_F(SpecialtyDetailsTest, OtherListsAndCardsDoNotAsk)
{
    const auto group = openCard(core::Groups, kGroupZ41);
    chooseEntry(group->Cm1(5), QStringLiteral("углубленной"));
    const auto person = openCard(core::Students, kVesnina);
    chooseEntry(person->Cm1(0), QStringLiteral("З 41"));
    EXPECT_EQ(messages_.count(), 0);
}
