#include "shell/Cipher.h"

#include "platform/settings/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(CipherTest, RoundTrip)
{
    for (const QString& plain : {QStringLiteral("p"), QStringLiteral("Пароль-2024!"), QStringLiteral("with = and ; and \"quotes\"\n"),
                                 QString(500, QChar(u'ё'))}) {
        const QString enciphered = shell::EncryptString(plain);
        EXPECT_FALSE(enciphered.isEmpty());
        EXPECT_NE(enciphered, plain);
        EXPECT_EQ(shell::DecryptString(enciphered), plain);
    }
}

TEST(CipherTest, EmptyGivesEmptyBothWays)
{
    EXPECT_EQ(shell::EncryptString(QString()), QString());
    EXPECT_EQ(shell::EncryptString(QStringLiteral("")), QString());
    EXPECT_EQ(shell::DecryptString(QString()), QString());
}

TEST(CipherTest, EachEncipheringDiffers)
{
    const QString a = shell::EncryptString(QStringLiteral("secret"));
    const QString b = shell::EncryptString(QStringLiteral("secret"));
    EXPECT_NE(a, b);
    EXPECT_EQ(shell::DecryptString(a), shell::DecryptString(b));
}

TEST(CipherTest, OutputIsPlainPrintableText)
{
    const QString enciphered = shell::EncryptString(QStringLiteral("Пароль"));
    for (const QChar c : enciphered) {
        const bool safe = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')
            || c == u'-' || c == u'_';
        EXPECT_TRUE(safe) << "character " << int(c.unicode());
    }
}

TEST(CipherTest, SurvivesTheSettingsFile)
{
    const QString plain = QStringLiteral("сервис/пароль=1;2");
    settings::saveSetting(settings::kSectionSettings, QStringLiteral("Пароль"), shell::EncryptString(plain));
    EXPECT_EQ(shell::DecryptString(settings::getSetting(settings::kSectionSettings, QStringLiteral("Пароль"))), plain);
    settings::deleteSetting(settings::kSectionSettings, QStringLiteral("Пароль"));
}

TEST(CipherTest, AnythingElseGivesEmpty)
{
    const QString good = shell::EncryptString(QStringLiteral("secret"));

    QString flipped = good;
    const qsizetype mid = flipped.size() / 2;
    flipped[mid] = flipped[mid] == u'A' ? u'B' : u'A';

    const QStringList bad = {
        QStringLiteral("secret"),                      // never enciphered
        QStringLiteral("не base64 вовсе"),              // not the encoding
        QStringLiteral("AAAA"),                        // too short
        QString(80, QChar(u'A')),                      // right size, wrong content
        flipped,                                       // one character changed
        good.left(good.size() - 1),                    // cut short
        good + QStringLiteral("A"),                    // lengthened
        good + QStringLiteral("=="),                   // other padding
    };
    for (const QString& s : bad)
        EXPECT_EQ(shell::DecryptString(s), QString()) << s.toStdString();
}

} // namespace
