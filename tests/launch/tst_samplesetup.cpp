#include "app/FolderList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>

namespace {

// Runs the set-up script on `folder`; false when it failed.
bool runSampleSetup(const QString &folder)
{
    return QProcess::execute(QStringLiteral(ZEL_SOURCE_DIR "/scripts/sample-setup.sh"), {folder}) ==
           0;
}

} // namespace

class TestSampleSetup : public QObject
{
    Q_OBJECT

private slots:
    void newUserCanPlayAtOnce()
    {
        if (!QFileInfo::exists("/usr/games/chocolate-doom") ||
            !QFileInfo::exists("/usr/share/games/doom/freedoom2.wad"))
            QSKIP("needs Debian's chocolate-doom and freedoom (scripts/install-deps.sh)");
        WorkFolder work;
        ScriptedDialogs dialogs;
        // The settings file must carry a blank and a double quote of the folder's name.
        const QString folder = work.mkdir("my \"own\" games");
        QVERIFY(runSampleSetup(folder));
        QVERIFY(QDir::setCurrent(folder));

        Form1 window;
        const Form1Ui &ui = window.ui();
        QCOMPARE(ui.File6->path(), folder + "/engines/");
        QCOMPARE(ui.File6->names(), QStringList{"chocolate-doom"});
        const QStringList iwads = {"freedoom1.wad", "freedoom2.wad"};
        QCOMPARE(ui.File11->names(), iwads);
        QCOMPARE(ui.File5->names(), iwads);
        QCOMPARE(ui.File8->path(), folder + "/pwads/");
        QCOMPARE(ui.File9->path(), folder + "/pwads/");
        QCOMPARE(ui.Text6->toPlainText(), QString("Gravemill"));
        QVERIFY(QFileInfo(folder + "/zennode").isExecutable());

        act(window, {"File6:=chocolate-doom", "File11:=freedoom2.wad", "Text6=debug", "Command12"});
        QCOMPARE(dialogs.messages,
                 QStringList{"chocolate-doom -iwad \"" + folder + "/iwads//freedoom2.wad\""});
    }

    void ownSettingsFileStays()
    {
        WorkFolder work;
        const QByteArray own = "\"/mine/\",\"\",\"\",\"\",\"\",\"notes\"\r\n";
        work.write("zel.cfg", own);
        QVERIFY(runSampleSetup(work.path()));
        QCOMPARE(readAll(work.file("zel.cfg")), own);
        QVERIFY(!QFileInfo::exists(work.file("engines")));
        // The node builder reaches users with their own settings too, but never replaces one.
        QVERIFY(QFileInfo(work.file("zennode")).isExecutable());
        work.write("zennode", "mine");
        QVERIFY(runSampleSetup(work.path()));
        QCOMPARE(readAll(work.file("zennode")), QByteArray("mine"));
    }
};

QTEST_MAIN(TestSampleSetup)
#include "tst_samplesetup.moc"
