#include "core/files/BusyFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestBusyFiles : public QObject
{
    Q_OBJECT

private slots:
    // A build's files are busy by every spelling of their folder, and only while it runs.
    void heldFilesAreBusyByAnySpelling()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("pwads/sub"));
        QVERIFY(QFile::link(dir.filePath("pwads"), dir.filePath("linked")));
        const QString input = dir.filePath("pwads/map.wad");
        const QString output = dir.filePath("GL_WADs/map.wad");
        QVERIFY(QFile(input).open(QIODevice::WriteOnly));

        BusyFiles busy;
        QVERIFY(!busy.isBusy(input));
        QVERIFY(busy.refusal(input).isEmpty());
        busy.hold({input, output});
        QStringList spellings = {input, dir.filePath("pwads/sub/../map.wad"),
                                 dir.filePath("pwads//map.wad"), output};
        // Where names ignore case, in other letters too.
        if (QFileInfo::exists(dir.filePath("PWADS/MAP.WAD")))
            spellings << dir.filePath("PWADS/MAP.WAD");
        // Where a link to a folder is a folder (not a shortcut file).
        if (QFileInfo(dir.filePath("linked")).isDir())
            spellings << dir.filePath("linked/map.wad");
        for (const QString &spelling : spellings) {
            QVERIFY2(busy.isBusy(spelling), qPrintable(spelling));
            QVERIFY(busy.refusal(spelling).contains("\"" + spelling + "\" is being built"));
        }
        // Another file of the folder, and the folder itself.
        for (const QString &other : {dir.filePath("pwads/other.wad"), dir.filePath("pwads")})
            QVERIFY2(!busy.isBusy(other), qPrintable(other));

        busy.hold({dir.filePath("pwads/other.wad")}); // the next build holds its own files only
        QVERIFY(!busy.isBusy(input));
        busy.release();
        QVERIFY(!busy.isBusy(dir.filePath("pwads/other.wad")));
    }
};

QTEST_GUILESS_MAIN(TestBusyFiles)
#include "tst_busyfiles.moc"
