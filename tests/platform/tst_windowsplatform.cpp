#include "EngineRecord.h"
#include "core/launch/TypedWords.h"
#include "core/listing/FolderListing.h"
#include "core/settings/LauncherSettings.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/WatchedProcess.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

Q_DECLARE_METATYPE(platform::ProcessEnd)

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

DWORD attributes(const QString &path)
{
    return ::GetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str());
}

bool setAttributes(const QString &path, DWORD flags)
{
    return ::SetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str(), flags);
}

// Runs the stand-in engine, copied to `folder`, with the command line `line` as it stands.
bool runEngine(const QString &folder, const QString &line)
{
    const QString engine = QDir::toNativeSeparators(folder + "/engine.exe");
    if (!QFile::exists(engine) && !QFile::copy(ZEL_STANDIN_ENGINE, engine))
        return false;
    std::wstring command = line.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(engine.toStdWString().c_str(), command.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr,
                          QDir::toNativeSeparators(folder).toStdWString().c_str(), &startup,
                          &started))
        return false;
    ::WaitForSingleObject(started.hProcess, 20000);
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return true;
}

} // namespace

class TestWindowsPlatform : public QObject
{
    Q_OBJECT

private slots:
    // Folders as the player names them; the launcher hands short forms to peers that may
    // not take blanks or letters outside the 8-bit code page.
    void shortPathsOfAwkwardFolders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "a long folder name";
        QTest::newRow("Cyrillic letters") << QString::fromUtf8("Папка с играми");
        QTest::newRow("Japanese letters") << QString::fromUtf8("ゲームのフォルダ");
    }

    void shortPathsOfAwkwardFolders()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString folder = dir.filePath(name);
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(write(folder + "/doom2.wad", "IWAD"));

        const QString shortPath = platform::shortPathOf(folder);
        QVERIFY2(!shortPath.contains('/'), qPrintable(shortPath));
        const QString last = shortPath.section('\\', -1);
        QVERIFY2(last.size() <= 12 && !last.contains(' '), qPrintable(shortPath));
        QVERIFY2(std::all_of(last.begin(), last.end(), [](QChar c) { return c.unicode() < 0x80; }),
                 qPrintable(shortPath));
        // The same folder, reached by its short name.
        QCOMPARE(readAll(shortPath + "\\doom2.wad"), QByteArray("IWAD"));
        // A name that is 8.3 already is its own short name, in its own letters.
        QCOMPARE(platform::shortPathOf(shortPath + "\\doom2.wad"), shortPath + "\\doom2.wad");
        QCOMPARE(platform::shortPathOf(folder + "/gone"), QString());
    }

    // A folder from zel.cfg is made whole as Windows reads it, against the current folder
    // of its drive; "D:" stands for the work folder's drive, "W" for the work folder.
    void foldersAsWindowsReadsThem_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("absolute");
        QTest::newRow("relative") << "sub/x"
                                  << "W\\sub\\x";
        QTest::newRow("drive-relative") << "D:..\\iwads"
                                        << "W\\..\\iwads";
        QTest::newRow("drive-relative, here") << "D:iwads"
                                              << "W\\iwads";
        QTest::newRow("from the drive's root") << "\\iwads"
                                               << "D:\\iwads";
        QTest::newRow("whole, as typed") << "D:/a//b"
                                         << "D:\\a\\\\b";
    }

    void foldersAsWindowsReadsThem()
    {
        QFETCH(QString, folder);
        QFETCH(QString, absolute);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString work = platform::currentFolder(), drive = work.left(2);
        const QString made = AbsoluteFolder(folder.replace("D:", drive));
        const QString shortRelative = platform::shortPathOf(".");
        QVERIFY(QDir::setCurrent(previous));
        absolute.replace("W", work).replace("D:", drive);
        if (absolute.contains(".."))
            absolute = QDir::toNativeSeparators(QDir::cleanPath(absolute));
        QCOMPARE(made, absolute);
        QCOMPARE(work, QDir::toNativeSeparators(dir.path()));
        QCOMPARE(platform::fileIdentity(shortRelative), platform::fileIdentity(work));
    }

    // Short forms longer than a first guess at their size come back whole.
    void aShortPathLongerThanMaxPathIsWhole()
    {
        QTemporaryDir dir;
        QString folder = dir.path();
        while (folder.size() < 300)
            folder += "/FOLDER12";
        if (!QDir().mkpath(folder))
            QSKIP("this system takes no path of 300 characters");
        const QString shortPath = platform::shortPathOf(folder);
        QVERIFY2(shortPath.endsWith("\\FOLDER12\\FOLDER12"), qPrintable(shortPath));
        QCOMPARE(shortPath.count('\\'),
                 QDir::toNativeSeparators(platform::shortPathOf(dir.path())).count('\\') +
                     int(folder.mid(dir.path().size()).count('/')));
    }

    // A share whose server will not list its shares has no short form; it is there all the
    // same. Wine shows such a share for each folder in dosdevices\\unc.
    void aShareWithoutShortFormKeepsItsLongForm()
    {
        const QString wine = qEnvironmentVariable("WINECONFIGDIR").remove("\\??\\");
        if (wine.isEmpty())
            QSKIP("shares are made here only under Wine");
        const QString server = "zel" + QString::number(::GetCurrentProcessId());
        QVERIFY(QDir().mkpath(wine + "\\dosdevices\\unc\\" + server + "\\share\\games"));
        const QString share = "\\\\" + server + "\\share\\games";
        const QString shortPath = platform::shortPathOf(share);
        QVERIFY(QDir(wine + "\\dosdevices\\unc\\" + server).removeRecursively());
        QCOMPARE(shortPath, share);
        QCOMPARE(platform::shortPathOf(share), QString());
    }

    // The IWAD "del" and "make GL IWAD" clear the flag; a copy or a save onto the file is
    // refused and leaves it as it was.
    void aReadOnlyFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("doom2.wad");
        QVERIFY(write(path, "old IWAD"));
        QVERIFY(!platform::isWriteProtected(path));
        QVERIFY(setAttributes(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
        QVERIFY(platform::isWriteProtected(path));

        platform::ReplacingFile copy(path);
        QString reason;
        QVERIFY(copy.open(&reason));
        QVERIFY(copy.write("new IWAD", &reason));
        QVERIFY(!copy.commit(&reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(readAll(path), QByteArray("old IWAD"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"doom2.wad"});

        QVERIFY(setAttributes(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                        FILE_ATTRIBUTE_SYSTEM));
        QVERIFY(platform::setNormalAttributes(path, &reason));
        // Wine keeps the archive flag on every file; Windows clears it too.
        QCOMPARE(attributes(path) & ~DWORD(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL),
                 DWORD(0));
        QVERIFY(!platform::isWriteProtected(path));
        platform::ReplacingFile again(path);
        QVERIFY(again.open(&reason) && again.write("new IWAD", &reason) && again.commit(&reason));
        QCOMPARE(readAll(path), QByteArray("new IWAD"));
        // Hidden only while it was written.
        QVERIFY(!(attributes(path) & FILE_ATTRIBUTE_HIDDEN));
        QVERIFY(!platform::isWriteProtected(dir.filePath("missing.wad")));
    }

    void aLinkKeepsItsTargetsFlags()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("doom2.wad"), link = dir.filePath("link.wad");
        QVERIFY(write(target, "IWAD"));
        QVERIFY(setAttributes(target, FILE_ATTRIBUTE_READONLY));
        if (!::CreateSymbolicLinkW(QDir::toNativeSeparators(link).toStdWString().c_str(),
                                   QDir::toNativeSeparators(target).toStdWString().c_str(),
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
            attributes(link) == INVALID_FILE_ATTRIBUTES) // Wine 8 says it made one, and did not
            QSKIP("this system makes no symbolic links here");
        QString reason;
        QVERIFY(platform::setNormalAttributes(link, &reason));
        QVERIFY(platform::isWriteProtected(target));
        QVERIFY(!platform::isWriteProtected(link));
        QCOMPARE(platform::entryKind(link), platform::EntryKind::RegularFile);
    }

    // zel.cfg of the old program is in this code page; what fits is written back in it.
    void theAnsiCodePage_data()
    {
        QTest::addColumn<uint>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // empty: does not fit
        // clang-format off
        QTest::newRow("Western") << 1252u << QString::fromUtf8("C:\\Spiele\\Über\\café €") << QByteArray("C:\\Spiele\\\xdc" "ber\\caf\xe9 \x80");
        QTest::newRow("Cyrillic in the Western page") << 1252u << QString::fromUtf8("Игры") << QByteArray();
        QTest::newRow("no best fit: a for ā") << 1252u << QString::fromUtf8("ā") << QByteArray();
        QTest::newRow("Cyrillic") << 1251u << QString::fromUtf8("C:\\Игры\\") << QByteArray("C:\\\xc8\xe3\xf0\xfb\\");
        QTest::newRow("Western in the Cyrillic page") << 1251u << QString::fromUtf8("café") << QByteArray();
        QTest::newRow("Japanese in either") << 0u << QString::fromUtf8("ゲーム") << QByteArray();
        // clang-format on
    }

    void theAnsiCodePage()
    {
        QFETCH(uint, codePage);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        if (codePage && codePage != ::GetACP())
            QSKIP("for another code page");
        QByteArray written = "untouched";
        QCOMPARE(platform::toSystemCodePage(text, &written), !bytes.isEmpty());
        if (bytes.isEmpty()) {
            QCOMPARE(written, QByteArray("untouched"));
            return;
        }
        QCOMPARE(written, bytes);
        QCOMPARE(platform::fromSystemCodePage(bytes), text);
    }

    // The system finds a name in any letter case; the launcher must name the file as stored.
    void storedNames()
    {
        QTemporaryDir dir;
        QVERIFY(write(dir.filePath("ZEL.CFG"), "settings"));
        QCOMPARE(platform::storedName(dir.path(), "zel.cfg"), QString("ZEL.CFG"));
        QCOMPARE(platform::storedName(QDir::toNativeSeparators(dir.path()), "Zel.Cfg"),
                 QString("ZEL.CFG"));
        QCOMPARE(platform::storedName(dir.path(), "zel.cf?"), QString());
        QCOMPARE(platform::storedName(dir.path(), "gone.cfg"), QString());
        QVERIFY(QDir(dir.path()).mkdir("GL_wads"));
        QCOMPARE(platform::storedName(dir.path(), "GL_WADs"), QString("GL_wads"));
    }

    // A settings file of two names is written where it is, so both show the new record.
    void aFileOfTwoNamesIsWrittenInPlace()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("zel.cfg"), other = dir.filePath("other.cfg");
        QVERIFY(write(path, "\"\",\"\",\"\",\"\",\"\",\"old\"\r\n"));
        if (!::CreateHardLinkW(QDir::toNativeSeparators(other).toStdWString().c_str(),
                               QDir::toNativeSeparators(path).toStdWString().c_str(), nullptr))
            QSKIP("this system makes no hard links here");
        QCOMPARE(platform::linkCount(path), 2);
        LauncherSettings settings;
        for (const QString &notes : {QString(5000, 'n'), QString("short")}) {
            settings.NotesText = notes;
            QString error;
            QVERIFY2(WriteSettingsFile(path, settings, &error), qPrintable(error));
            QCOMPARE(readAll(other), FormatSettingsRecord(settings));
            QCOMPARE(readAll(path), FormatSettingsRecord(settings));
        }
        QCOMPARE(platform::linkCount(path), 2);
        QCOMPARE(platform::linkCount(dir.filePath("gone")), 0);
    }

    // Only disk files are read, byte for byte; nothing else is waited on.
    void readsDiskFilesOnly()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("zel.cfg");
        QVERIFY(write(file, "\"a\"\r\n\x1a\"b\"\r\n"));
        QByteArray content;
        QString reason;
        QVERIFY(platform::readRegularFile(file, &content, &reason));
        QCOMPARE(content, QByteArray("\"a\"\r\n\x1a\"b\"\r\n"));
        QCOMPARE(platform::entryKind(file), platform::EntryKind::RegularFile);
        for (const QString &other : {dir.path(), QString("NUL"), QString("CON")}) {
            QVERIFY2(!platform::readRegularFile(other, &content, &reason), qPrintable(other));
            QCOMPARE(platform::entryKind(other), platform::EntryKind::Other);
        }
        QCOMPARE(platform::entryKind(dir.filePath("gone")), platform::EntryKind::Missing);

        const QByteArray before = platform::fileStamp(file);
        QVERIFY(!before.isEmpty());
        QTest::qWait(20);
        QVERIFY(write(file, "\"c\"\r\n\x1a\"d\"\r\n"));
        QVERIFY(platform::fileStamp(file) != before);
        QCOMPARE(platform::fileStamp(dir.filePath("gone")), QByteArray());
    }

    // Lists show plain, visible files by their names, whatever letters those hold.
    void listsPlainVisibleFiles()
    {
        QTemporaryDir dir;
        const QString japanese = QString::fromUtf8("マップ.wad");
        for (const QString &name : {QString("A.wad"), japanese, QString("hidden.wad"),
                                    QString("system.wad"), QString("engine.EXE")})
            QVERIFY(write(dir.filePath(name), name.toUtf8()));
        QVERIFY(setAttributes(dir.filePath("hidden.wad"), FILE_ATTRIBUTE_HIDDEN));
        QVERIFY(setAttributes(dir.filePath("system.wad"), FILE_ATTRIBUTE_SYSTEM));
        QVERIFY(QDir(dir.path()).mkdir("folder.wad"));
        // A name that is no UTF-16 has no text to show or to pass on.
        const std::wstring lone =
            QDir::toNativeSeparators(dir.path()).toStdWString() + L"\\x\xD800.wad";
        const HANDLE odd = ::CreateFileW(lone.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        if (odd != INVALID_HANDLE_VALUE)
            ::CloseHandle(odd);

        FolderNames names;
        QString reason;
        QVERIFY(ListFolder(dir.path(), ListingRule("*.exe;*.wad", true), &names, &reason));
        QCOMPARE(names.toList(), (QStringList{"A.wad", "engine.EXE", japanese}));
        QVERIFY(ListFolder(QDir::toNativeSeparators(dir.path()) + "\\", ListingRule("*.wad"),
                           &names, &reason));
        QCOMPARE(names.toList(), (QStringList{"A.wad", japanese}));
        QVERIFY(!ListFolder(dir.filePath("gone"), ListingRule("*.wad"), &names, &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(platform::fileNameText(QByteArray("x\xed\xa0\x80.wad")).isNull());
    }

    // The engine gets each argument whole, its folder, its window maximized and its logs.
    void startsAnEngineAsAsked_data()
    {
        QTest::addColumn<QString>("name"); // of the engine's folder
        QTest::addColumn<int>("style");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("shown");
        QTest::newRow("maximized, awkward arguments")
            << QString::fromUtf8("my engines Движки") << int(platform::WindowStyle::Maximized)
            << QStringList{"-file",          "C:\\my games\\doom2.wad",
                           "say \"hi\"",     "C:\\GAMES\\",
                           "C:\\my games\\", "",
                           "a\\\\\"b",       QString::fromUtf8("Игры\tゲーム")}
            << int(SW_SHOWMAXIMIZED);
        QTest::newRow("normal") << "engines" << int(platform::WindowStyle::Normal)
                                << QStringList{"-warp", "1"} << int(SW_SHOWNORMAL);
        // Its end is told as the system's own words for an access violation.
        QTest::newRow("a crash") << "engines" << int(platform::WindowStyle::Maximized)
                                 << QStringList{"-crash"} << int(SW_SHOWMAXIMIZED);
        // Windows takes a working folder of 258 characters at most: past them, its short form
        // serves.
        QTest::newRow("a folder past MAX_PATH")
            << QString("a long folder name/").repeated(14) << int(platform::WindowStyle::Normal)
            << QStringList{"-warp", "1"} << int(SW_SHOWNORMAL);
    }

    void startsAnEngineAsAsked()
    {
        QFETCH(QString, name);
        QFETCH(int, style);
        QFETCH(QStringList, arguments);
        QFETCH(int, shown);
        QTemporaryDir dir;
        const QString folder = QDir::cleanPath(dir.filePath(name));
        QVERIFY(QDir().mkpath(folder));
        // In the first folder of the row's: Wine starts no program whose path is past MAX_PATH.
        const QString engine = dir.filePath(name.section('/', 0, 0)) + "/engine.exe";
        QVERIFY(QFile::copy(ZEL_STANDIN_ENGINE, engine));

        QString reason;
        std::unique_ptr<platform::WatchedProcess> process(platform::WatchedProcess::start(
            engine, arguments, folder, platform::WindowStyle(style), dir.filePath("engine.log"),
            dir.filePath("engine-errors.log"), nullptr, &reason));
        QVERIFY2(process, qPrintable(reason));
        QSignalSpy ended(process.get(), &platform::WatchedProcess::ended);
        QVERIFY(ended.wait(20000));
        const auto end = ended.first().first().value<platform::ProcessEnd>();
        QCOMPARE(end.signalled, arguments == QStringList{"-crash"});
        QCOMPARE(end.signalled ? platform::abnormalEndOf(end.code) : QString::number(end.code),
                 end.signalled ? "exception 0xC0000005 (access violation)" : "0");

        QCOMPARE(engineRecord(folder, "folder").size(), 1);
        QCOMPARE(platform::fileIdentity(engineRecord(folder, "folder").first()),
                 platform::fileIdentity(folder));
        QCOMPARE(engineRecord(folder, "show"), QStringList{QString::number(shown)});
        // What debug mode shows is the very line the engine gets.
        QCOMPARE(engineRecord(folder, "line"),
                 QStringList{platform::shownCommandLine(engine, arguments)});
        QCOMPARE(engineRecord(folder, "shell"), arguments);
        QCOMPARE(engineRecord(folder, "crt"), arguments);
        QCOMPARE(process->lastLines(8, 160), QStringList{"engine errors"});
        QCOMPARE(readAll(dir.filePath("engine.log")).trimmed(), QByteArray("engine output"));

        // A program that is gone does not start, and leaves no log.
        QVERIFY(QFile::remove(dir.filePath("engine.log")));
        QVERIFY(!platform::WatchedProcess::start(
            dir.filePath("gone.exe"), {}, folder, platform::WindowStyle::Normal,
            dir.filePath("engine.log"), QString(), nullptr, &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("engine.log")));
    }

    // What the player types is split as the engine's C runtime splits it. Wine's
    // CommandLineToArgvW reads "" inside quotes as runtimes before 2008 did.
    void typedWordsAsTheRuntimeSplitsThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shellAgrees"); // CommandLineToArgvW too
        QTest::newRow("a path in quotes") << "-config \"C:\\My Games\\doom.cfg\"" << true;
        QTest::newRow("empty and inner quotes") << "\"1 2\" \"\" a\"\"b 'x y'\t-z" << true;
        QTest::newRow("backslashes")
            << "C:\\GAMES\\ \"C:\\my games\\\\\" \\\"hi\\\" a\\\\\\\"b" << true;
        QTest::newRow("an open quote") << "x \"a b" << true;
        QTest::newRow("a doubled quote inside quotes") << "\"a\"\"b c\" \"\"\"d\"" << false;
    }

    void typedWordsAsTheRuntimeSplitsThem()
    {
        QFETCH(QString, text);
        QFETCH(bool, shellAgrees);
        QTemporaryDir dir;
        QVERIFY(runEngine(dir.path(), "engine.exe " + text));
        const QStringList words = SplitLikeWindowsRuntime(text);
        QCOMPARE(engineRecord(dir.path(), "crt"), words);
        if (shellAgrees)
            QCOMPARE(engineRecord(dir.path(), "shell"), words);
        QCOMPARE(TypedWords(text), words);
    }

    // Past the lengths Windows allows, a start is refused in words (or, for a program's path,
    // made by its short form where the system can). Folders of 8.3 names are their own short
    // forms: a working folder that fits with a program's path that does not (Wine starts none
    // such), and a working folder that does not fit.
    void pathsTooLongForWindows()
    {
        QTemporaryDir dir;
        QString reason;
        QString deep = dir.path();
        while (deep.size() < 250)
            deep += "/FOLDER12";
        const QString deeper = deep + QString("/FOLDER12").repeated(5);
        QVERIFY(QDir().mkpath(deeper));
        for (const QString &folder : {deep, deeper}) {
            QVERIFY(QFile::copy(ZEL_STANDIN_ENGINE, folder + "/engine.exe"));
            const std::unique_ptr<platform::WatchedProcess> started(platform::WatchedProcess::start(
                folder + "/engine.exe", {}, folder, platform::WindowStyle::Normal, QString(),
                QString(), nullptr, &reason));
            QVERIFY2(folder == deep ? started || reason.contains("259 characters")
                                    : !started && reason.contains("258 characters"),
                     qPrintable(reason));
        }
    }

    // However much a program writes, its logs stay small and keep its last lines; its end is
    // told once what it wrote is in, and a newer start takes the logs over.
    void keepsItsLogsSmall()
    {
        QTemporaryDir dir;
        const QString output = dir.filePath("engine-output.log");
        const QString errors = dir.filePath("engine-errors.log");
        const auto start = [&](const QStringList &steps) {
            QString reason;
            std::unique_ptr<platform::WatchedProcess> process(platform::WatchedProcess::start(
                ZEL_STANDIN, steps, dir.path(), platform::WindowStyle::Normal, output, errors,
                nullptr, &reason));
            if (!process)
                qWarning("%s", qPrintable(reason));
            return process;
        };
        const auto first = start({"fill:8000000:xxxxxxxxxxxxxxx\\n", "sleep:4000",
                                  "fill:8000000:yyyyyyyyyyyyyyy\\n", "last"});
        QVERIFY(first);
        QSignalSpy firstEnded(first.get(), &platform::WatchedProcess::ended);
        QTest::qWait(2000);
        const auto second = start({"fill:30000000:zzzzzzzzzzzzzzz\\n", "I_Error"});
        QVERIFY(second);
        QSignalSpy secondEnded(second.get(), &platform::WatchedProcess::ended);
        QVERIFY(secondEnded.wait(60000));
        QVERIFY(firstEnded.count() == 1 || firstEnded.wait(60000));

        QCOMPARE(first->lastLines(8, 80), QStringList{"unknown step last"});
        QCOMPARE(second->lastLines(8, 80), QStringList{"unknown step I_Error"});
        const QByteArray written = readAll(output);
        QVERIFY2(written.size() <= 3 * 1024 * 1024, qPrintable(QString::number(written.size())));
        QVERIFY(written.trimmed().endsWith("zzzz") && !written.contains('y'));
        QCOMPARE(readAll(errors).trimmed(), QByteArray("unknown step I_Error"));
    }
};

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windowsplatform.moc"
