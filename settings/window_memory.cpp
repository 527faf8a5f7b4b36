#include "window_memory.h"

#include <QFileInfo>

namespace {

const QString Recent_Key = QStringLiteral("Recent Jobs");
const QString Main_Key = QStringLiteral("Window Geometry");
const QString Details_Key = QStringLiteral("Details Geometry");
const QString Details_Open_Key = QStringLiteral("Details Open");

} // namespace

QStringList With_Recent_Job(QStringList jobs, const QString &path)
{
    if (path.isEmpty())
        return jobs;
    const QString whole = QFileInfo(path).absoluteFilePath();
    jobs.removeAll(whole);
    jobs.prepend(whole);
    while (jobs.size() > Recent_Jobs_Kept)
        jobs.removeLast();
    return jobs;
}

QStringList Existing_Jobs(const QStringList &jobs)
{
    QStringList out;
    for (const QString &path : jobs)
        if (QFileInfo(path).isFile())
            out << path;
    return out;
}

QStringList Read_Recent_Jobs(const Settings_Store &store)
{
    QStringList jobs = store.Read(Recent_Key).split(u'\n', Qt::SkipEmptyParts);
    while (jobs.size() > Recent_Jobs_Kept)
        jobs.removeLast();
    return jobs;
}

void Write_Recent_Jobs(Settings_Store &store, const QStringList &jobs)
{
    store.Write(Recent_Key, jobs.join(u'\n'));
}

Window_Memory Read_Window_Memory(const Settings_Store &store)
{
    Window_Memory m;
    m.Main_Geometry = QByteArray::fromBase64(store.Read(Main_Key).toLatin1());
    m.Details_Geometry = QByteArray::fromBase64(store.Read(Details_Key).toLatin1());
    m.Details_Open = Settings_Boolean(store.Read(Details_Open_Key), false);
    return m;
}

void Write_Window_Memory(Settings_Store &store, const Window_Memory &memory)
{
    store.Write(Main_Key, QString::fromLatin1(memory.Main_Geometry.toBase64()));
    store.Write(Details_Key, QString::fromLatin1(memory.Details_Geometry.toBase64()));
    store.Write(Details_Open_Key, memory.Details_Open ? QStringLiteral("True") : QStringLiteral("False"));
}
