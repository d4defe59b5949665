#include "app/LauncherSettings.h"

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
        QTest::addColumn<QStringList>("values");
        // clang-format off
        QTest::newRow("multi-line notes") << QByteArray("\"C:\\G\\\",\"C:\\I\\\",\"\",\"\",\"C:\\S\\\",\"one\r\ntwo\r\n\"\r\n") << 6 << QStringList{"C:\\G\\", "C:\\I\\", "", "", "C:\\S\\", "one\ntwo\n"};
        QTest::newRow("comma inside a folder") << QByteArray("\"/a,b/\",\"\",\"\",\"\",\"\",\"n\"\r\n") << 6 << QStringList{"/a,b/", "", "", "", "", "n"};
        QTest::newRow("text after the record is ignored") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n\"7\",\"8\"\r\ngarbage") << 6 << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("five values") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\"\r\n") << 5 << QStringList{"1", "2", "3", "4", "5", ""};
        QTest::newRow("empty file") << QByteArray() << 0 << QStringList{"", "", "", "", "", ""};
        QTest::newRow("cut inside the notes") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"not clo") << 5 << QStringList{"1", "2", "3", "4", "5", ""};
        QTest::newRow("quote written unescaped by the old writer ends the notes") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"say \"hi\"\"\r\n") << 6 << QStringList{"1", "2", "3", "4", "5", "say "};
        QTest::newRow("unquoted values and blanks around them") << QByteArray(" plain , \"q\" ,x,y,z,  last  \n") << 6 << QStringList{"plain", "q", "x", "y", "z", "last"};
        QTest::newRow("no line end after the record") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"") << 6 << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("a trailing comma is no sixth value") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",") << 5 << QStringList{"1", "2", "3", "4", "5", ""};
        QTest::newRow("old writer's notes ending in a quote") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"my note \"\"\r\n") << 6 << QStringList{"1", "2", "3", "4", "5", "my note "};
        QTest::newRow("old writer's quote in a folder") << QByteArray("\"a\"\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n") << 6 << QStringList{"a", "2", "3", "4", "5", "6"};
        QTest::newRow("ours cut short inside quoted notes") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"x \"\"y") << 5 << QStringList{"1", "2", "3", "4", "5", ""};
        QTest::newRow("Windows-1252") << QByteArray("\"/spiele/\xdc" "ber/\",\"\",\"\",\"\",\"\",\"caf\xe9 \x80 \x81\"\r\n") << 6 << QStringList{"/spiele/Über/", "", "", "", "", "café € \u0081"};
        QTest::newRow("UTF-8 text") << QByteArray("\"/spiele/Über/\",\"\",\"\",\"\",\"\",\"grüße\"\r\n") << 6 << QStringList{"/spiele/Über/", "", "", "", "", "grüße"};
        // clang-format on
    }

    void readsFilesOfTheOldFormat()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, valuesRead);
        QFETCH(QStringList, values);
        LauncherSettings read;
        QCOMPARE(ParseSettingsRecord(file, &read), valuesRead);
        for (int i = 0; i < LauncherSettings::ValueCount; ++i)
            QCOMPARE(read.value(i), values.at(i));
        // A save writes UTF-8 that reads back the same.
        const QByteArray saved = FormatSettingsRecord(read);
        QVERIFY(QByteArrayView(saved).isValidUtf8());
        LauncherSettings again;
        QCOMPARE(ParseSettingsRecord(saved, &again), LauncherSettings::ValueCount);
        QCOMPARE(again, read);
    }

    // Quotes, doubled quotes and a lone CR come back as they were, and a second save of
    // what was read writes the same bytes.
    void writeThenReadGivesTheSameValues()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("zel.cfg");
        LauncherSettings s;
        s.GameEngineFolder = "/games/pwads, old/";
        s.IwadFolder = "\"quoted\"";
        s.NotesText = "He said \"go\"\n\"\"twice\"\" and a lone\r\nCR";
        QString error;
        QVERIFY(WriteSettingsFile(path, s, &error));
        const SettingsReadResult result = ReadSettingsFile(path);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.settings, s);

        // The save replaces the file, so each look opens it anew.
        const auto content = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray first = content();
        QVERIFY(WriteSettingsFile(path, result.settings, &error));
        QCOMPARE(content(), first);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
