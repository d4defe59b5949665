#include "app/Form1.h"
#include "platform/Ending.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStyleFactory>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Qt's own options, which QApplication takes out of the arguments later: they keep working.
const char *const qtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// Answers --help and --version; -1 means: go on and open the window.
// A plain QCoreApplication needs no display, so this works on a text console too.
int answerCommandLine(int argc, char *argv[])
{
    QCoreApplication probe(argc, argv);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "A one-window launcher for Doom-engine games. It shows your folders of engines,\n"
        "IWADs, PWADs and demos side by side, composes the engine's command line from\n"
        "your choices and starts the engine in the engine's folder. It also builds\n"
        "GL-node WADs with an outside node builder.\n"
        "\n"
        "It keeps its own files in the folder it is started from: GL_WADs/ for GL-node\n"
        "PWADs, zel.cfg for the settings and zennode, the node builder. zel-start starts\n"
        "it in ~/.local/share/zel. Qt's own options, such as -platform and -style, are\n"
        "passed on to Qt."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    for (const char *name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : qtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    // A file manager or a desktop entry may pass a file: the launcher opens all the same.
    parser.parse(QCoreApplication::arguments());
    QStringList ignored;
    const QStringList unknown = parser.unknownOptionNames();
    for (const QString &argument : QCoreApplication::arguments().mid(1)) {
        const QString name = argument.section(QLatin1Char('='), 0, 0)
                                 .remove(QRegularExpression(QStringLiteral("^--?")));
        if (argument.startsWith(QLatin1Char('-')) && unknown.contains(name))
            ignored << argument;
    }
    ignored << parser.positionalArguments();
    if (!parser.isSet(help) && !parser.isSet(version) && !ignored.isEmpty()) {
        std::fprintf(stderr, "zel: ignoring %s: zel takes no files, only --help and --version.\n",
                     qUtf8Printable(ignored.join(QLatin1String(", "))));
    }
    if (parser.isSet(help))
        std::fputs(qUtf8Printable(parser.helpText()), stdout);
    else if (parser.isSet(version))
        std::printf("zel %s\n", ZEL_VERSION);
    else
        return -1;
    // An answer that did not arrive (a full disk, a closed pipe) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "zel: cannot write the answer: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1) {
        const int exitCode = answerCommandLine(argc, argv);
        if (exitCode >= 0)
            return exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEL"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    Form1 window;
    // Ended from outside, the launcher undoes what it was doing first: a node build's half-
    // written GL PWAD goes and the one before it comes back.
    ending::onEndRequested(&window, [](int status) {
        ending::request();
        ending::unwindAll();
        QCoreApplication::exit(status);
    });
    window.show();
    return app.exec();
}
