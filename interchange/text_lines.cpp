#include "interchange/text_lines.h"

namespace TextLines {

QList<QByteArrayView> split(QByteArrayView text)
{
    QList<QByteArrayView> lines;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

qsizetype firstUnprintable(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!isPrintableAscii(static_cast<unsigned char>(bytes[i])))
            return i;
    }
    return -1;
}

qsizetype firstUnprintable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isPrintableAscii(text[i].unicode()))
            return i;
    }
    return -1;
}

QString unprintableMessage(qsizetype position, unsigned char byte)
{
    return QStringLiteral("第 %1 個字元不是 ASCII 可列印字元 (0x%2)").arg(position).arg(int(byte), 2, 16, QChar(u'0'));
}

QString lineError(int lineNo, const QString &field, const QString &why)
{
    return field.isEmpty() ? QStringLiteral("第 %1 行: %2").arg(lineNo).arg(why)
                           : QStringLiteral("第 %1 行 %2 欄位: %3").arg(lineNo).arg(field, why);
}

} // namespace TextLines
