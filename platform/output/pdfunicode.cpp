#include "pdfunicode.h"

#include "platform/widgets/songfont.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QRawFont>

namespace qv {

namespace {

constexpr char16_t kFirstRadical = 0x2E80;
constexpr char16_t kLastRadical = 0x2FDF;

bool isRadical(uint c)
{
    return c >= kFirstRadical && c <= kLastRadical;
}

// For every radical that a report font draws with an ideograph's glyph, the
// ideograph: the one the text most likely held. Fonts agree on these, but
// they are read from the fonts in use rather than from a table of our own.
QHash<char16_t, char16_t> radicalIdeographs()
{
    QHash<char16_t, char16_t> map;
    QString radicals;
    for (char16_t c = kFirstRadical; c <= kLastRadical; ++c)
        radicals.append(QChar(c));
    QString ideographs;
    for (char16_t c = 0x4E00; c <= 0x9FFF; ++c) // the common block first
        ideographs.append(QChar(c));
    for (char16_t c = 0x3400; c <= 0x4DBF; ++c)
        ideographs.append(QChar(c));

    QFont body;
    body.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC")});
    for (const QFont& font : {body, songFont(), QFont()}) {
        const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
        if (!raw.isValid())
            continue;
        const QList<quint32> radicalGlyphs = raw.glyphIndexesForString(radicals);
        QMultiHash<quint32, char16_t> wanted;
        for (int i = 0; i < radicalGlyphs.size() && i < radicals.size(); ++i)
            if (radicalGlyphs[i] != 0 && !map.contains(radicals[i].unicode()))
                wanted.insert(radicalGlyphs[i], radicals[i].unicode());
        if (wanted.isEmpty())
            continue;
        const QList<quint32> glyphs = raw.glyphIndexesForString(ideographs);
        for (int i = 0; i < glyphs.size() && i < ideographs.size(); ++i) {
            const auto found = wanted.equal_range(glyphs[i]);
            for (auto it = found.first; it != found.second; ++it)
                map.insert(*it, ideographs[i].unicode());
            wanted.remove(glyphs[i]);
        }
    }
    // A fallback face not asked above may share glyphs too; the Kangxi
    // radicals at least have their ideographs in Unicode itself.
    for (char16_t c = 0x2F00; c <= 0x2FD5; ++c) {
        if (map.contains(c))
            continue;
        const QString nfkc = QString(QChar(c)).normalized(QString::NormalizationForm_KC);
        if (nfkc.size() == 1 && !isRadical(nfkc[0].unicode()))
            map.insert(c, nfkc[0].unicode());
    }
    return map;
}

int hexValue(const char* p)
{
    int v = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = p[i];
        v <<= 4;
        if (c >= '0' && c <= '9')
            v |= c - '0';
        else if (c >= 'a' && c <= 'f')
            v |= c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v |= c - 'A' + 10;
        else
            return -1;
    }
    return v;
}

void writeHex(char* p, int v)
{
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 3; i >= 0; --i, v >>= 4)
        p[i] = digits[v & 0xF];
}

// One line of a bfrange section: <first> <last> <code> or
// <first> <last> [<code> <code> ...]. The destinations are rewritten in
// place, four hex digits for four, so that no offset of the file moves.
void repairRangeLine(char* line, char* end)
{
    QList<char*> codes; // the first hex digit of each <xxxx>
    bool array = false;
    for (char* p = line; p < end; ++p) {
        if (*p == '[')
            array = true;
        if (*p == '<' && p + 5 < end && p[5] == '>')
            codes << p + 1;
    }
    if (codes.size() < 3)
        return;
    const int first = hexValue(codes[0]);
    const int last = hexValue(codes[1]);
    // A run of glyphs onto consecutive code points would need as many
    // consecutive radicals, first used in their Unicode order; such a run
    // cannot be split in place and is left as written.
    if (!array && first != last)
        return;
    for (int i = 2; i < codes.size(); ++i) {
        const int code = hexValue(codes[i]);
        if (code < 0 || !isRadical(uint(code)))
            continue;
        const char16_t ideograph = ideographOfRadical(char16_t(code));
        if (ideograph != code)
            writeHex(codes[i], ideograph);
    }
}

} // namespace

char16_t ideographOfRadical(char16_t radical)
{
    static const QHash<char16_t, char16_t> map = radicalIdeographs();
    return map.value(radical, radical);
}

bool repairPdfCharacters(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    if (size == 0)
        return true;
    uchar* mapped = file.map(0, size);
    if (!mapped)
        return false;
    char* data = reinterpret_cast<char*>(mapped);
    const QByteArrayView all(data, size);
    // The writer keeps its character maps uncompressed, each a CMap of
    // bfrange sections.
    static const QByteArray cmapStart = "/CIDInit /ProcSet findresource begin";
    qsizetype at = 0;
    while ((at = all.indexOf(cmapStart, at)) >= 0) {
        const qsizetype cmapEnd = all.indexOf(QByteArrayView("endcmap"), at);
        if (cmapEnd < 0)
            break;
        qsizetype section = at;
        while ((section = all.indexOf(QByteArrayView("beginbfrange"), section)) >= 0 && section < cmapEnd) {
            qsizetype line = all.indexOf('\n', section) + 1;
            const qsizetype sectionEnd = all.indexOf(QByteArrayView("endbfrange"), section);
            if (line <= 0 || sectionEnd < 0)
                break;
            while (line < sectionEnd) {
                qsizetype next = all.indexOf('\n', line);
                if (next < 0 || next > sectionEnd)
                    next = sectionEnd;
                repairRangeLine(data + line, data + next);
                line = next + 1;
            }
            section = sectionEnd;
        }
        at = cmapEnd;
    }
    file.unmap(mapped);
    return true;
}

} // namespace qv
