#include "printing/TemplatePackage.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zlib.h>

#include <cstdint>

namespace printing {

namespace {

// The parts of a package that hold the document's text: the body, and the
// page styles with their headers and footers.
constexpr const char* kTextParts[] = {"content.xml", "styles.xml"};

// Zip records (little-endian fields at fixed offsets).
constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr int kEndOfDirectorySize = 22;
constexpr int kDirectoryEntrySize = 46;
constexpr int kLocalHeaderSize = 30;
constexpr int kStored = 0;
constexpr int kDeflated = 8;
// A package part larger than this is not the text of a template.
constexpr qint64 kLargestPart = 64LL << 20;

quint32 readU32(const QByteArray& data, qint64 at)
{
    if (at < 0 || at + 4 > data.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 readU16(const QByteArray& data, qint64 at)
{
    if (at < 0 || at + 2 > data.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

std::optional<QByteArray> inflateRaw(const QByteArray& compressed, qint64 size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    z.avail_in = uInt(compressed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool whole = result == Z_STREAM_END && z.total_out == uLong(size);
    inflateEnd(&z);
    if (!whole)
        return std::nullopt;
    return out;
}

// The parts of a zip package named `names`, in their order (an empty one
// for a part the package lacks); nullopt when the data is no zip package,
// lacks the first part, or a part cannot be read.
std::optional<QList<QByteArray>> readParts(const QByteArray& data, const QStringList& names)
{
    qint64 end = -1;
    for (qint64 at = data.size() - kEndOfDirectorySize; at >= 0 && at >= data.size() - kEndOfDirectorySize - 0xffff;
         --at)
        if (readU32(data, at) == kEndOfDirectory) {
            end = at;
            break;
        }
    if (end < 0)
        return std::nullopt;
    const int entries = readU16(data, end + 10);
    qint64 at = readU32(data, end + 16);
    QList<QByteArray> out(names.size());
    QList<bool> found(names.size(), false);
    for (int i = 0; i < entries; ++i) {
        if (readU32(data, at) != kDirectoryEntry)
            return std::nullopt;
        const int method = readU16(data, at + 10);
        const qint64 packed = readU32(data, at + 20);
        const qint64 size = readU32(data, at + 24);
        const int nameLength = readU16(data, at + 28);
        const int next = kDirectoryEntrySize + nameLength + readU16(data, at + 30) + readU16(data, at + 32);
        const qint64 local = readU32(data, at + 42);
        const QString name = QString::fromUtf8(data.mid(at + kDirectoryEntrySize, nameLength));
        at += next;
        const qsizetype wanted = names.indexOf(name);
        if (wanted < 0)
            continue;
        if (readU32(data, local) != kLocalHeader || size > kLargestPart)
            return std::nullopt;
        const qint64 start = local + kLocalHeaderSize + readU16(data, local + 26) + readU16(data, local + 28);
        if (start + packed > data.size())
            return std::nullopt;
        const QByteArray bytes = data.mid(start, packed);
        if (method == kStored && packed == size) {
            out[wanted] = bytes;
        } else if (method == kDeflated) {
            const std::optional<QByteArray> inflated = inflateRaw(bytes, size);
            if (!inflated)
                return std::nullopt;
            out[wanted] = *inflated;
        } else {
            return std::nullopt;
        }
        found[wanted] = true;
    }
    if (!found.front())  // no body
        return std::nullopt;
    return out;
}

// The text of the paragraphs and headings of an XML part, one paragraph's
// own text per line (a frame's paragraphs inside a paragraph stand on lines
// of their own); false when the XML is not well formed.
bool paragraphTexts(const QByteArray& xml, QString& out)
{
    const QString textNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
    QXmlStreamReader r(xml);
    int depth = 0;  // paragraphs open around the reader
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case QXmlStreamReader::StartElement:
            if (r.namespaceUri() != textNs)
                break;
            if (r.name() == QLatin1String("p") || r.name() == QLatin1String("h")) {
                ++depth;
                out += QLatin1Char('\n');
            } else if (depth > 0 && r.name() == QLatin1String("s")) {
                out += QString(std::max(1, r.attributes().value(textNs, QStringLiteral("c")).toInt()), QLatin1Char(' '));
            } else if (depth > 0 && r.name() == QLatin1String("tab")) {
                out += QLatin1Char('\t');
            } else if (depth > 0 && r.name() == QLatin1String("line-break")) {
                out += QLatin1Char('\n');
            }
            break;
        case QXmlStreamReader::EndElement:
            if (r.namespaceUri() == textNs && (r.name() == QLatin1String("p") || r.name() == QLatin1String("h"))) {
                --depth;
                out += QLatin1Char('\n');
            }
            break;
        case QXmlStreamReader::Characters:
            if (depth > 0)
                out += r.text();
            break;
        default:
            break;
        }
    }
    return !r.hasError();
}

} // namespace

std::optional<QStringList> PackagePlaceholders(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    file.close();
    QStringList names;
    for (const char* part : kTextParts)
        names << QString::fromLatin1(part);
    const std::optional<QList<QByteArray>> parts = readParts(data, names);
    if (!parts)
        return std::nullopt;
    QString text;
    for (const QByteArray& part : *parts)
        if (!part.isEmpty() && !paragraphTexts(part, text))
            return std::nullopt;
    // The office's search finds these: a text in square brackets within one
    // paragraph.
    static const QRegularExpression bracketed(QStringLiteral("\\[[^\\[\\]\\n]+\\]"));
    QStringList out;
    for (auto it = bracketed.globalMatch(text); it.hasNext();) {
        const QString token = it.next().captured(0);
        if (!out.contains(token))
            out << token;
    }
    return out;
}

} // namespace printing
