#include "BenchSystem.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bench {

std::size_t plainListing(const QString &folder)
{
    std::vector<std::string> names;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    while (dirent *entry = readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (entry->d_type == DT_REG && length > 4 &&
            strcasecmp(entry->d_name + length - 4, ".wad") == 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return names.size();
}

// Mapped blocks included: the resident size would count pages the allocator keeps from
// earlier work, and so miss what the lists take.
long heapInUseKb()
{
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

namespace {
void writeScript(const QString &path, const QByteArray &script)
{
    QFile engine(path);
    engine.open(QIODevice::WriteOnly);
    engine.write(script);
    engine.close();
    engine.setPermissions(engine.permissions() | QFile::ExeOwner);
}
} // namespace

QString makeMarkingEngine(const QString &folder, const QString &name, const QString &mark)
{
    writeScript(folder + QLatin1Char('/') + name,
                "#!/bin/sh\n: > '" + QFile::encodeName(mark) + "'\n");
    return name;
}

QString makeTalkingEngine(const QString &folder, const QString &name)
{
    writeScript(folder + QLatin1Char('/') + name,
                "#!/bin/sh\nyes 'W_Init: a line of an engine that talks a lot, 64 bytes long' | "
                "head -c 100000000\necho 'I_Error: bench' >&2\n");
    return name;
}

// The gate is a FIFO: the engine blocks reading it, the bench blocks opening it for writing
// until the engine reads, and closing it ends the engine's read.
FailingEngine::FailingEngine(const QString &folder, const QString &name, const QString &gate)
    : m_name(name), m_gate(gate)
{
    const QByteArray fifo = QFile::encodeName(gate);
    ::mkfifo(fifo.constData(), 0600);
    writeScript(folder + QLatin1Char('/') + name,
                "#!/bin/sh\nread x < '" + fifo + "'\necho 'I_Error: bench' >&2\nexit 3\n");
}

FailingEngine::~FailingEngine()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
}

void FailingEngine::waitUntilWaiting()
{
    m_handle = ::open(QFile::encodeName(m_gate).constData(), O_WRONLY);
}

void FailingEngine::open()
{
    ::close(int(m_handle));
    m_handle = -1;
}

} // namespace bench
