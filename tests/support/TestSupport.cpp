#include "support/TestSupport.h"

#include "app/FormDesign.h"
#include "core/settings/LauncherSettings.h"
#include "lists/FolderList.h"
#include "platform/WatchedProcess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QtEndian>

#include <algorithm>

ScriptedDialogs::ScriptedDialogs()
{
    platform::setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    platform::setDialogs(nullptr);
}

void ScriptedDialogs::showMessage(QWidget *, const QString &text)
{
    messages << text;
}

bool ScriptedDialogs::ask(QWidget *, const QString &text)
{
    questions << text;
    if (whileAsking)
        whileAsking();
    return !answers.isEmpty() && answers.takeFirst();
}

int ScriptedDialogs::choose(QWidget *, const QString &text, const QStringList &buttons)
{
    questions << text + QLatin1Char('|') + buttons.join(QLatin1Char('|'));
    if (whileAsking)
        whileAsking();
    return choices.isEmpty() ? 0 : choices.takeFirst();
}

QString ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &filter,
                                  const QString &pattern, const QString &)
{
    openRequests << title + QLatin1Char('|') + filter + QLatin1Char('|') + pattern;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

WorkFolder::WorkFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkFolder::~WorkFolder()
{
    QDir::setCurrent(m_previous);
}

QString WorkFolder::file(const QString &relative) const
{
    return m_dir.filePath(relative);
}

QString WorkFolder::write(const QString &relative, const QByteArray &content) const
{
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

QString WorkFolder::mkdir(const QString &relative) const
{
    const QString path = file(relative);
    QDir().mkpath(path);
    return path;
}

BareControls::BareControls()
{
    design::build(&widget);
    ui.bind(&widget);
}

Form1 &Bench::open()
{
    window.reset();
    window = std::make_unique<Form1>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qFatal("the launcher window is not shown");
    QCoreApplication::processEvents(); // deferred start-up messages
    waitForLists(*window);
    return *window;
}

LaunchBench::LaunchBench(const QString &engines_, const QString &iwads_, const QString &pwads1_,
                         const QString &pwads2_)
{
    LauncherSettings settings;
    for (const auto &[relative, folder, value] :
         {std::tuple{engines_, &engines, &settings.GameEngineFolder},
          {iwads_, &iwads, &settings.IwadFolder},
          {pwads1_, &pwads1, &settings.PwadFolder1},
          {pwads2_, &pwads2, &settings.PwadFolder2},
          {QString("safe"), &safe, &settings.IwadSafeFolder}})
        *folder = *value = work.mkdir(relative);
    work.write("zel.cfg", FormatSettingsRecord(settings));
}

void writeWadFiles(const WorkFolder &work)
{
    for (const char *name : {"DEMO1.LMP", "MAP01.WAD", "map01.wad", "Map01.Wad"})
        work.write(QStringLiteral("engines/") + name, name);
    work.write("engines/DOOM2.WAD", "an older, longer file of that name");
    QFile::setPermissions(work.write("engines/prboom", "#!/bin/sh\n"),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                              QFile::ReadOther | QFile::ExeOther);
    work.write("iwads/DOOM2.WAD", "rebuilt IWAD");
    work.write("safe/DOOM2.WAD", "IWAD");
    work.write("GL_WADs/map01.wad", "GL");
    work.write("pwads1/x.wad", "PWAD");
}

void verifyAnswers(Form1 &window)
{
    QVERIFY(window.isVisible());
    act(window, {"Text3=12"});
    QCOMPARE(window.ui().Text3->text(), QString("12"));
    act(window, {"Label15"});
    QCOMPARE(window.ui().Text3->text(), QString());
}

void verifyOneMessage(const QStringList &messages, const QStringList &fragments)
{
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().size() < 2000); // it fits on a screen
    for (const QString &fragment : fragments)
        QVERIFY2(messages.first().contains(fragment),
                 qPrintable(messages.first() + "\n  lacks: " + fragment));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList readLines(const QString &path)
{
    QStringList lines = QString::fromUtf8(readAll(path)).split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray settingsRecord(const QStringList &values)
{
    QByteArray out;
    for (const QString &v : values)
        out += (out.isEmpty() ? "\"" : ",\"") + v.toUtf8() + "\"";
    return out + "\r\n";
}

QMap<QString, QByteArray> snapshot(const QString &root, const QStringList &ignored)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        // The node builder's lock stays in GL_WADs for good once a build has run.
        if (ignored.contains(it.fileName()) || ignored.contains(relative.section('/', 0, 0)) ||
            it.fileName() == QLatin1String(".zel-build.lock"))
            continue;
        const QFileInfo info = it.fileInfo();
        QByteArray state = QByteArray::number(int(info.permissions()), 16);
        if (info.isFile())
            state += ' ' + QCryptographicHash::hash(readAll(path), QCryptographicHash::Md5).toHex();
        files.insert(relative, info.isDir() ? "folder" : state);
    }
    return files;
}

QString writeProgram(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

namespace {

// A node builder for `zennode IN -o OUT` that logs each run's arguments (each in
// brackets) and the input's mode, obeys the settings in zennode.ctl beside it, and
// writes builtFrom(IN) to OUT in place, so OUT keeps its mode.
const QByteArray NodeBuilderScript = R"sh(#!/bin/sh
here=$(dirname "$0")
SLEEP=0 FAIL= CODE=1 KILL= PARTIAL= WRITES= EARLY= LATE=
[ -f "$here/zennode.ctl" ] && . "$here/zennode.ctl"
args=; for a in "$@"; do args="$args[$a]"; done
log() { echo "$1 $args" >> "$here/zennode.log"; }
log "begin $(stat -c %a "$1")"
name=$(basename "$1")
[ "$name" = "$EARLY" ] && printf part > "$3"
sleep "$SLEEP"
if [ "$name" = "$KILL" ]; then log end; kill -9 $$; fi
if [ "$name" = "$FAIL" ]; then
  i=1; while [ $i -le 20 ]; do echo "progress $i"; i=$((i+1)); done
  echo "error: no levels in $name" >&2
  [ -n "$PARTIAL" ] && printf part > "$3"
  log end; exit "$CODE"
fi
build() { { printf 'PWAD\000\000\000\000\014\000\000\000'; cat "$1"; printf GL; } > "$3.part" && cat "$3.part" > "$3" && rm "$3.part"; }
# A child writes the output once the builder itself has ended.
if [ -n "$LATE" ]; then ( sleep "$LATE"; build "$@"; log end ) & exit 0; fi
case "$WRITES" in
"nothing $name") log end; exit 0 ;;
"empty $name") : > "$3"; log end; exit 0 ;;
"junk $name") printf 'not a WAD at all' > "$3"; log end; exit 0 ;;
esac
build "$@"
echo "built $name"
log end
)sh";

} // namespace

QString writeStandInEngine(const QString &path, const QString &log)
{
    const QByteArray name = QFile::encodeName(log);
    // Written aside and renamed, so a reader never sees half a log.
    return writeProgram(path, "#!/bin/sh\n"
                              "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" +
                                  name + ".part' && mv '" + name + ".part' '" + name + "'\n");
}

QByteArray builtFrom(const QByteArray &input)
{
    return QByteArray("PWAD\0\0\0\0\x0c\0\0\0", 12) + input + "GL";
}

QString writeStandInNodeBuilder(const QString &path)
{
    return writeProgram(path, NodeBuilderScript);
}

QList<int> childProcesses()
{
    QList<int> ids;
    for (const QString &task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QByteArray &id : readAll("/proc/self/task/" + task + "/children").split(' ')) {
            if (id.trimmed().toInt() > 0)
                ids << id.trimmed().toInt();
        }
    }
    return ids;
}

bool waitForChildren(int timeout)
{
    return QTest::qWaitFor(
        [] {
            if (!childProcesses().isEmpty())
                return false;
            // The launcher lets go of an engine once it has told of its end.
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::all_of(windows.begin(), windows.end(), [](const QWidget *window) {
                return window->findChildren<platform::WatchedProcess *>().isEmpty();
            });
        },
        timeout);
}

QStringList waitForLog(const QString &log)
{
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(log); }, 10000))
        return {};
    return readLines(log);
}

bool waitForLists(const QWidget &window)
{
    const QList<FolderList *> lists = window.findChildren<FolderList *>();
    return QTest::qWaitFor(
        [&] {
            return std::none_of(lists.begin(), lists.end(),
                                [](const FolderList *list) { return list->isReading(); });
        },
        10000);
}

void act(Form1 &window, const QStringList &actions)
{
    for (const QString &action : actions) {
        const qsizetype equals = action.indexOf('=');
        const QString name = action.left(equals).remove(':'), value = action.mid(equals + 1);
        auto *control = window.findChild<QWidget *>(name);
        auto *list = qobject_cast<FolderList *>(control);
        const int row = list ? int(list->names().indexOf(value)) : 0;
        if (!control || row < 0)
            qFatal("cannot do %s", qPrintable(action));
        if (list && action.contains(":=")) {
            list->setFileName(value);
        } else if (list) {
            const QRect item = list->visualRect(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClicks(box, value);
        } else if (auto *notes = qobject_cast<NotesBox *>(control)) {
            // As typed: far quicker than key by key, and the box counts it as edited.
            notes->setNotes(value);
            notes->document()->setModified(true);
        } else if (qobject_cast<QAbstractButton *>(control)) {
            // The indicator sits at the left of option buttons and check boxes.
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
        } else {
            QTest::mouseClick(control, Qt::LeftButton);
        }
        // As a player would, each action looks at the lists once they show what was read.
        if (!waitForLists(window))
            qFatal("the lists are still reading after %s", qPrintable(action));
    }
}

qsizetype Wad::glLumps() const
{
    return std::count_if(names.begin(), names.end(),
                         [](const QByteArray &name) { return name.startsWith("GL_"); });
}

namespace {

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

} // namespace

// A 12-byte header (magic, lump count, directory offset), the lumps, and a directory of
// 16-byte entries (offset, size, name padded to 8 bytes).
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
