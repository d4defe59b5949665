// Stands in for a program the launcher runs. Its arguments are steps, done in order:
//   out:TEXT       TEXT on the standard output ("\n" and "\r" as in C)
//   fill:N:TEXT    TEXT (escapes as above) again and again, N bytes in all
//   drain          reads the standard input to its end
//   sleep:MS       waits MS milliseconds
//   touch:PATH     creates the file PATH
//   exit:CODE      ends with CODE
//   spawn          runs the steps after it in a child of its own and waits for that child
//   leave          runs the steps after it in a child of its own and ends at once
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

void out(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}

QByteArray unescaped(const QString &text)
{
    return text.toUtf8().replace("\\n", "\n").replace("\\r", "\r");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList steps = app.arguments().mid(1);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString &step = steps[i];
        const QString value = step.section(QLatin1Char(':'), 1);
        if (step.startsWith(QLatin1String("out:"))) {
            out(unescaped(value));
        } else if (step.startsWith(QLatin1String("fill:"))) {
            const QByteArray text = unescaped(value.section(QLatin1Char(':'), 1));
            for (qint64 left = value.section(QLatin1Char(':'), 0, 0).toLongLong(); left > 0;
                 left -= text.size())
                out(text.left(qsizetype(qMin<qint64>(left, text.size()))));
        } else if (step == QLatin1String("drain")) {
            while (std::fgetc(stdin) != EOF) {
            }
        } else if (step.startsWith(QLatin1String("sleep:"))) {
            std::fflush(stdout);
            QThread::msleep(value.toULong());
        } else if (step.startsWith(QLatin1String("touch:"))) {
            QFile(value).open(QIODevice::WriteOnly);
        } else if (step.startsWith(QLatin1String("exit:"))) {
            std::fflush(stdout);
            return value.toInt();
        } else if (step == QLatin1String("leave")) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), steps.mid(i + 1));
            const bool started = child.waitForStarted(-1);
            std::fflush(stdout);
            // At once: no destructor may end the child left to run on.
            std::_Exit(started ? 0 : 127);
        } else if (step == QLatin1String("spawn")) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), steps.mid(i + 1));
            return child.waitForFinished(-1) ? child.exitCode() : 127;
        } else {
            std::fprintf(stderr, "unknown step %s\n", qPrintable(step));
            return 2;
        }
    }
    return 0;
}
