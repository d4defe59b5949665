#include "app/FolderList.h"
#include "app/Form1.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

namespace {

const QString GamesFolder = QStringLiteral("/usr/share/games/doom/");

struct Lump
{
    QByteArray name;
    QByteArray data;
};

struct Wad
{
    QByteArray magic;
    QList<Lump> lumps;
    QString error; // what makes the file no WAD

    QByteArrayList names() const
    {
        QByteArrayList out;
        for (const Lump &lump : lumps)
            out << lump.name;
        return out;
    }
};

qint32 int32At(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

// A WAD: a 12-byte header (magic, lump count, directory offset), the lumps, and a
// directory of 16-byte entries (offset, size, name padded to 8 bytes).
Wad readWad(const QString &path)
{
    Wad wad;
    const QByteArray bytes = readAll(path);
    if (bytes.size() < 12)
        return wad.error = "shorter than a header", wad;
    wad.magic = bytes.left(4);
    const qint64 count = int32At(bytes, 4), directory = int32At(bytes, 8);
    if ((wad.magic != "IWAD" && wad.magic != "PWAD") || count < 0 || directory < 12 ||
        directory + 16 * count > bytes.size())
        return wad.error = "bad header", wad;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = directory + 16 * i;
        const qint64 offset = int32At(bytes, entry), size = int32At(bytes, entry + 4);
        if (offset < 0 || size < 0 || offset + size > bytes.size())
            return wad.error = QStringLiteral("lump %1 lies outside the file").arg(i), wad;
        QByteArray name = bytes.mid(entry + 8, 8);
        name.truncate(name.indexOf('\0') < 0 ? 8 : name.indexOf('\0'));
        wad.lumps.append({name, bytes.mid(offset, size)});
    }
    return wad;
}

QByteArray wadBytes(const QByteArray &magic, const QList<Lump> &lumps)
{
    QByteArray body, directory;
    auto int32 = [](qint32 v) {
        QByteArray out(4, '\0');
        qToLittleEndian(v, out.data());
        return out;
    };
    for (const Lump &lump : lumps) {
        directory += int32(12 + body.size()) + int32(lump.data.size()) +
                     lump.name.leftJustified(8, '\0', true);
        body += lump.data;
    }
    return magic + int32(lumps.size()) + int32(12 + body.size()) + body + directory;
}

// The marker and data lumps of one map, as a PWAD of their own.
QByteArray mapPwad(const Wad &iwad, const QByteArray &map)
{
    static const QByteArrayList mapLumps{"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES",
                                         "SEGS",   "SSECTORS", "NODES",    "SECTORS",
                                         "REJECT", "BLOCKMAP", "BEHAVIOR"};
    const QByteArrayList names = iwad.names();
    qsizetype i = names.indexOf(map);
    QList<Lump> lumps{iwad.lumps.value(i)};
    while (++i < names.size() && mapLumps.contains(names.at(i)))
        lumps << iwad.lumps.at(i);
    return wadBytes("PWAD", lumps);
}

qsizetype glLumpCount(const Wad &wad)
{
    qsizetype n = 0;
    for (const QByteArray &name : wad.names())
        n += name.startsWith("GL_") ? 1 : 0;
    return n;
}

// The program folder's node builder: the wrapper around zdbsp that the sample set-up uses.
bool installZennode(const WorkFolder &work)
{
    return QFile::copy(QStringLiteral(ZEL_SCRIPTS_DIR "/zennode-zdbsp"), work.file("zennode")) &&
           QFileInfo(work.file("zennode")).isExecutable();
}

} // namespace

class TestRealNodeBuilder : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("zdbsp")).isEmpty())
            QSKIP("zdbsp is not installed (scripts/install-deps.sh installs it)");
    }

    void makesAGlPwadFromAFreedoomMap()
    {
        if (!QFile::exists(GamesFolder + "freedoom2.wad"))
            QSKIP("freedoom2.wad is missing (the freedoom package installs it)");
        WorkFolder work;
        ScriptedDialogs dialogs;
        QVERIFY(installZennode(work));
        const Wad freedoom = readWad(GamesFolder + "freedoom2.wad");
        QVERIFY2(freedoom.error.isEmpty(), qPrintable(freedoom.error));
        const QString pwads = work.mkdir("my pwads");
        work.write("my pwads/map01.wad", mapPwad(freedoom, "MAP01"));
        work.write("my pwads/broken.wad", "not a WAD");
        work.write("zel.cfg", settingsRecord({"", "", pwads, pwads, "", ""}));
        auto window = openWindow();
        const Form1Ui &ui = window->ui();
        ui.File8->setFileName("map01.wad");
        ui.File9->setFileName("broken.wad");

        QTest::mouseClick(ui.Command5, Qt::LeftButton);

        const Wad built = readWad(work.file("GL_WADs/map01.wad"));
        QVERIFY2(built.error.isEmpty(), qPrintable(built.error));
        QCOMPARE(built.magic, QByteArray("PWAD"));
        QCOMPARE(built.names().mid(0, 3), (QByteArrayList{"MAP01", "THINGS", "LINEDEFS"}));
        QVERIFY2(built.names().contains("GL_MAP01") && glLumpCount(built) >= 5,
                 built.names().join(' ').constData());
        QCOMPARE(ui.File10->names(), QStringList{"map01.wad"});

        // zdbsp refuses the broken one; its own words reach the player.
        QCOMPARE(dialogs.messages.size(), 1);
        const QString message = dialogs.messages.first();
        QVERIFY2(message.contains(pwads + "/broken.wad") && message.contains("exit code 20") &&
                     message.endsWith("Failed to read"),
                 qPrintable(message));
    }

    void rebuildsACopyOfAnIwadInPlace()
    {
        if (!QFile::exists(GamesFolder + "freedoom1.wad"))
            QSKIP("freedoom1.wad is missing (the freedoom package installs it)");
        WorkFolder work;
        ScriptedDialogs dialogs;
        QVERIFY(installZennode(work));
        const QString iwads = work.mkdir("iwads");
        QVERIFY(QFile::copy(GamesFolder + "freedoom1.wad", iwads + "/freedoom1.wad"));
        const Wad before = readWad(iwads + "/freedoom1.wad");
        QCOMPARE(glLumpCount(before), 0);
        work.write("zel.cfg", settingsRecord({"", iwads, "", "", "", ""}));
        auto window = openWindow();
        const Form1Ui &ui = window->ui();
        ui.File11->setFileName("freedoom1.wad");

        QTest::mouseClick(ui.Command13, Qt::LeftButton);

        QCOMPARE(dialogs.messages, QStringList());
        const Wad after = readWad(iwads + "/freedoom1.wad");
        QVERIFY2(after.error.isEmpty(), qPrintable(after.error));
        QCOMPARE(after.magic, QByteArray("IWAD"));
        QVERIFY(glLumpCount(after) > 0);
        QCOMPARE(after.lumps.size() - glLumpCount(after), before.lumps.size());
        QCOMPARE(ui.File11->names(), QStringList{"freedoom1.wad"});
    }
};

QTEST_MAIN(TestRealNodeBuilder)
#include "tst_realnodebuilder.moc"
