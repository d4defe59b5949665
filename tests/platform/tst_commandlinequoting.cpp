#include "platform/Processes.h"

#include <QTest>

// How a Windows engine gets its arguments: these rows are the C runtime's rules; the Windows
// suite also hands them to a real program.
class TestCommandLineQuoting : public QObject
{
    Q_OBJECT

private slots:
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
        QCOMPARE(platform::windowsCommandLine("C:\\GAMES\\doom.exe", {"-warp", argument}),
                 "\"C:\\GAMES\\doom.exe\" -warp " + quoted);
    }

    void programNameIsQuotedAsItIs()
    {
        // The program's name ends at the next quote: a trailing backslash is no escape there.
        QCOMPARE(platform::windowsCommandLine("C:\\my games\\doom.exe", {}),
                 "\"C:\\my games\\doom.exe\"");
    }
};

QTEST_APPLESS_MAIN(TestCommandLineQuoting)
#include "tst_commandlinequoting.moc"
