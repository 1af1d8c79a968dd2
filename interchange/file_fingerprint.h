#pragma once

#include <QByteArrayView>
#include <QString>

// The fingerprint that names a declaration file's content, so that what was sent
// can be proven later: the SHA-256 of its bytes, 64 lower-case hex digits (as
// `sha256sum` prints it).
namespace FileFingerprint {

QString of(QByteArrayView bytes);

} // namespace FileFingerprint
