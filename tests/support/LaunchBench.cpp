#include "support/LaunchBench.h"

#include "app/FolderList.h"
#include "app/LauncherSettings.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

LaunchBench::LaunchBench(const QString &engines_, const QString &iwads_, const QString &pwads1_,
                         const QString &pwads2_)
{
    LauncherSettings settings;
    for (const auto &[relative, folder] : {std::pair{engines_, &engines},
                                           {iwads_, &iwads},
                                           {pwads1_, &pwads1},
                                           {pwads2_, &pwads2}}) {
        work.mkdir(relative);
        *folder = work.file(relative);
    }
    settings.GameEngineFolder = engines;
    settings.IwadFolder = iwads;
    settings.PwadFolder1 = pwads1;
    settings.PwadFolder2 = pwads2;
    work.write("zel.cfg", FormatSettingsRecord(settings));
}

Form1 &LaunchBench::open()
{
    window = std::make_unique<Form1>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qFatal("the launcher window is not shown");
    QCoreApplication::processEvents();
    return *window;
}

QString writeStandInEngine(const QString &path, const QString &log)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    // Written aside and renamed, so a reader never sees half a log.
    script.write("#!/bin/sh\n"
                 "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" +
                 QFile::encodeName(log) + ".part' && mv '" + QFile::encodeName(log) + ".part' '" +
                 QFile::encodeName(log) + "'\n");
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return path;
}

namespace {
// A node builder for `zennode IN -o OUT` that logs each run's arguments (each in
// brackets) and the input's mode, obeys the settings in zennode.ctl beside it, and
// writes IN plus "GL" to OUT in place, so OUT keeps its mode.
const QByteArray NodeBuilderScript = R"sh(#!/bin/sh
here=$(dirname "$0")
SLEEP=0 FAIL= CODE=1 KILL=
[ -f "$here/zennode.ctl" ] && . "$here/zennode.ctl"
args=; for a in "$@"; do args="$args[$a]"; done
log() { echo "$1 $args" >> "$here/zennode.log"; }
log "begin $(stat -c %a "$1")"
sleep "$SLEEP"
name=$(basename "$1")
if [ "$name" = "$KILL" ]; then log end; kill -9 $$; fi
if [ "$name" = "$FAIL" ]; then
  i=1; while [ $i -le 20 ]; do echo "progress $i"; i=$((i+1)); done
  echo "error: no levels in $name" >&2
  log end; exit "$CODE"
fi
{ cat "$1"; printf GL; } > "$3.part" && cat "$3.part" > "$3" && rm "$3.part"
echo "built $name"
log end
)sh";
} // namespace

QString writeStandInNodeBuilder(const QString &path)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    script.write(NodeBuilderScript);
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return path;
}

QStringList waitForLog(const QString &log)
{
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(log); }, 10000))
        return {};
    QStringList lines = QString::fromUtf8(readAll(log)).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void click(QAbstractButton *button)
{
    // The indicator sits at the left of option buttons and check boxes.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void pick(FolderList *list, const QString &name)
{
    const int row = int(list->names().indexOf(name));
    if (row < 0)
        qFatal("%s is not listed", qPrintable(name));
    const QRect item = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
}

void type(QLineEdit *box, const QString &text)
{
    QTest::keyClicks(box, text);
}

void erase(QLineEdit *box)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
}
