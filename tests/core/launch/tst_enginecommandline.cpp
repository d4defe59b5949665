#include "core/launch/EngineCommandLine.h"
#include "core/launch/TypedWords.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(LaunchSelections)
Q_DECLARE_METATYPE(platform::WordRule)

namespace {

using platform::WordRule;

// `text` with "/" as the system's separator and "./NAME" as a file of the working folder.
QString native(const QString &text)
{
    static const QRegularExpression local(QStringLiteral("^\\./(.*)"));
    const QRegularExpressionMatch m = local.match(text);
    return m.hasMatch() ? platform::localFileArgument(m.captured(1))
                        : QString(text).replace('/', platform::separator());
}

// The words a line runs as: on Windows the program up to its closing quote, then the
// runtime's words.
QStringList wordsOf(const QString &line)
{
    if (platform::typedWordRule() == WordRule::PosixShell)
        return SplitLikePosixShell(line);
    const qsizetype close = line.indexOf('"', 1);
    return QStringList{line.mid(1, close - 1)} + SplitLikeWindowsRuntime(line.mid(close + 1));
}

LaunchSelections engineOnly()
{
    LaunchSelections s;
    s.engineFolder = native("/games/doom");
    s.engineName = "engine.exe";
    s.programFolder = native("/launch");
    s.extraParameter = "-";
    return s;
}

} // namespace

class TestEngineCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // The window's tests run the worked example, blanks and the separators through a real
    // launch; these are the rules no single launch shows.
    void composes_data()
    {
        QTest::addColumn<LaunchSelections>("selections");
        QTest::addColumn<QStringList>("arguments"); // "/" and "./" as the system spells them

        LaunchSelections s = engineOnly();
        s.pwad2Folder = native("/p2");
        s.pwad2Name = "b.wad";
        s.pwad1Folder = native("/p1");
        s.pwad1Name = "a.wad";
        QTest::newRow("PWAD 1 before PWAD 2")
            << s << QStringList{"-file", "/p1/a.wad", "/p2/b.wad"};

        // The demo is named as the file it is, relative to the engine's folder, where the
        // engine runs: never an option, never the IWAD's own demo of the same name.
        s = engineOnly();
        s.recordName = "new";
        s.playDemo = "old one.lmp";
        QTest::newRow("a playback demo's name stays whole")
            << s << QStringList{"-playdemo", "./old one.lmp"};
        s.playDemo = "-nomonsters.lmp";
        QTest::newRow("a demo named like a switch")
            << s << QStringList{"-playdemo", "./-nomonsters.lmp"};
        s.playDemo = ".lmp";
        QTest::newRow("demo named .lmp") << s << QStringList{"-playdemo", "./.lmp"};

        s = engineOnly();
        s.recordName = "my \"run\" 'x'";
        QTest::newRow("a record name stays whole") << s << QStringList{"-record", "my \"run\" 'x'"};
        s.recordName = "-fast";
        QTest::newRow("a record name like a switch") << s << QStringList{"-record", "./-fast"};

        s = engineOnly();
        s.engineName = "my engine";
        s.skill = 5;
        QTest::newRow("\"Nightmare!\", an engine name with a blank")
            << s << QStringList{"-skill", "5"};

        s = engineOnly();
        s.skill = 2;
        s.loadSlot = 0;
        QTest::newRow("load slot beats skill") << s << QStringList{"-loadgame", "0"};

        s = engineOnly();
        s.turbo = "200";
        s.maxDemo = " 1 ";
        s.warp = "3";
        s.recordName = "r";
        s.loadSlot = 5;
        s.switches.fill(true);
        s.extraParameterOn = true;
        QTest::newRow("order of all pieces, extra blanks dropped")
            << s
            << QStringList{"-warp",     "3",        "-maxdemo", "1",     "-record",     "r",
                           "-loadgame", "5",        "-respawn", "-fast", "-nomonsters", "-nomusic",
                           "-nosfx",    "-nosound", "-devparm", "-",     "-turbo",      "200"};

        // What the player typed, split as this system's people expect, each box on its own.
        s = engineOnly();
        s.warp = "\"1 2";
        s.maxDemo = "3\"";
        s.extraParameterOn = true;
        s.extraParameter = "-config \"C:\\My Games\\doom.cfg\" \"\"";
        QTest::newRow("typed quotes group words; an open one ends with its box")
            << s
            << QStringList{"-warp", "1 2", "-maxdemo", "3", "-config", "C:\\My Games\\doom.cfg",
                           ""};
    }

    void composes()
    {
        QFETCH(LaunchSelections, selections);
        QFETCH(QStringList, arguments);
        for (QString &argument : arguments)
            argument = native(argument);
        const EngineCommand command = ComposeEngineCommandLine(selections);
        QCOMPARE(command.arguments, arguments);
        // What debug mode shows is what runs.
        QCOMPARE(wordsOf(command.line), QStringList{command.program} + arguments);
    }

    // How a Windows engine gets its arguments: the C runtime's rules, which the Windows suite
    // also hands to a real program. The program's name is quoted as it is.
    void quotesEachArgumentWhole_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("quoted");
        // clang-format off
        QTest::newRow("plain") << "-iwad" << "-iwad";
        QTest::newRow("empty") << "" << "\"\"";
        QTest::newRow("a blank") << "C:\\Program Files\\doom2.wad" << "\"C:\\Program Files\\doom2.wad\"";
        QTest::newRow("a tab") << "a\tb" << "\"a\tb\"";
        QTest::newRow("a quote") << "say \"hi\"" << "\"say \\\"hi\\\"\"";
        QTest::newRow("backslashes before a quote") << "a\\\\\"b" << "\"a\\\\\\\\\\\"b\"";
        QTest::newRow("backslashes elsewhere stay single") << "C:\\GAMES\\DOOM\\" << "C:\\GAMES\\DOOM\\";
        QTest::newRow("a trailing backslash after a blank") << "C:\\my games\\" << "\"C:\\my games\\\\\"";
        QTest::newRow("two trailing backslashes after a blank") << "a b\\\\" << "\"a b\\\\\\\\\"";
        // clang-format on
    }

    void quotesEachArgumentWhole()
    {
        QFETCH(QString, argument);
        QFETCH(QString, quoted);
        QCOMPARE(platform::windowsCommandLine("C:\\my games\\doom.exe", {"-warp", argument}),
                 "\"C:\\my games\\doom.exe\" -warp " + quoted);
    }

    // Each rule as its system's users know it; the words come back whole through the quoting
    // each system's line is written with.
    void splitsTypedText_data()
    {
        QTest::addColumn<WordRule>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        const WordRule windows = WordRule::WindowsRuntime, posix = WordRule::PosixShell;
        // clang-format off
        for (const WordRule rule : {windows, posix}) {
            const char *system = rule == windows ? "Windows" : "POSIX";
            QTest::addRow("%s: a path in quotes", system) << rule << "-config \"C:\\My Games\\doom.cfg\"" << QStringList{"-config", "C:\\My Games\\doom.cfg"};
            QTest::addRow("%s: blanks and tabs", system) << rule << " 1 \t 2  " << QStringList{"1", "2"};
            QTest::addRow("%s: nothing", system) << rule << "  " << QStringList();
            QTest::addRow("%s: empty quotes", system) << rule << "\"\" x" << QStringList{"", "x"};
            QTest::addRow("%s: quotes inside a word", system) << rule << "a\"b c\"d" << QStringList{"ab cd"};
            QTest::addRow("%s: an open quote runs to the end", system) << rule << "x \"a b" << QStringList{"x", "a b"};
            QTest::addRow("%s: no expansion", system) << rule << "$HOME ~ *.wad $(ls) `ls` ; #" << QStringList{"$HOME", "~", "*.wad", "$(ls)", "`ls`", ";", "#"};
        }
        QTest::newRow("Windows: single quotes are letters") << windows << "'a b'" << QStringList{"'a", "b'"};
        QTest::newRow("Windows: backslashes stay unless a quote follows") << windows << "C:\\GAMES\\ \\\\server\\x" << QStringList{"C:\\GAMES\\", "\\\\server\\x"};
        QTest::newRow("Windows: 2n backslashes and a quote") << windows << "\"C:\\my games\\\\\" x" << QStringList{"C:\\my games\\", "x"};
        QTest::newRow("Windows: 2n+1 backslashes and a quote") << windows << "\\\"hi\\\" a\\\\\\\"b" << QStringList{"\"hi\"", "a\\\"b"};
        QTest::newRow("Windows: a doubled quote inside quotes") << windows << "\"a\"\"b c\"" << QStringList{"a\"b c"};
        QTest::newRow("POSIX: single quotes") << posix << "'1 2' 'it''s' 'a\\' '\"'" << QStringList{"1 2", "its", "a\\", "\""};
        QTest::newRow("POSIX: a backslash keeps the next character") << posix << "a\\ b \\'x \\\\ c\\" << QStringList{"a b", "'x", "\\", "c\\"};
        QTest::newRow("POSIX: backslashes inside double quotes") << posix << "\"\\$\\`\\\"\\\\\\a\"" << QStringList{"$`\"\\\\a"};
        QTest::newRow("POSIX: a line break") << posix << "a\\\nb c\nd" << QStringList{"ab", "c", "d"};
        QTest::newRow("POSIX: an open single quote") << posix << "'a \"b" << QStringList{"a \"b"};
        // clang-format on
    }

    void splitsTypedText()
    {
        QFETCH(WordRule, rule);
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        if (rule == WordRule::WindowsRuntime) {
            QCOMPARE(SplitLikeWindowsRuntime(text), words);
            const QString line = platform::windowsCommandLine("engine.exe", words);
            QCOMPARE(SplitLikeWindowsRuntime(line.mid(QString("\"engine.exe\"").size())), words);
            return;
        }
        QCOMPARE(SplitLikePosixShell(text), words);
        QCOMPARE(SplitLikePosixShell(platform::posixShellLine(QStringList{"engine"} + words)),
                 QStringList{"engine"} + words);
        // A real shell agrees wherever it would expand nothing; an open quote it refuses.
        static const QRegularExpression expanded("[$`~#\n]");
        if (platform::typedWordRule() != WordRule::PosixShell || text.contains(expanded))
            return;
        QProcess shell;
        shell.start("/bin/sh", {"-fc", "printf '%s\\n' x " + text});
        QVERIFY(shell.waitForFinished());
        if (shell.exitCode() == 0)
            QCOMPARE(
                QString::fromUtf8(shell.readAllStandardOutput()).split('\n').mid(1, words.size()),
                words);
    }
};

QTEST_APPLESS_MAIN(TestEngineCommandLine)
#include "tst_enginecommandline.moc"
