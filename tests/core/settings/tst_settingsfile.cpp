#include "core/settings/LauncherSettings.h"
#include "core/settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void readsFilesOfTheOldFormat_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("valuesRead");
        QTest::addColumn<bool>("notesCut");
        QTest::addColumn<QStringList>("values");
        // clang-format off
        QTest::newRow("ours: quotes, a comma, CR and LF alone, Unicode separators") << QByteArray("\"/games/pwads, old/\",\"\"\"quoted\"\"\",\"\",\"\",\"\",\"He said \"\"go\"\"\r\n\"\"\"\"twice\"\"\"\", a lone\rCR, LF\n, \u2028 and \u2029\"\r\n") << 6 << false << QStringList{"/games/pwads, old/", "\"quoted\"", "", "", "", "He said \"go\"\r\n\"\"twice\"\", a lone\rCR, LF\n, \u2028 and \u2029"};
        QTest::newRow("multi-line notes") << QByteArray("\"C:\\G\\\",\"C:\\I\\\",\"\",\"\",\"C:\\S\\\",\"one\r\ntwo\r\n\"\r\n") << 6 << false << QStringList{"C:\\G\\", "C:\\I\\", "", "", "C:\\S\\", "one\r\ntwo\r\n"};
        QTest::newRow("comma inside a folder") << QByteArray("\"/a,b/\",\"\",\"\",\"\",\"\",\"n\"\r\n") << 6 << false << QStringList{"/a,b/", "", "", "", "", "n"};
        QTest::newRow("text after the record is ignored") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n\"7\",\"8\"\r\ngarbage") << 6 << false << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("a seventh value is ignored") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\"\r\n") << 6 << false << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("five values") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\"\r\n") << 5 << false << QStringList{"1", "2", "3", "4", "5", ""};
        QTest::newRow("empty file") << QByteArray() << 0 << false << QStringList{"", "", "", "", "", ""};
        // The old writer wrote the notes' quotes as they were: they run to the record's last quote.
        QTest::newRow("old writer's quotes in the notes") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"say \"hi\" ok\"\r\n") << 6 << false << QStringList{"1", "2", "3", "4", "5", "say \"hi\" ok"};
        QTest::newRow("old writer's notes ending in a quoted word") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"say \"hi\"\"\r\n") << 6 << false << QStringList{"1", "2", "3", "4", "5", "say \"hi\""};
        QTest::newRow("old writer's notes ending in a quote") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"my note \"\"\r\n") << 6 << false << QStringList{"1", "2", "3", "4", "5", "my note \""};
        QTest::newRow("old writer's quotes in a folder and in the notes") << QByteArray("\"a\"\",\"2\",\"3\",\"4\",\"5\",\"x \"y\" z\"\r\n") << 6 << false << QStringList{"a", "2", "3", "4", "5", "x \"y\" z"};
        QTest::newRow("old writer's notes with a line break after a quote") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"\"a\"\r\nb\"\r\n") << 6 << false << QStringList{"1", "2", "3", "4", "5", "\"a\"\r\nb"};
        QTest::newRow("an opening quote is no last quote") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"\r\n") << 5 << true << QStringList{"1", "2", "3", "4", "5", "\r\n"};
        QTest::newRow("unquoted values and blanks around them") << QByteArray(" plain , \"q\" ,x,y,z,  last  \n") << 6 << false << QStringList{"plain", "q", "x", "y", "z", "last"};
        QTest::newRow("no line end after the record") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"") << 6 << false << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("a trailing comma is no sixth value") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",") << 5 << false << QStringList{"1", "2", "3", "4", "5", ""};
        QTest::newRow("old writer's quote in a folder") << QByteArray("\"a\"\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n") << 6 << false << QStringList{"a", "2", "3", "4", "5", "6"};
        // Notes whose quote never closes were cut short: what was read of them is kept.
        QTest::newRow("cut inside the notes") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"not clo") << 5 << true << QStringList{"1", "2", "3", "4", "5", "not clo"};
        QTest::newRow("ours cut short inside quoted notes") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"x \"\"y") << 5 << true << QStringList{"1", "2", "3", "4", "5", "x \"y"};
        // Cut right after a line that ends in a quote, ours looks like the old writer's whole.
        QTest::newRow("ours cut after a line that ends in a quote") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"\"\"q\"\" one\r\ntwo \"\"r\"\"\r\n") << 6 << false << QStringList{"1", "2", "3", "4", "5", "\"\"q\"\" one\r\ntwo \"\"r\""};
        QTest::newRow("ours cut after a line that ends in no quote") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"\"\"q\"\" one\r\n") << 5 << true << QStringList{"1", "2", "3", "4", "5", "\"q\" one\r\n"};
        QTest::newRow("Windows-1252") << QByteArray("\"/spiele/\xdc" "ber/\",\"\",\"\",\"\",\"\",\"caf\xe9 \x80 \x81\"\r\n") << 6 << false << QStringList{"/spiele/Über/", "", "", "", "", "café € \u0081"};
        QTest::newRow("UTF-8 text") << QByteArray("\"/spiele/Über/\",\"\",\"\",\"\",\"\",\"grüße\"\r\n") << 6 << false << QStringList{"/spiele/Über/", "", "", "", "", "grüße"};
        QTest::newRow("UTF-8 folders, one 8-bit byte in the notes") << QByteArray("\"/g/josé-eng/\",\"/g/Über/\",\"\",\"\",\"\",\"caf\xe9\"\r\n") << 6 << false << QStringList{"/g/josé-eng/", "/g/Über/", "", "", "", "café"};
        QTest::newRow("UTF-8 notes with one 8-bit byte among them") << QByteArray("\"\",\"\",\"\",\"\",\"\",\"\xc3\x9c" "bersicht: Stra\xc3\x9f" "e \xa0 done\"\r\n") << 6 << false << QStringList{"", "", "", "", "", "Übersicht: Straße \u00a0 done"};
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf\"/g/eng/\",\"\",\"\",\"\",\"\",\"n\"\r\n") << 6 << false << QStringList{"/g/eng/", "", "", "", "", "n"};
        QTest::newRow("byte-order mark before a value without quotes") << QByteArray("\xef\xbb\xbf/g/eng/,,,,,n\r\n") << 6 << false << QStringList{"/g/eng/", "", "", "", "", "n"};
        QTest::newRow("marks inside the record are text") << QByteArray("\xef\xbb\xbf\"\xef\xbb\xbf/g/\",\"\",\"\",\"\",\"\",\"\xef\xbb\xbf\xef\xbb\xbfn\"\r\n") << 6 << false << QStringList{QStringLiteral("\uFEFF/g/"), "", "", "", "", QStringLiteral("\uFEFF\uFEFFn")};
        // clang-format on
    }

    void readsFilesOfTheOldFormat()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, valuesRead);
        QFETCH(bool, notesCut);
        QFETCH(QStringList, values);
        const ParsedSettings read = ParseSettingsRecord(file);
        QCOMPARE(read.valuesRead, valuesRead);
        QCOMPARE(read.notesCut, notesCut);
        for (int i = 0; i < LauncherSettings::ValueCount; ++i)
            QCOMPARE(read.settings.value(i), values.at(i));
        // A save writes a whole record, with no mark, that reads back the same.
        const QByteArray saved = FormatSettingsRecord(read.settings);
        QVERIFY(saved.startsWith('"'));
        const ParsedSettings again = ParseSettingsRecord(saved);
        QCOMPARE(again.valuesRead, LauncherSettings::ValueCount);
        QCOMPARE(again.settings, read.settings);
        QCOMPARE(FormatSettingsRecord(again.settings), saved);
    }

    // What happened to the file between this launcher's read and its save, and whether the
    // save must ask before it replaces the file.
    void aSaveAsksBeforeItReplacesAnotherOnesFile_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("keep"); // the answer, when asked
        QTest::newRow("nothing") << "" << false << true;
        QTest::newRow("written again, same bytes") << "same" << false << true;
        QTest::newRow("another launcher saved, kept") << "other" << true << true;
        QTest::newRow("another launcher saved, replaced") << "other" << true << false;
        QTest::newRow("made where there was none") << "made" << true << true;
        QTest::newRow("removed") << "removed" << false << true;
    }

    void aSaveAsksBeforeItReplacesAnotherOnesFile()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, asked);
        QFETCH(bool, keep);
        QTemporaryDir dir;
        const QString path = dir.filePath("zel.cfg");
        LauncherSettings mine, theirs;
        mine.NotesText = "mine";
        theirs.NotesText = "theirs";
        QString error;
        if (meanwhile != "made")
            QVERIFY(WriteSettingsFile(path, LauncherSettings(), &error));
        SettingsFile file(path);
        file.read();
        if (meanwhile == "same")
            QVERIFY(WriteSettingsFile(path, LauncherSettings(), &error));
        if (meanwhile == "other" || meanwhile == "made") {
            SettingsFile other(path);
            other.read();
            QVERIFY(other.save(theirs, {}).result == SettingsFile::Saved::Written);
        }
        if (meanwhile == "removed")
            QVERIFY(QFile::remove(path));

        int questions = 0;
        const auto answer = [&] {
            ++questions;
            return keep ? SettingsFile::Choice::Keep : SettingsFile::Choice::Replace;
        };
        const SettingsFile::Saved saved = file.save(mine, answer);
        QCOMPARE(questions, asked ? 1 : 0);
        const bool kept = asked && keep;
        QCOMPARE(saved.result, kept ? SettingsFile::Saved::Kept : SettingsFile::Saved::Written);
        QCOMPARE(saved.file.settings.NotesText, kept ? "theirs" : "mine");
        QCOMPARE(ReadSettingsFile(path).settings.NotesText, kept ? "theirs" : "mine");
        // Either way the file is now the one this launcher knows: the next save just writes.
        QVERIFY(file.save(mine, answer).result == SettingsFile::Saved::Written);
        QCOMPARE(questions, asked ? 1 : 0);
    }

    // A rename would get round the file's own mode; root is not stopped by it either.
    void aWriteProtectedFileIsNotReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("zel.cfg");
        QString error;
        QVERIFY(WriteSettingsFile(path, LauncherSettings(), &error));
        const QByteArray before = ReadSettingsFile(path).content;
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        SettingsFile file(path);
        file.read();
        LauncherSettings changed;
        changed.NotesText = "changed";
        const SettingsFile::Saved saved =
            file.save(changed, [] { return SettingsFile::Choice::Replace; });
        QCOMPARE(saved.result, SettingsFile::Saved::Failed);
        QVERIFY2(saved.message.contains(path) && saved.message.contains("write-protected"),
                 qPrintable(saved.message));
        QCOMPARE(ReadSettingsFile(path).content, before);
        QVERIFY(!WriteSettingsFile(path, changed, &error));
        QCOMPARE(ReadSettingsFile(path).content, before);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
