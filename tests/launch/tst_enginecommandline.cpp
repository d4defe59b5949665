#include "launch/EngineCommandLine.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(LaunchSelections)

namespace {

LaunchSelections engineOnly()
{
    LaunchSelections s;
    s.engineFolder = "/games/doom";
    s.engineName = "engine.exe";
    s.programFolder = "/launch";
    s.extraParameter = "-";
    return s;
}

// The worked example: engine, IWAD, one PWAD also as GL-node PWAD, "Ultra Violence",
// warp 07, record demo1, -fast and -nomusic.
LaunchSelections example()
{
    LaunchSelections s = engineOnly();
    s.iwadFolder = "/games/iwads";
    s.iwadName = "doom2.wad";
    s.pwad1Folder = "/games/pwads";
    s.pwad1Name = s.glName = "maps.wad";
    s.skill = 4;
    s.warp = "07";
    s.recordName = "demo1";
    s.switches[2] = s.switches[3] = true;
    return s;
}

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(' ');
}

// Reads a shown line back the way a command line is split: at blanks, with double quotes
// holding an argument together.
QStringList splitShown(const QString &line)
{
    QStringList words;
    QString word;
    bool quoted = false, started = false;
    for (const QChar c : line) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started)
                words << word;
            word.clear();
            started = false;
        } else {
            word += c;
            started = true;
        }
    }
    if (started)
        words << word;
    return words;
}

} // namespace

class TestEngineCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void composes_data()
    {
        QTest::addColumn<LaunchSelections>("selections");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("arguments");

        QTest::newRow("worked example")
            << example()
            << "engine.exe -iwad /games/iwads/doom2.wad -file /launch/GL_WADs/maps.wad "
               "/games/pwads/maps.wad -warp 07 -record demo1 -skill 4 -fast -nomusic"
            << words("-iwad /games/iwads/doom2.wad -file /launch/GL_WADs/maps.wad "
                     "/games/pwads/maps.wad -warp 07 -record demo1 -skill 4 -fast -nomusic");

        LaunchSelections s = engineOnly();
        s.pwad2Folder = "/p2";
        s.pwad2Name = "b.wad";
        s.pwad1Folder = "/p1";
        s.pwad1Name = "a.wad";
        QTest::newRow("PWAD 1 before PWAD 2") << s << "engine.exe -file /p1/a.wad /p2/b.wad"
                                              << QStringList{"-file", "/p1/a.wad", "/p2/b.wad"};

        s = engineOnly();
        s.recordName = "new";
        s.playDemo = "old one.lmp";
        QTest::newRow("playback beats recording, its name whole")
            << s << "engine.exe -playdemo \"old one\"" << QStringList{"-playdemo", "old one"};

        s.playDemo = ".lmp";
        QTest::newRow("demo named .lmp") << s << "engine.exe -playdemo" << QStringList{"-playdemo"};

        s = engineOnly();
        s.skill = 2;
        s.loadSlot = 0;
        QTest::newRow("load slot beats skill")
            << s << "engine.exe -loadgame 0" << QStringList{"-loadgame", "0"};

        s = engineOnly();
        s.pwad1Folder = "/my pwads";
        s.pwad1Name = "big map.wad";
        s.warp = "1 5";
        QTest::newRow("blanks: a path stays whole, a typed text splits")
            << s << "engine.exe -file \"/my pwads/big map.wad\" -warp 1 5"
            << QStringList{"-file", "/my pwads/big map.wad", "-warp", "1", "5"};

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
               "-nomusic -nosfx -nosound -devparm - -turbo 200"
            << words("-warp 3 -maxdemo 1 -record r -loadgame 5 -respawn -fast -nomonsters "
                     "-nomusic -nosfx -nosound -devparm - -turbo 200");

        s = engineOnly();
        s.extraParameterOn = true;
        s.extraParameter = QString();
        QTest::newRow("empty extra parameter adds nothing") << s << "engine.exe" << QStringList();
    }

    void composes()
    {
        QFETCH(LaunchSelections, selections);
        const EngineCommand command = ComposeEngineCommandLine(selections);
        QTEST(command.line, "line");
        QTEST(command.arguments, "arguments");
        QCOMPARE(command.program, selections.engineFolder + "/" + selections.engineName);
    }

    void programKeepsADoubleSeparator()
    {
        LaunchSelections s = engineOnly();
        s.engineFolder = "/";
        QCOMPARE(ComposeEngineCommandLine(s).program, QString("//engine.exe"));
    }

    // Whatever the player sets, the shown line reads back as the name and the arguments.
    void shownLineIsWhatRuns()
    {
        QRandomGenerator random(20240611);
        const QStringList texts = {"", "7", "1 5", " a  b ", "x", "two words", "-"};
        const auto pick = [&](const QStringList &from) {
            return from.at(random.bounded(int(from.size())));
        };
        for (int round = 0; round < 500; ++round) {
            LaunchSelections s;
            s.engineFolder = pick({"/e", "/", "/with blank"});
            s.engineName = pick({"doom", "my engine"});
            s.iwadFolder = pick({"/i", "/i blank/"});
            s.iwadName = pick({"", "doom2.wad", "a b.wad"});
            s.pwad1Folder = s.pwad2Folder = pick({"/p", "/p q"});
            s.pwad1Name = pick({"", "one.wad", "o n e.wad"});
            s.pwad2Name = pick({"", "two.wad"});
            s.programFolder = pick({"/prog", "/pro gram"});
            s.glName = pick({"", "gl.wad"});
            s.skill = random.bounded(6);
            s.loadSlot = random.bounded(7) - 1;
            s.recordName = pick(texts);
            s.extraParameter = pick(texts);
            s.warp = pick(texts);
            s.turbo = pick(texts);
            s.maxDemo = pick(texts);
            s.playDemo = pick({"", "d.lmp", "d e.lmp", ".lmp"});
            for (bool &on : s.switches)
                on = random.bounded(2);
            s.extraParameterOn = random.bounded(2);

            const EngineCommand command = ComposeEngineCommandLine(s);
            QCOMPARE(splitShown(command.line), QStringList{s.engineName} + command.arguments);
            QVERIFY(!command.arguments.contains(QString()));
        }
    }

    void engineCheck_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("passes");
        QTest::newRow("nothing selected") << "" << false;
        QTest::newRow("exe, missing file") << "doom.exe" << true;
        QTest::newRow("EXE in capitals") << "DOOM.EXE" << true;
        QTest::newRow("executable without suffix") << "prboom" << true;
        QTest::newRow("link to an executable") << "linked" << true;
        QTest::newRow("plain file") << "readme" << false;
        QTest::newRow("executable WAD") << "doom2.WAD" << false;
        QTest::newRow("executable demo") << "demo1.lmp" << false;
        QTest::newRow("folder") << "sub" << false;
    }

    void engineCheck()
    {
        QTemporaryDir dir;
        const auto make = [&](const QString &name, bool program) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (program)
                f.setPermissions(f.permissions() | QFile::ExeOwner);
        };
        make("prboom", true);
        make("readme", false);
        make("doom2.WAD", true);
        make("demo1.lmp", true);
        QVERIFY(QFile::link(dir.filePath("prboom"), dir.filePath("linked")));
        QVERIFY(QDir(dir.path()).mkdir("sub"));

        QFETCH(QString, name);
        QTEST(PassesEngineCheck(dir.path(), name), "passes");
    }
};

QTEST_APPLESS_MAIN(TestEngineCommandLine)
#include "tst_enginecommandline.moc"
