#include "app/Form1.h"

#include "app/FormDesign.h"
#include "controls/Controls.h"
#include "core/files/BuildJournal.h"
#include "core/files/FileOperations.h"
#include "core/settings/SettingsFile.h"
#include "files/FileOpsController.h"
#include "launch/LaunchController.h"
#include "lists/FolderList.h"
#include "lists/FolderWatch.h"
#include "lists/RefreshList.h"
#include "nodes/NodeBuildController.h"
#include "platform/Platform.h"
#include "platform/gui/Dialogs.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

const QString GlWadsName = QStringLiteral("GL_WADs");
const QString SettingsName = QStringLiteral("zel.cfg");
const QString DefaultNotes = QStringLiteral("Gravemill");
const QString NoProgramFolder =
    QStringLiteral("The folder the launcher was started in is gone, so it cannot keep its "
                   "settings (zel.cfg) or its GL_WADs folder. Start it again in a folder "
                   "that exists.");
const QString UnspellableProgramFolder =
    QStringLiteral("The name of the folder the launcher was started in, \"%1\", is not valid "
                   "UTF-8, so the launcher cannot name its settings (zel.cfg) or its GL_WADs "
                   "folder. Start it again in a folder whose name is valid UTF-8.");

} // namespace

// One "config" button: the dialog it shows and the list whose folder it sets.
struct Form1::FolderButton
{
    QPushButton *button;
    const char *title;
    const char *filter;
    QString pattern;
    FolderList *list;
    ClickableLabel *label;
};

// The folders the lists show, being read side by side off the window's thread: with big
// folders that is most of the start-up, so it overlaps with building the controls too.
// Lists that show one folder share one read of it.
struct Form1::FolderReads
{
    std::vector<QStringList> lists; // the design names of the lists of each request
    std::unique_ptr<FolderBatch> batch;
};

Form1::Form1(QWidget *parent) : QWidget(parent), m_ui(std::make_unique<Form1Ui>())
{
    // Whatever fails at start-up is reported once the window is open; it opens anyway.
    const QString notes = startUp();
    FolderReads reads = readFolders();
    design::build(this);
    m_ui->bind(this);
    // The lists follow their folders once the window is painted (or a little later if it
    // is never painted): the window shows first.
    m_watch = new FolderWatch(true, this);
    QTimer::singleShot(2000, m_watch, &FolderWatch::start);
    for (FolderList *list : {m_ui->File5, m_ui->File6, m_ui->File7, m_ui->File8, m_ui->File9,
                             m_ui->File10, m_ui->File11})
        list->setWatch(m_watch);
    showStartUpSettings(notes, reads);
    if (!m_startupProblems.isEmpty()) {
        reportLater(m_startupProblems.join(QLatin1Char('\n')));
        m_startupProblems.clear();
    }
    connectControls();
    createControllers();
    m_ui->Command12->setFocus();
}

Form1::~Form1()
{
    // The controllers hold on to the controls and to m_ui: they go first.
    const QObjectList all = children();
    for (QObject *child : all) {
        if (!child->isWidgetType())
            delete child;
    }
}

void Form1::createControllers()
{
    const Form1Ui &ui = *m_ui;
    auto *launcher =
        new LaunchController(LaunchController::Controls::of(ui), m_paths, m_busy, this, this);
    connect(launcher, &LaunchController::closeRequested, this, &QWidget::close);

    m_nodeBuilds =
        new NodeBuildController(NodeBuildController::Controls::of(ui), m_paths, m_busy, this, this);
    // The window shows that a build runs; closed meanwhile, it closes once the build has ended.
    connect(m_nodeBuilds, &NodeBuildController::building, this,
            [this](bool running) { running ? setCursor(Qt::BusyCursor) : unsetCursor(); });
    connect(m_nodeBuilds, &NodeBuildController::closeRequested, this, &QWidget::close);

    new FileOpsController(FileOpsController::Controls::of(ui), m_paths, m_busy, this, this);
}

QString Form1::startUp()
{
    if (!QFileInfo::exists(GlWadsName) && !QFileInfo(GlWadsName).isSymLink()) {
        QString reason;
        if (!platform::createFolder(GlWadsName, &reason)) {
            m_startupProblems << QStringLiteral("Cannot create the folder \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(
                                              QDir::current().absoluteFilePath(GlWadsName)),
                                          reason);
        }
    }

    QString unspellable;
    m_paths = ProgramPaths(platform::shortPathOf(platform::currentFolder(&unspellable)));
    m_noProgramFolder =
        unspellable.isEmpty() ? NoProgramFolder : UnspellableProgramFolder.arg(unspellable);
    if (!m_paths.isKnown())
        m_startupProblems << m_noProgramFolder;

    QString notes = DefaultNotes;
    if (!m_paths.isKnown())
        return notes;
    m_busy.followBuildsIn(m_paths.glWads());
    // A launcher that died during a build, or while it wrote a file, left it half done.
    m_startupProblems << BuildJournal::repair(m_paths.glWads());
    QStringList leftovers;
    for (const QString &name :
         QDir(m_paths.programFolder())
             .entryList({QStringLiteral(".zel-*.new")}, QDir::Files | QDir::Hidden | QDir::System))
        leftovers << m_paths.inFolder(name);
    removeLeftovers(leftovers);
    // Where names ignore letter case the system finds a "ZEL.CFG" as "zel.cfg": it is read,
    // and saved under its own name. Pipes, devices, folders and links are found too, to say
    // why they are not read.
    const QString stored = platform::storedName(m_paths.programFolder(), SettingsName);
    m_settingsFile =
        std::make_unique<SettingsFile>(m_paths.inFolder(stored.isEmpty() ? SettingsName : stored));
    const SettingsReadResult read = m_settingsFile->read(); // without one, remembers there is none
    if (stored.isEmpty())
        return notes;
    if (!read.ok()) {
        m_startupProblems << read.error;
        if (read.readable)
            m_startupProblems.last() += QStringLiteral(" The next save keeps it as \"%1\".")
                                            .arg(m_settingsFile->backupPath());
    }
    takeFolders(read);
    if (read.valuesRead == LauncherSettings::ValueCount || read.notesCut)
        notes = read.settings.NotesText;
    return notes;
}

void Form1::removeLeftovers(const QStringList &paths)
{
    QStringList removed;
    for (const QString &path : paths) {
        if (platform::removeLeftover(path))
            removed << QLatin1Char('"') + path + QLatin1Char('"');
    }
    if (!removed.isEmpty())
        m_startupProblems << QStringLiteral("A launcher that was ended while it wrote a file left "
                                            "it half written; removed: %1.")
                                 .arg(removed.join(QStringLiteral(", ")));
}

void Form1::takeFolders(const ParsedSettings &read)
{
    // Relative folders are the program folder's, once and for all.
    for (int i = 0; i < read.valuesRead && i < LauncherSettings::ValueCount - 1; ++i)
        m_settings.value(i) = AbsoluteFolder(read.settings.value(i));
}

Form1::FolderReads Form1::readFolders() const
{
    const std::pair<QString, QString> folders[] = {
        {QStringLiteral("File6"), m_settings.GameEngineFolder},
        {QStringLiteral("File7"), m_settings.GameEngineFolder},
        {QStringLiteral("File11"), m_settings.IwadFolder},
        {QStringLiteral("File8"), m_settings.PwadFolder1},
        {QStringLiteral("File9"), m_settings.PwadFolder2},
        {QStringLiteral("File5"), m_settings.IwadSafeFolder},
        {QStringLiteral("File10"), m_paths.glWads()},
    };
    std::vector<std::pair<QString, QStringList>> byFolder;
    for (const auto &[list, folder] : folders) {
        auto same = std::find_if(byFolder.begin(), byFolder.end(),
                                 [&folder = folder](const auto &f) { return f.first == folder; });
        if (same == byFolder.end())
            byFolder.push_back({folder, {list}});
        else
            same->second << list;
    }
    // The engine folder comes first: it holds two lists and its programs need a closer look.
    FolderReads reads;
    std::vector<FolderBatch::Request> requests;
    for (const auto &[folder, lists] : byFolder) {
        std::vector<ListingRule> rules;
        for (const QString &list : lists)
            rules.push_back(design::listingRule(list));
        requests.push_back({folder, std::move(rules)});
        reads.lists.push_back(lists);
    }
    reads.batch = std::make_unique<FolderBatch>(std::move(requests));
    return reads;
}

void Form1::ShowSettings(const QString &notes)
{
    const Form1Ui &ui = *m_ui;
    const std::pair<FolderList *, QString> folders[] = {
        {ui.File6, m_settings.GameEngineFolder}, {ui.File7, m_settings.GameEngineFolder},
        {ui.File11, m_settings.IwadFolder},      {ui.File8, m_settings.PwadFolder1},
        {ui.File9, m_settings.PwadFolder2},      {ui.File5, m_settings.IwadSafeFolder},
        {ui.File10, m_paths.glWads()},
    };
    std::vector<FolderList::Done> dones =
        GatherProblems(int(std::size(folders)), [this](const QStringList &problems) {
            report(problems.join(QLatin1Char('\n')));
        });
    for (size_t i = 0; i < std::size(folders); ++i)
        folders[i].first->setPath(folders[i].second, std::move(dones[i]));
    showLabelsAndNotes(notes);
}

void Form1::showStartUpSettings(const QString &notes, FolderReads &reads)
{
    std::vector<FolderBatch::Result> &results = reads.batch->results();
    for (size_t r = 0; r < results.size(); ++r) {
        const QString &folder = reads.batch->folder(r);
        for (qsizetype i = 0; i < reads.lists[r].size(); ++i) {
            FolderList::Listing listing{results[r].ok, std::move(results[r].lists[size_t(i)]),
                                        results[r].reason, results[r].identity};
            findChild<FolderList *>(reads.lists[r][i])->setPathListed(folder, listing);
        }
        // These join the other start-up problems in one message.
        if (!results[r].ok)
            m_startupProblems << CannotShowFolder(folder, results[r].reason);
        QStringList leftovers;
        for (const QString &name : results[r].leftovers)
            leftovers << folder + platform::separator() + name;
        removeLeftovers(leftovers);
    }
    showLabelsAndNotes(notes);
}

void Form1::showLabelsAndNotes(const QString &notes)
{
    const Form1Ui &ui = *m_ui;
    ui.Label10->setToolTip(m_paths.glWads());
    ui.Label11->setToolTip(ui.File11->path());
    ui.Label12->setToolTip(ui.File6->path());
    ui.Label7->setToolTip(ui.File6->path());
    ui.Label6->setToolTip(ui.File6->path());
    ui.Label19->setToolTip(ui.File5->path());
    ui.Label8->setToolTip(ui.File8->path());
    ui.Label9->setToolTip(ui.File9->path());
    ui.Text6->setNotes(notes);
}

bool Form1::SaveSettings()
{
    if (!m_paths.isKnown()) {
        report(m_noProgramFolder);
        return false;
    }
    const Form1Ui &ui = *m_ui;
    LauncherSettings values;
    values.GameEngineFolder = ui.File6->path();
    values.IwadFolder = ui.File11->path();
    values.PwadFolder1 = ui.File8->path();
    values.PwadFolder2 = ui.File9->path();
    values.IwadSafeFolder = ui.File5->path();
    values.NotesText = ui.Text6->notes();

    const SettingsFile::Saved saved = m_settingsFile->save(values, [this] {
        const int choice = platform::dialogs().choose(
            this,
            QStringLiteral("The settings file \"%1\" was changed outside this launcher since it "
                           "was last read or saved here. Keep the file as it is and show what it "
                           "holds, or replace it with what this window shows?")
                .arg(m_settingsFile->path()),
            {QStringLiteral("Keep the file"), QStringLiteral("Replace it")});
        return choice == 1 ? SettingsFile::Choice::Replace : SettingsFile::Choice::Keep;
    });
    if (saved.result == SettingsFile::Saved::Failed) {
        report(saved.message);
        return false;
    }
    const SettingsReadResult &file = saved.file;
    takeFolders(file);
    const bool withNotes = file.valuesRead == LauncherSettings::ValueCount || file.notesCut;
    ShowSettings(withNotes ? file.settings.NotesText : values.NotesText);
    // A file kept as it is may be one that could not be read whole.
    const QString message = saved.message.isEmpty() ? file.error : saved.message;
    if (!message.isEmpty())
        report(message);
    return true;
}

void Form1::connectControls()
{
    const Form1Ui &ui = *m_ui;
    connect(ui.Command10, &QPushButton::clicked, this, &QWidget::close);
    connect(ui.Command1, &QPushButton::clicked, this, &Form1::SaveSettings);

    const FolderButton rows[] = {
        {ui.Command21, "Game-Engine", "Program-EXE", platform::programDialogPattern(), ui.File6,
         ui.Label6},
        {ui.Command22, "IWAD-Safe", "Secure IWAD-Folder", QStringLiteral("*.wad"), ui.File5,
         ui.Label19},
        {ui.Command23, "IWAD", "IWAD Folder", QStringLiteral("*.wad"), ui.File11, ui.Label11},
        {ui.Command24, "PWAD Folder 1", "Patch WADs", QStringLiteral("*.wad"), ui.File8, ui.Label8},
        {ui.Command25, "PWAD Folder 2", "Patch WADs", QStringLiteral("*.wad"), ui.File9, ui.Label9},
    };
    for (const FolderButton &row : rows)
        connect(row.button, &QPushButton::clicked, this, [this, row] { assignFolder(row); });

    // Heading labels: the engine, IWAD and IWAD safe lists keep their selection; the four
    // optional lists drop it, which takes that file out of the next launch.
    const std::pair<ClickableLabel *, FolderList *> keep[] = {
        {ui.Label6, ui.File6}, {ui.Label11, ui.File11}, {ui.Label19, ui.File5}};
    for (const auto &[label, list] : keep)
        connect(label, &ClickableLabel::clicked, this, [this, l = list] { refreshList(l, false); });
    const std::pair<ClickableLabel *, FolderList *> clear[] = {{ui.Label8, ui.File8},
                                                               {ui.Label9, ui.File9},
                                                               {ui.Label10, ui.File10},
                                                               {ui.Label7, ui.File7}};
    for (const auto &[label, list] : clear)
        connect(label, &ClickableLabel::clicked, this, [this, l = list] { refreshList(l, true); });

    connect(ui.Command15, &QPushButton::clicked, this, [this] {
        const Form1Ui &ui = *m_ui;
        FolderList *const lists[] = {ui.File5, ui.File6,  ui.File7, ui.File8,
                                     ui.File9, ui.File10, ui.File11};
        std::vector<FolderList::Done> dones =
            GatherProblems(int(std::size(lists)), [this](const QStringList &problems) {
                report(problems.join(QLatin1Char('\n')));
            });
        for (size_t i = 0; i < std::size(lists); ++i)
            lists[i]->refresh(std::move(dones[i]));
    });
}

void Form1::assignFolder(const FolderButton &row)
{
    const QString file =
        platform::dialogs().openFile(this, QString::fromUtf8(row.title),
                                     QString::fromUtf8(row.filter), row.pattern, row.list->path());
    const QString chosen = platform::shortPathOf(file);
    // A cancelled dialog, or a file that is gone, keeps the list's folder; the rest runs as
    // after a choice, so notes typed since the last save are saved now too.
    const QString folder = chosen.isEmpty()
                               ? row.list->path()
                               : chosen.left(chosen.lastIndexOf(platform::separator()) + 1);
    row.list->setPath(folder);
    row.label->setToolTip(row.list->path());
    // The save shows the settings again, which moves the demo list along with the engine
    // list. Should the save fail, the demo list must not stay behind: its delete and the
    // playback would act on the old folder's demos under the new folder's path.
    if (row.list == m_ui->File6) {
        m_ui->File7->setPath(folder);
        m_ui->Label7->setToolTip(folder);
        m_ui->Label12->setToolTip(folder);
    }
    // A save shows every folder again and says which cannot be shown; without it, say so here.
    if (!SaveSettings())
        RefreshList(row.list, this);
}

void Form1::refreshList(FolderList *list, bool clearSelection)
{
    if (clearSelection)
        list->setFileName(QString());
    RefreshList(list, this);
}

void Form1::report(const QString &message)
{
    platform::showMessage(this, message);
}

void Form1::reportLater(const QString &message)
{
    QTimer::singleShot(0, this, [this, message] { report(message); });
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closed during a node build, the launcher would wait on without a window.
    if (m_nodeBuilds && !m_nodeBuilds->mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Form1::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        QTimer::singleShot(0, m_watch, &FolderWatch::start);
    }
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (const design::Line &line : design::lines()) {
        painter.drawLine(design::toPixels(line.x1), design::toPixels(line.y1),
                         design::toPixels(line.x2), design::toPixels(line.y2));
    }
}
