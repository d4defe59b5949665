#include "core/launch/EngineCommandLine.h"
#include "platform/Platform.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(LaunchSelections)

namespace {

// `line` with "/" as the system's separator and "./NAME" as a file of the working folder.
QString native(const QString &line)
{
    static const QRegularExpression local(QStringLiteral("\\./([^ \"]*)"));
    QString out;
    qsizetype done = 0;
    for (QRegularExpressionMatchIterator it = local.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out +=
            QString(line.mid(done, m.capturedStart() - done)).replace('/', platform::separator());
        out += platform::localFileArgument(m.captured(1));
        done = m.capturedEnd();
    }
    return out + QString(line.mid(done)).replace('/', platform::separator());
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
        QTest::addColumn<QString>("line"); // split at blanks outside quotes: the arguments

        LaunchSelections s = engineOnly();
        s.pwad2Folder = native("/p2");
        s.pwad2Name = "b.wad";
        s.pwad1Folder = native("/p1");
        s.pwad1Name = "a.wad";
        QTest::newRow("PWAD 1 before PWAD 2") << s << "engine.exe -file /p1/a.wad /p2/b.wad";

        // The demo is named as the file it is, relative to the engine's folder, where the
        // engine runs: never an option, never the IWAD's own demo of the same name.
        s = engineOnly();
        s.recordName = "new";
        s.playDemo = "old one.lmp";
        QTest::newRow("a playback demo's name stays whole")
            << s << "engine.exe -playdemo \"./old one.lmp\"";
        s.playDemo = "-nomonsters.lmp";
        QTest::newRow("a demo named like a switch")
            << s << "engine.exe -playdemo ./-nomonsters.lmp";
        s.playDemo = ".lmp";
        QTest::newRow("demo named .lmp") << s << "engine.exe -playdemo ./.lmp";

        s = engineOnly();
        s.recordName = "my run";
        QTest::newRow("a record name stays whole") << s << "engine.exe -record \"my run\"";
        s.recordName = "-fast";
        QTest::newRow("a record name like a switch") << s << "engine.exe -record ./-fast";

        s = engineOnly();
        s.engineName = "my engine";
        s.skill = 5;
        QTest::newRow("\"Nightmare!\", an engine name with a blank")
            << s << "\"my engine\" -skill 5";

        s = engineOnly();
        s.skill = 2;
        s.loadSlot = 0;
        QTest::newRow("load slot beats skill") << s << "engine.exe -loadgame 0";

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
            << "engine.exe -warp 3 -maxdemo 1 -record r -loadgame 5 -respawn -fast -nomonsters "
               "-nomusic -nosfx -nosound -devparm - -turbo 200";
    }

    void composes()
    {
        QFETCH(LaunchSelections, selections);
        QFETCH(QString, line);
        const EngineCommand command = ComposeEngineCommandLine(selections);
        QCOMPARE(command.line, native(line));
        QCOMPARE(command.arguments, QProcess::splitCommand(native(line)).mid(1));
    }
};

QTEST_APPLESS_MAIN(TestEngineCommandLine)
#include "tst_enginecommandline.moc"
