#include "platform/office/XlsRecords.h"

#include <QFile>

#include <cstring>

namespace office::detail {

namespace {

// Larger files are left to the office alone.
constexpr qint64 kLargestFile = 256LL << 20;

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSector = 0xFFFFFFFF;

quint16 u16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

quint32 u32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    return quint32(u16(b, at)) | (quint32(u16(b, at + 2)) << 16);
}

double f64(const QByteArray& b, qsizetype at)
{
    quint64 bits = quint64(u32(b, at)) | (quint64(u32(b, at + 4)) << 32);
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The streams of a compound file (the container of .xls files).
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& file) : file_(file) {}

    bool open()
    {
        if (file_.size() < 512 || !file_.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
            return false;
        const int shift = u16(file_, 0x1E);
        if (shift != 9 && shift != 12)
            return false;
        sectorSize_ = 1 << shift;
        miniCutoff_ = u32(file_, 0x38);
        // The sectors of the allocation table: 109 in the header, then
        // chained sectors of further entries.
        std::vector<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 s = u32(file_, 0x4C + 4 * i);
            if (s != kFreeSector)
                fatSectors.push_back(s);
        }
        // A damaged or hostile file may chain its sectors in circles: no
        // table or stream is longer than the file.
        const size_t sectors = size_t(file_.size() / sectorSize_);
        quint32 difat = u32(file_, 0x44);
        for (quint32 n = u32(file_, 0x48); n > 0 && difat < kEndOfChain && fatSectors.size() <= sectors; --n) {
            const qsizetype at = offsetOf(difat);
            if (at < 0)
                return false;
            const int perSector = sectorSize_ / 4 - 1;
            for (int i = 0; i < perSector; ++i) {
                const quint32 s = u32(file_, at + 4 * i);
                if (s != kFreeSector)
                    fatSectors.push_back(s);
            }
            difat = u32(file_, at + 4 * perSector);
        }
        if (fatSectors.size() > sectors)
            return false;
        for (quint32 s : fatSectors) {
            const qsizetype at = offsetOf(s);
            if (at < 0)
                return false;
            for (int i = 0; i < sectorSize_ / 4; ++i)
                fat_.push_back(u32(file_, at + 4 * i));
        }
        directory_ = chain(u32(file_, 0x30), -1);
        if (directory_.isEmpty())
            return false;
        const QByteArray miniFat = chain(u32(file_, 0x3C), -1);
        for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
            miniFat_.push_back(u32(miniFat, i));
        miniStream_ = chain(u32(directory_, 0x74), u32(directory_, 0x78));
        return true;
    }

    // A stream of the root storage by name; empty when there is none.
    QByteArray stream(const QString& name) const
    {
        for (qsizetype at = 0; at + 128 <= directory_.size(); at += 128) {
            const int length = u16(directory_, at + 0x40);
            if (directory_[at + 0x42] != 2 || length < 2 || length > 64)
                continue;
            const QString entry =
                QString::fromUtf16(reinterpret_cast<const char16_t*>(directory_.constData() + at), length / 2 - 1);
            if (entry.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            const quint32 start = u32(directory_, at + 0x74);
            const quint32 size = u32(directory_, at + 0x78);
            return size < miniCutoff_ ? miniChain(start, size) : chain(start, size);
        }
        return {};
    }

private:
    qsizetype offsetOf(quint32 sector) const
    {
        const qint64 at = (qint64(sector) + 1) * sectorSize_;
        return at + sectorSize_ <= file_.size() ? qsizetype(at) : -1;
    }

    // The sectors of a chain joined; `size` < 0: the whole chain.
    QByteArray chain(quint32 sector, qint64 size) const
    {
        QByteArray out;
        for (size_t steps = 0; sector < kEndOfChain && steps <= fat_.size(); ++steps) {
            const qsizetype at = offsetOf(sector);
            if (at < 0 || sector >= fat_.size())
                return {};
            out.append(file_.constData() + at, sectorSize_);
            if ((size >= 0 && out.size() >= size) || out.size() > file_.size())
                break;
            sector = fat_[sector];
        }
        if (out.size() > file_.size())
            return {};
        if (size >= 0) {
            if (out.size() < size)
                return {};
            out.truncate(qsizetype(size));
        }
        return out;
    }

    QByteArray miniChain(quint32 sector, qint64 size) const
    {
        constexpr int kMini = 64;
        QByteArray out;
        if (size > miniStream_.size())
            return {};
        for (size_t steps = 0; sector < kEndOfChain && steps <= miniFat_.size() && out.size() < size; ++steps) {
            const qint64 at = qint64(sector) * kMini;
            if (sector >= miniFat_.size() || at + kMini > miniStream_.size())
                return {};
            out.append(miniStream_.constData() + at, kMini);
            sector = miniFat_[sector];
        }
        if (out.size() < size)
            return {};
        out.truncate(qsizetype(size));
        return out;
    }

    const QByteArray& file_;
    int sectorSize_ = 512;
    quint32 miniCutoff_ = 4096;
    std::vector<quint32> fat_;
    std::vector<quint32> miniFat_;
    QByteArray directory_;
    QByteArray miniStream_;
};

enum Record : quint16 {
    rFormula = 0x0006,
    rEof = 0x000A,
    rFilePass = 0x002F,
    rContinue = 0x003C,
    rWindow1 = 0x003D,
    rBoundSheet = 0x0085,
    rBoolErr = 0x0205,
    rString = 0x0207,
    rArray = 0x0221,
    rTable = 0x0236,
    rSharedFormula = 0x04BC,
    rBof = 0x0809,
};

// Characters of a BIFF8 text: `count` characters after the flags byte at
// `at`, going on in CONTINUE records (each with a flags byte of its own).
QString biffText(const QByteArray& s, qsizetype at, qsizetype end, int count)
{
    QString out;
    bool wide = false;
    qsizetype p = at;
    auto readFlags = [&] {
        wide = (quint8(s.at(p)) & 1) != 0;
        ++p;
    };
    if (p >= end)
        return out;
    readFlags();
    while (out.size() < count) {
        if (p >= end) {
            // The text goes on in a CONTINUE record.
            if (end + 5 > s.size() || u16(s, end) != rContinue)
                break;
            const qsizetype next = end + 4 + u16(s, end + 2);
            p = end + 4;
            end = std::min<qsizetype>(next, s.size());
            if (p >= end)
                break;
            readFlags();
            continue;
        }
        if (wide) {
            if (p + 2 > end)
                break;
            out += QChar(u16(s, p));
            p += 2;
        } else {
            out += QChar(quint8(s.at(p)));
            ++p;
        }
    }
    return out;
}

QString errorText(int code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    default: return QStringLiteral("#N/A");
    }
}

} // namespace

std::optional<XlsRecords> XlsRecords::read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kLargestFile
        || f.peek(8) != QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return std::nullopt;
    const QByteArray file = f.readAll();
    CompoundFile cf(file);
    if (!cf.open())
        return std::nullopt;
    XlsRecords out;
    out.stream_ = cf.stream(QStringLiteral("Workbook"));
    const QByteArray& s = out.stream_;
    // The workbook's own records: a BIFF8 beginning, then up to its end.
    if (s.size() < 8 || u16(s, 0) != rBof || u16(s, 4) != 0x0600)
        return std::nullopt;
    int activeTab = 0;
    for (qsizetype at = 0; at + 4 <= s.size();) {
        const quint16 id = u16(s, at);
        const quint16 length = u16(s, at + 2);
        const qsizetype data = at + 4;
        if (data + length > s.size())
            return std::nullopt;
        if (id == rFilePass)
            return std::nullopt;
        if (id == rWindow1 && length >= 12)
            activeTab = u16(s, data + 10);
        if (id == rBoundSheet && length >= 8) {
            out.offsets_.push_back(u32(s, data));
            out.names_ << biffText(s, data + 7, data + length, quint8(s.at(data + 6)));
        }
        at = data + length;
        if (id == rEof)
            break;
    }
    if (out.names_.isEmpty())
        return std::nullopt;
    out.active_ = activeTab < out.names_.size() ? activeTab : 0;
    return out;
}

std::vector<SavedResult> XlsRecords::formulaResults(int sheet, int top, int bottom, int lastColumn) const
{
    std::vector<SavedResult> out;
    if (sheet < 0 || sheet >= int(offsets_.size()))
        return out;
    const QByteArray& s = stream_;
    qsizetype at = offsets_[size_t(sheet)];
    if (u16(s, at) != rBof)
        return out;
    // A text result follows its formula in a record of its own, after the
    // shared or array formula the cell belongs to, if any.
    qsizetype pendingText = -1;
    for (bool first = true; at + 4 <= s.size(); first = false) {
        const quint16 id = u16(s, at);
        const quint16 length = u16(s, at + 2);
        const qsizetype data = at + 4;
        const qsizetype end = data + length;
        if (end > s.size() || (!first && id == rBof))
            break;
        if (id == rEof)
            break;
        if (id == rString && pendingText >= 0) {
            out[size_t(pendingText)].text = length >= 3 ? biffText(s, data + 2, end, u16(s, data)) : QString();
            pendingText = -1;
        } else if (id == rFormula && length >= 20) {
            pendingText = -1;
            const int row = u16(s, data);
            const int column = u16(s, data + 2);
            if (row >= top && row <= bottom && column <= lastColumn) {
                SavedResult r;
                r.row = row;
                r.column = column;
                if (u16(s, data + 12) == 0xFFFF) {
                    switch (quint8(s.at(data + 6))) {
                    case 0: r.type = SavedResult::Text; break;
                    case 1:
                        r.type = SavedResult::Boolean;
                        r.number = quint8(s.at(data + 8)) ? 1 : 0;
                        break;
                    case 2:
                        r.type = SavedResult::Error;
                        r.text = errorText(quint8(s.at(data + 8)));
                        break;
                    default: r.type = SavedResult::Empty; break;
                    }
                } else {
                    r.number = f64(s, data + 6);
                }
                out.push_back(r);
                if (r.type == SavedResult::Text)
                    pendingText = qsizetype(out.size()) - 1;
            }
        } else if (id == rBoolErr && length >= 8) {
            // An error typed as a constant: the office would show its own
            // text for some of them.
            pendingText = -1;
            const int row = u16(s, data);
            const int column = u16(s, data + 2);
            if (quint8(s.at(data + 7)) != 0 && row >= top && row <= bottom && column <= lastColumn) {
                SavedResult r;
                r.row = row;
                r.column = column;
                r.type = SavedResult::Error;
                r.text = errorText(quint8(s.at(data + 6)));
                out.push_back(r);
            }
        } else if (id != rContinue && id != rSharedFormula && id != rArray && id != rTable) {
            pendingText = -1;
        }
        at = end;
    }
    return out;
}

} // namespace office::detail
