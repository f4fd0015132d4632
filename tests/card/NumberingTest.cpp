// Proposals of registration and blank numbers, and the fill buttons.
#include "CardTestSupport.h"

#include "card/Numbering.h"

using namespace cardtest;
using card::NumberKind;

namespace {

class NumberingTest : public CardTest {
protected:
    // Leaves only the given numbers in the database (persons 1, 2, 3 ...).
    void storeNumbers(const char* column, const QStringList& numbers)
    {
        db().execute(QStringLiteral("UPDATE SPSTUD SET %1 = NULL").arg(column));
        for (int i = 0; i < numbers.size(); ++i)
            db().execute(QStringLiteral("UPDATE SPSTUD SET %1 = ? WHERE ID = ?").arg(column), {numbers[i], i + 1});
    }
};

} // namespace

TEST(IncrementNumber, IncreasesTheTrailingDigitsAndWidensOnlyOnOverflow)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"123", "124"},     {"АБ099", "АБ100"}, {"0", "1"},       {"999", "1000"},
        {"АБ999", "АБ1000"}, {"12А", "12А"},     {"", ""},         {"А-0009", "А-0010"},
        {"1123457819123", "1123457819124"},     {"99999999999999999999", "100000000000000000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(card::IncrementNumber(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(CompareBlankNumbers, ComparesTheDigitsByValueWithinOnePrefix)
{
    EXPECT_GT(card::compareBlankNumbers("10", "9"), 0);
    EXPECT_GT(card::compareBlankNumbers("АБ 100", "АБ099"), 0);
    EXPECT_LT(card::compareBlankNumbers("аб5", "АВ1"), 0);
    EXPECT_EQ(card::compareBlankNumbers("аб 5", "АБ5"), 0);
    EXPECT_LT(card::compareBlankNumbers("АБ", "АБ1"), 0);
}

TEST_F(NumberingTest, RegistrationNumberIsOneMoreThanTheGreatestValue)
{
    const struct {
        QStringList stored;
        const char* next;
    } cases[] = {
        {{}, "1"},
        {{"7", "0012", "А-15"}, "13"},
        {{"12/2024", "9"}, "13"},
        {{" 1 000 ", "999"}, "1001"},
        {{"-5", "А"}, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.next);
        storeNumbers("REGNOMMED", c.stored);
        storeNumbers("regnomDoc", c.stored);
        EXPECT_EQ(card::NextNumber(NumberKind::CertificateRegistration, 0), QString::fromUtf8(c.next));
        EXPECT_EQ(card::NextNumber(NumberKind::RetrainingDocument, 0), QString::fromUtf8(c.next));
    }
}

TEST_F(NumberingTest, ExcludedPersonDoesNotCount)
{
    storeNumbers("REGNOMMED", {"50", "40"});
    EXPECT_EQ(card::NextNumber(NumberKind::CertificateRegistration, 0), QStringLiteral("51"));
    EXPECT_EQ(card::NextNumber(NumberKind::CertificateRegistration, 1), QStringLiteral("41"));
}

TEST_F(NumberingTest, BlankNumberFollowsTheGreatestInItsPrefix)
{
    const struct {
        QStringList stored;
        const char* next;
    } cases[] = {
        {{}, "1"},
        {{"АБ 099", "АБ 100"}, "АБ101"},
        {{"9", "10"}, "11"},
        {{"999"}, "1000"},
        {{"АБ 005", "аб 010", "АА 900"}, "аб011"},
        {{"12", "б/н"}, ""},  // the greatest has no digits: nothing to propose
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.next);
        storeNumbers("NOMMED", c.stored);
        EXPECT_EQ(card::NextNumber(NumberKind::CertificateBlank, 0), QString::fromUtf8(c.next));
    }
}

TEST_F(NumberingTest, FillProposesOnlyIntoEmptyLines)
{
    storeNumbers("REGNOMMED", {"7"});
    storeNumbers("NOMMED", {"АБ 009"});
    auto card = openCard(core::Students, kVesnina);
    card->setLineText(6, QString());
    card->Command1()->click();
    // The edited person's own numbers are left out.
    EXPECT_EQ(card->lineText(6), QStringLiteral("1"));
    EXPECT_EQ(card->lineText(7), QStringLiteral("АБ 009"));
    EXPECT_TRUE(card->IsChanged());

    card = openCard(core::Students, 2);
    card->Command1()->click();
    EXPECT_EQ(card->lineText(6), QStringLiteral("8"));
    EXPECT_EQ(card->lineText(7), QStringLiteral("АБ010"));
    card->Command1()->click();
    EXPECT_EQ(card->lineText(6), QStringLiteral("8"));
}

TEST_F(NumberingTest, CopyOfTheGreatestIsProposedItsSuccessorOnlyAfterClearing)
{
    storeNumbers("REGNOMMED", {"30", "20"});
    const auto card = openCard(core::Students, kVesnina, true);
    EXPECT_EQ(card->lineText(6), QStringLiteral("30"));
    card->setLineText(6, QString());
    card->Command1()->click();
    EXPECT_EQ(card->lineText(6), QStringLiteral("31"));
}

TEST_F(NumberingTest, DocumentButtonNumbersGroupsWithARetrainingPeriod)
{
    storeNumbers("regnomDoc", {"", "", "", "41"});
    auto card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
    card->setLineText(12, QStringLiteral("старый"));
    card->dokPK()->click();
    EXPECT_EQ(card->lineText(11), QStringLiteral("42"));
    // A filled удостоверение number stays.
    EXPECT_EQ(card->lineText(12), QStringLiteral("старый"));
    card->setLineText(12, QString());
    card->dokPK()->click();  // the document number is there: nothing happens
    EXPECT_EQ(card->lineText(12), QString());

    card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupP31);
    card->dokPK()->click();
    EXPECT_EQ(card->lineText(11), QStringLiteral("42"));
    EXPECT_EQ(card->lineText(12), QStringLiteral("42"));
    EXPECT_EQ(messages_.count(), 0);

    // A group without the period: a warning and no number.
    card = openCard(core::Students, 0, false, core::RetrainingDocuments, kGroupZ41);
    card->dokPK()->click();
    EXPECT_EQ(card->lineText(11), QString());
    ASSERT_EQ(messages_.count(), 1);
    EXPECT_EQ(messages_.texts().first(), QStringLiteral("Сначала укажите период переподготовки у группы \"З 41\"."));
    EXPECT_EQ(messages_.messages().front().style, ui::Exclamation);
}
