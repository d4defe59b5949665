#pragma once

#include "app/Form1.h"
#include "controls/Controls.h"
#include "platform/gui/Dialogs.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Stands in for every modal dialog while it lives: messages and questions are recorded,
// questions and file-open dialogs take their answers from queues; an empty queue answers
// "No" or cancels.
class ScriptedDialogs : public platform::Dialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void showMessage(QWidget *parent, const QString &text) override;
    bool ask(QWidget *parent, const QString &text) override;
    int choose(QWidget *parent, const QString &text, const QStringList &buttons) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &pattern, const QString &startFolder) override;

    QStringList messages;
    QStringList questions;
    QList<bool> answers;               // queued answers to questions
    QList<int> choices;                // queued answers to choices; none picks the first
    std::function<void()> whileAsking; // runs before each answer, as a player reads
    QStringList fileAnswers;           // queued answers; "" cancels
    QStringList openRequests;          // "title|filter|pattern" of each dialog shown
};

// A temporary folder that is the current working folder while it lives.
class WorkFolder
{
public:
    WorkFolder();
    ~WorkFolder();

    QString path() const { return m_dir.path(); }
    // `relative` below the work folder.
    QString file(const QString &relative) const;
    // Makes the folders on the way and writes `content`.
    QString write(const QString &relative, const QByteArray &content = {}) const;
    QString mkdir(const QString &relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// A small file system of its own mounted at `folder` while it lives; mounting needs root (and
// Linux), so a test checks `mounted` and skips without it.
struct SmallFileSystem
{
    // Tmpfs takes a file's space ahead when asked to; ext2, from an image of 1 MiB on a loop
    // device, takes it only as the blocks are written. A tmpfs is `tmpfsSize` (as mount(8)
    // takes it) big.
    enum class Kind { Tmpfs, Ext2 };
    explicit SmallFileSystem(const QString &folder, Kind kind = Kind::Tmpfs,
                             const char *tmpfsSize = "256k");
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    const QByteArray path;
    QByteArray image; // the ext2 image, while there is one
    const bool mounted;
};

// The window's controls as designed, on a plain widget with no Form1 and nothing wired: a
// controller built on them proves that it needs its controls only.
struct BareControls
{
    BareControls();
    QWidget widget;
    Form1Ui ui;
};

// A work folder, scripted dialogs, and the launcher window started there once the test has
// laid out its files.
struct Bench
{
    // Opens the window (again) with its start-up messages delivered; the test stops when it
    // is not shown.
    Form1 &open();
    const Form1Ui &ui() const { return window->ui(); }

    WorkFolder work;
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> window;
};

// A bench whose settings file names an engine folder, an IWAD folder, two PWAD folders and
// the IWAD safe folder "safe" below the work folder.
struct LaunchBench : Bench
{
    // Each name may hold blanks or end in "/".
    explicit LaunchBench(const QString &engines = "engines", const QString &iwads = "iwads",
                         const QString &pwads1 = "pwads1", const QString &pwads2 = "pwads2");

    QString engines, iwads, pwads1, pwads2, safe; // as the settings file holds them
};

// Files for the copy, delete and "rec" buttons in a default LaunchBench: a demo, three WADs
// whose names differ in letter case only, an engine without ".exe" and an older DOOM2.WAD
// in the engine folder, the IWAD DOOM2.WAD and its safe copy, a GL-node PWAD and a PWAD.
void writeWadFiles(const WorkFolder &work);

// Fails the test unless the window is shown and reacts: a typed warp shows, and its caption
// empties it again.
void verifyAnswers(Form1 &window);
// Fails the test unless `messages` is one message, short enough for a screen, holding each
// of `fragments`.
void verifyOneMessage(const QStringList &messages, const QStringList &fragments);

QByteArray readAll(const QString &path);
// The lines of a text file, without the empty text after its last line break.
QStringList readLines(const QString &path);
// One settings record ("zel.cfg") holding `values`, each quoted as they are.
QByteArray settingsRecord(const QStringList &values);
// Every file and folder below `root` with its mode and content, but those named in
// `ignored`, what lies in a top folder so named, and the node builder's lock in GL_WADs.
QMap<QString, QByteArray> snapshot(const QString &root, const QStringList &ignored = {});

// Writes `content` to `path` and makes it executable by its owner.
QString writeProgram(const QString &path, const QByteArray &content);
// Writes an executable script that stands in for an engine: each run writes the folder
// it runs in and then each argument, one a line, to `log`.
QString writeStandInEngine(const QString &path, const QString &log);
// Writes an executable script that stands in for `zennode IN -o OUT`: it logs each run's
// arguments (each in brackets) and the input's mode to zennode.log beside it, obeys
// zennode.ctl there (SLEEP=seconds, FAIL=name with CODE=exit code and PARTIAL=1 to write
// "part" to OUT first, KILL=name, EARLY=name to write "part" to OUT before the sleep, LATE=
// seconds to end at once and leave a child that writes OUT that much later,
// WRITES='nothing name', 'empty name' or 'junk name' to end with status 0 all the same), and
// writes builtFrom(IN)
// to OUT.
QString writeStandInNodeBuilder(const QString &path);
// What the stand-in node builder makes of `input`: a WAD with no lumps, then `input` and "GL".
QByteArray builtFrom(const QByteArray &input);
// The ids of the processes this test started that have not been reaped.
QList<int> childProcesses();
// Waits until every process this test started has ended and been reaped, and the launcher
// has told of each end; false after `timeout` ms.
bool waitForChildren(int timeout);
// The lines of the log, once it appeared (empty after 10 s without it).
QStringList waitForLog(const QString &log);

// Waits until every list of `window` shows what it read; false after 10 s.
bool waitForLists(const QWidget &window);

// Plays `actions` written as text: "Option4" clicks that control (a button, check box,
// option or caption), "Text3=07" empties the box and types 07, "File8=a.wad" picks that
// file, "Text6=debug" types the notes, and "File7:=d.lmp" selects as code does, without the
// player's reaction. After each action it waits until the lists show what they read.
void act(Form1 &window, const QStringList &actions);

// A WAD: its magic, its lumps by name, and what makes it no WAD (empty when it is one).
struct Wad
{
    QByteArray magic;
    QByteArrayList names, lumps;
    QString error;

    qsizetype glLumps() const;
};
Wad readWad(const QString &path);
// The marker and data lumps of one map of `iwad`, as a PWAD of their own.
QByteArray mapPwad(const Wad &iwad, const QByteArray &map);
