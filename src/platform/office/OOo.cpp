#include "platform/office/OOo.h"

#include "platform/office/Excel.h"
#include "platform/office/OOoUno.h"
#include "platform/office/UnoSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

namespace office {

namespace {

// Where the office suite can be downloaded, named in the advice text.
const char* const kDownloadAddress = "https://www.libreoffice.org/download/";

struct FirstSentence {
    const char* application;
    const char* text;
};

constexpr FirstSentence kFirstSentences[] = {
    {"", "Приложение OpenOffice.org не может загрузиться. "},
    {"Writer", "Приложение OpenOffice.org Writer не может загрузиться. "},
    {"Calc", "Приложение OpenOffice.org Calc не может загрузиться. "},
};

const char* const kAdvice[] = {
    "Проверьте, установлен ли на Вашем компьютере офисный комплект программ OpenOffice.org версии 3.1 и выше, "
    "затем повторите операцию. ",
    "OpenOffice.org - это абсолютно бесплатный русифицированный комплект программ, который Вы можете скачать "
    "в сети Интернет по адресу: @address@ и установить на свой компьютер . ",
    "По своим возможностям он приближается, а в некоторых случаях и превосходит Microsoft Office. ",
    "Именно поэтому в ближайшее время в России планируется все Федеральные органы власти и бюджетные учреждения ",
    "полностью перевести на использование этого офисного пакета, а форматы файлов документов этого пакета уже "
    "зафиксированы в государственном стандарте (ГОСТ). ",
    "Если на Вашем компьютере установлен пакет Microsoft Office, и Вы желаете печатать документы в Microsoft Word, "
    "то выберите офисную программу: Справочники - Учреждение - Офисная программа. ",
};

} // namespace

QString ConvertToURL(const QString& path)
{
    if (path.isEmpty())
        return {};
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(path).hasMatch())
        return path;
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(p));
    return QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded);
}

QString OOoNotStartedMessage(const QString& application)
{
    QString text;
    for (const auto& s : kFirstSentences)
        if (application == QString::fromUtf8(s.application))
            text += QString::fromUtf8(s.text);
    for (const char* sentence : kAdvice)
        text += QString::fromUtf8(sentence).replace(QStringLiteral("@address@"), QString::fromLatin1(kDownloadAddress));
    return text;
}

QString OOoNotStartedReport(const QString& application, const Error& error)
{
    return OOoNotStartedMessage(application) + QStringLiteral(" Ошибка: ") + error.numberAndDescription();
}

bool cellNumberValue(const QString& text, double* number)
{
    if (excelNumber(text, number))
        return true;
    bool ok = false;
    const double d = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && number)
        *number = d;
    return ok;
}

CalcCell SetCellValue(int row, int column, CalcSheet& sheet, const QString& text, int mode)
{
    CalcCell cell;
    try {
        cell = sheet.cell(column - 1, row - 1);
        switch (mode) {
        case 0: cell.setString(text); break;
        case 1: {
            double d = 0;
            if (cellNumberValue(text, &d))
                cell.setValue(d);
            break;
        }
        case 2: cell.setFormula(text); break;
        default: break;
        }
    } catch (const Error&) {
        // Written to nowhere, as a cell that cannot be fetched is.
    }
    return cell;
}

void SetRangeBorders(int firstRow, int firstColumn, int lastRow, int lastColumn, CalcSheet& sheet,
                     bool innerLines, bool thick)
{
    sheet.cellRange(firstColumn - 1, firstRow - 1, lastColumn - 1, lastRow - 1)
        .setTableBorder(thick ? 50 : 2, innerLines ? 2 : -1);
}

} // namespace office
