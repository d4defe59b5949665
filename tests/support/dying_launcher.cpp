// Stands in for a launcher that is ended in the middle of its work, the way a player's system
// ends one:
//   dying_launcher build GL_WADS INPUT OUTPUT HOW MS PROGRAM [ARGUMENTS...]
//       begins a node build of INPUT into OUTPUT and runs PROGRAM as its builder;
//   dying_launcher copy FROM TO HOW MS
//       copies FROM onto TO;
// and MS milliseconds after the builder began OUTPUT, or after the copy made its new file, is
// ended as HOW says: "kill" (nothing runs after it),
// "term", "hup" or "int" (that signal), or "exit" (the process exits from within the event
// loop, as the display library makes it when the display goes away). It exits with the status a
// launcher would end with, 3 when its work ended before it was ended.
#include "core/files/BuildJournal.h"
#include "core/files/FileOperations.h"
#include "core/nodes/ShellAndWait.h"
#include "platform/Ending.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int endedWith = 3;

void die(const QString &how)
{
    if (how == QLatin1String("exit"))
        std::exit(1);
#ifdef _WIN32
    ::TerminateProcess(::GetCurrentProcess(), 0xC000013A); // as a crash ends it
#else
    const int signal = how == QLatin1String("term")  ? SIGTERM
                       : how == QLatin1String("hup") ? SIGHUP
                       : how == QLatin1String("int") ? SIGINT
                                                     : SIGKILL;
    std::raise(signal);
#endif
}

// Counted from when the work has begun, not from the start: a slow system (a cold Wine, a
// loaded machine) may take longer than MS to start a builder. After a while it ends anyway.
bool hasBegun(const std::function<bool()> &begun)
{
    static QElapsedTimer waited;
    if (!waited.isValid())
        waited.start();
    return begun() || waited.elapsed() > 15000;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool build = args.value(0) == QLatin1String("build");
    const QString how = args.value(build ? 4 : 3);
    const int ms = args.value(build ? 5 : 4).toInt();
    // As the launcher's own start does.
    ending::onEndRequested(&app, [](int status) {
        endedWith = status;
        ending::request();
        ending::unwindAll();
        QCoreApplication::exit(status);
    });

    if (!build) {
        // The copy holds the window's thread: the end comes from elsewhere, as a signal does.
        const QString folder = QFileInfo(args.value(2)).absolutePath();
        std::thread([how, ms, folder] {
            while (!hasBegun([&] {
                return !QDir(folder)
                            .entryList({QStringLiteral(".zel-*.new")}, QDir::Files | QDir::Hidden)
                            .isEmpty();
            }))
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            die(how);
        }).detach();
        QString reason;
        CopyFileReplacing(args.value(1), args.value(2), &reason);
        QCoreApplication::processEvents(); // the end's handler
        return endedWith;
    }
    BuildJournal journal(args.value(1));
    QString reason;
    QStringList repaired;
    if (!journal.begin(args.value(2), args.value(3), &reason, &repaired))
        return 2;
    const QString output = args.value(3);
    const QByteArray before = platform::fileStamp(output);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!hasBegun([&] { return platform::fileStamp(output) != before; }))
            return;
        poll.stop();
        QTimer::singleShot(ms, &app, [how] { die(how); });
    });
    poll.start(10);
    ShellAndWait(args.value(6), args.mid(7));
    journal.rollBack();
    return endedWith;
}
