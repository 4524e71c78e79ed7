#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qv::gbk {

// The ledger measures every text in bytes of the GBK encoding: a column of
// width 16 holds eight Chinese characters or sixteen ASCII ones.

// The GBK bytes of a text, or nothing when a character has no GBK form.
std::optional<QByteArray> encode(QStringView text);
QString decode(const QByteArray& bytes);

// The first character that GBK cannot encode (a whole surrogate pair for
// characters outside the BMP); empty when every character encodes.
QString firstUnencodable(QStringView text);

// Byte length in GBK. A character without a GBK form counts as two bytes,
// which is never less than what would be stored after it is corrected.
int len(QStringView text);

// Byte-wise left and mid (mid's start is 1-based, as in the window code). A
// cut through the middle of a two-byte character keeps the lone byte, which
// decodes to U+FFFD; callers that need raw units use the QByteArray forms.
QString left(QStringView text, int bytes);
QString mid(QStringView text, int start, int bytes = -1);

// Checks that a value fits a column: every character encodable and at most
// `width` bytes. Returns the message to show the operator, naming the field,
// or nothing when the text fits.
std::optional<QString> checkField(QStringView text, int width, const QString& fieldCaption);

} // namespace qv::gbk
