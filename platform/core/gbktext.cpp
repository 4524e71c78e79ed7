#include "gbktext.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qv::gbk {

// Opening a converter looks the codec up by name in ICU's tables, which
// costs more than converting a name: each thread keeps one of each. One
// that met a character it cannot convert keeps saying so and is made anew,
// in place: ICU's converter points back at the object it was made for.
std::optional<QByteArray> encode(QStringView text)
{
    thread_local std::optional<QStringEncoder> encoder;
    if (!encoder)
        encoder.emplace("GBK", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder->encode(text);
    if (encoder->hasError()) {
        encoder.reset();
        return std::nullopt;
    }
    return bytes;
}

QString decode(const QByteArray& bytes)
{
    thread_local std::optional<QStringDecoder> decoder;
    if (!decoder)
        decoder.emplace("GBK", QStringConverter::Flag::Stateless);
    QString text = decoder->decode(bytes);
    if (decoder->hasError())
        decoder.reset();
    return text;
}

QString firstUnencodable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView one = text.mid(i, n);
        if (!encode(one))
            return one.toString();
        i += n - 1;
    }
    return {};
}

int len(QStringView text)
{
    if (auto bytes = encode(text))
        return int(bytes->size());
    int total = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        auto one = encode(text.mid(i, n));
        total += one ? int(one->size()) : 2;
        i += n - 1;
    }
    return total;
}

QString left(QStringView text, int bytes)
{
    const auto encoded = encode(text);
    if (!encoded)
        return text.toString();
    return decode(encoded->left(std::max(0, bytes)));
}

QString mid(QStringView text, int start, int bytes)
{
    const auto encoded = encode(text);
    if (!encoded || start < 1)
        return {};
    return decode(bytes < 0 ? encoded->mid(start - 1) : encoded->mid(start - 1, bytes));
}

std::optional<QString> checkField(QStringView text, int width, const QString& fieldCaption)
{
    const QString bad = firstUnencodable(text);
    if (!bad.isEmpty())
        return QStringLiteral("“%1”中的字符“%2”不能保存，请换用其他写法。").arg(fieldCaption, bad);
    const int n = len(text);
    if (width > 0 && n > width)
        return QStringLiteral("“%1”太长：最多%2个字节（%3个汉字），现在是%4个字节。")
            .arg(fieldCaption)
            .arg(width)
            .arg(width / 2)
            .arg(n);
    return std::nullopt;
}

} // namespace qv::gbk
