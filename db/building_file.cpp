#include "db/building_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr auto Infix = ".new-";
constexpr auto JournalSuffix = "-journal";
constexpr int RandomLength = 6;
constexpr int Tries = 100;

QString randomPart()
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString part;
    for (int i = 0; i < RandomLength; ++i)
        part += QLatin1Char(chars[QRandomGenerator::global()->bounded(int(sizeof chars - 1))]);
    return part;
}

QString journalOf(const QString &path)
{
    return path + QLatin1String(JournalSuffix);
}

} // namespace

bool BuildingFile::create(QString *detail)
{
    remove();
    for (int i = 0; i < Tries; ++i) {
        const QString path = m_target + QLatin1String(Infix) + randomPart();
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            *detail = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        // Until the lock is taken another run's sweep may see the file free and
        // remove it; hold() then fails and a new name is tried.
        const bool held = m_lock.hold(path);
        ::close(fd);
        if (held) {
            m_path = path;
            return true;
        }
    }
    *detail = QStringLiteral("無法建立暫存檔 %1").arg(QDir::toNativeSeparators(m_target + QLatin1String(Infix)));
    return false;
}

bool BuildingFile::rename(QString *detail)
{
    QFile file(m_path);
    // QFile::rename never replaces an existing file.
    if (!file.rename(m_target)) {
        *detail = file.errorString();
        return false;
    }
    m_path.clear();
    m_lock.release();
    return true;
}

void BuildingFile::remove()
{
    if (m_path.isEmpty())
        return;
    // The journal first: while the lock is held no sweep finds it without its file.
    QFile::remove(journalOf(m_path));
    QFile::remove(m_path);
    m_path.clear();
    m_lock.release();
}

bool BuildingFile::isTemporaryName(const QString &name, const QString &targetName, bool journal)
{
    QString rest = name;
    if (journal) {
        if (!rest.endsWith(QLatin1String(JournalSuffix)))
            return false;
        rest.chop(int(std::strlen(JournalSuffix)));
    }
    const QString prefix = targetName + QLatin1String(Infix);
    if (!rest.startsWith(prefix) || rest.size() != prefix.size() + RandomLength)
        return false;
    for (qsizetype i = prefix.size(); i < rest.size(); ++i) {
        const QChar c = rest.at(i);
        if (c.unicode() >= 0x80 || !c.isLetterOrNumber())
            return false;
    }
    return true;
}

void BuildingFile::sweepAbandoned(const QString &target)
{
    const QFileInfo info(target);
    const QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (!isTemporaryName(name, info.fileName(), false))
            continue;
        const QString path = folder.filePath(name);
        PathLock lock;
        if (!lock.tryHold(path))
            continue;   // a live run's
        QFile::remove(journalOf(path));
        QFile::remove(path);
    }
    // A journal whose file is gone: its run was killed between the two removals.
    for (const QString &name : names) {
        if (!isTemporaryName(name, info.fileName(), true))
            continue;
        const QString path = folder.filePath(name);
        const QString base = path.chopped(int(std::strlen(JournalSuffix)));
        if (!QFileInfo::exists(base) && !QFileInfo(base).isSymLink())
            QFile::remove(path);
    }
}
