#include "app/FolderList.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

#include <algorithm>

namespace {

const QString GamesFolder = QStringLiteral("/usr/share/games/doom/");

// A WAD: a 12-byte header (magic, lump count, directory offset), the lumps, and a
// directory of 16-byte entries (offset, size, name padded to 8 bytes).
struct Wad
{
    QByteArray magic;
    QByteArrayList names, lumps;
    QString error; // what makes the file no WAD

    qsizetype glLumps() const
    {
        return std::count_if(names.begin(), names.end(),
                             [](const QByteArray &name) { return name.startsWith("GL_"); });
    }
};

qint32 int32At(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

QByteArray int32(qint32 value)
{
    QByteArray out(4, '\0');
    qToLittleEndian(value, out.data());
    return out;
}

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
        const QByteArray name = bytes.mid(entry + 8, 8);
        wad.names << name.left(name.indexOf('\0') < 0 ? 8 : name.indexOf('\0'));
        wad.lumps << bytes.mid(offset, size);
    }
    return wad;
}

// The marker and data lumps of one map, as a PWAD of their own.
QByteArray mapPwad(const Wad &iwad, const QByteArray &map)
{
    static const QByteArrayList mapLumps{"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES",
                                         "SEGS",   "SSECTORS", "NODES",    "SECTORS",
                                         "REJECT", "BLOCKMAP", "BEHAVIOR"};
    QByteArray body, directory;
    const qsizetype marker = iwad.names.indexOf(map);
    for (qsizetype i = marker;
         i >= 0 && i < iwad.names.size() && (i == marker || mapLumps.contains(iwad.names[i]));
         ++i) {
        directory += int32(12 + body.size()) + int32(iwad.lumps[i].size()) +
                     iwad.names[i].leftJustified(8, '\0', true);
        body += iwad.lumps[i];
    }
    return "PWAD" + int32(directory.size() / 16) + int32(12 + body.size()) + body + directory;
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
    // A GL-node PWAD from a Freedoom map, zdbsp's own words for a broken one, and a copy of
    // an IWAD rebuilt in place.
    void buildsWithZdbsp()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("zdbsp")).isEmpty())
            QSKIP("zdbsp is not installed (scripts/install-deps.sh installs it)");
        if (!QFile::exists(GamesFolder + "freedoom1.wad") ||
            !QFile::exists(GamesFolder + "freedoom2.wad"))
            QSKIP("the Freedoom IWADs are missing (the freedoom package installs them)");
        LaunchBench bench("engines", "iwads", "my pwads");
        QVERIFY(installZennode(bench.work));
        const Wad freedoom = readWad(GamesFolder + "freedoom2.wad");
        QVERIFY2(freedoom.error.isEmpty(), qPrintable(freedoom.error));
        bench.work.write("my pwads/map01.wad", mapPwad(freedoom, "MAP01"));
        bench.work.write("pwads2/broken.wad", "not a WAD");
        const QString iwad = bench.iwads + "/freedoom1.wad";
        QVERIFY(QFile::copy(GamesFolder + "freedoom1.wad", iwad));
        const Wad before = readWad(iwad);
        QCOMPARE(before.glLumps(), 0);
        Form1 &window = bench.open();

        act(window, {"File8=map01.wad", "File9=broken.wad", "Command5"});
        const Wad built = readWad(bench.work.file("GL_WADs/map01.wad"));
        QVERIFY2(built.error.isEmpty(), qPrintable(built.error));
        QCOMPARE(built.magic, QByteArray("PWAD"));
        QCOMPARE(built.names.mid(0, 3), (QByteArrayList{"MAP01", "THINGS", "LINEDEFS"}));
        QVERIFY2(built.names.contains("GL_MAP01") && built.glLumps() >= 5,
                 built.names.join(' ').constData());
        QCOMPARE(window.ui().File10->names(), QStringList{"map01.wad"});
        // zdbsp refuses the broken one; its own words reach the player.
        QCOMPARE(bench.dialogs.messages.size(), 1);
        const QString message = bench.dialogs.messages.takeFirst();
        QVERIFY2(message.contains(bench.pwads2 + "/broken.wad") &&
                     message.contains("exit code 20") && message.endsWith("Failed to read"),
                 qPrintable(message));

        act(window, {"File11=freedoom1.wad", "Command13"});
        QCOMPARE(bench.dialogs.messages, QStringList());
        const Wad after = readWad(iwad);
        QVERIFY2(after.error.isEmpty(), qPrintable(after.error));
        QCOMPARE(after.magic, QByteArray("IWAD"));
        QVERIFY(after.glLumps() > 0);
        QCOMPARE(after.lumps.size() - after.glLumps(), before.lumps.size());
        QCOMPARE(window.ui().File11->names(), QStringList{"freedoom1.wad"});
    }
};

QTEST_MAIN(TestRealNodeBuilder)
#include "tst_realnodebuilder.moc"
