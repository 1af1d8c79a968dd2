#include "interchange/file_fingerprint.h"

#include <QCryptographicHash>

namespace FileFingerprint {

QString of(QByteArrayView bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace FileFingerprint
