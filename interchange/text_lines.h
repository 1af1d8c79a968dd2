#pragma once

#include <QByteArrayView>
#include <QList>

// The lines of a text, as the declaration files and their schemas end them
// (CR LF, or LF alone), without their ends. A last line without an end is a
// line; nothing after the last end is not.
namespace TextLines {

QList<QByteArrayView> split(QByteArrayView text);

} // namespace TextLines
