#include "core/settings/SettingsFile.h"

#include "core/files/FileOperations.h"
#include "platform/Platform.h"

#include <QFileInfo>

SettingsReadResult SettingsFile::read()
{
    const SettingsReadResult result = ReadSettingsFile(m_path);
    remember(result);
    return result;
}

void SettingsFile::remember(const SettingsReadResult &read)
{
    if (read.readable) {
        m_known = Known::Read;
        m_content = read.content;
    } else {
        m_known = platform::entryKind(m_path) == platform::EntryKind::Missing ? Known::Missing
                                                                              : Known::Unknown;
        m_content.clear();
    }
}

bool SettingsFile::changedSince(const SettingsReadResult &read) const
{
    // The content decides: a file written again with the same bytes has lost nothing.
    return !read.readable || m_known != Known::Read || read.content != m_content;
}

SettingsFile::Saved SettingsFile::save(const LauncherSettings &values,
                                       const std::function<Choice()> &whenChanged)
{
    Saved saved;
    const SettingsReadResult old = ReadSettingsFile(m_path);
    const platform::EntryKind kind = platform::entryKind(m_path);
    // Unread, its folders and notes would be replaced unseen by what the window shows.
    if (!old.readable && kind == platform::EntryKind::RegularFile) {
        saved.message = old.error + QStringLiteral(" Nothing was saved, so that it is not lost.");
        return saved;
    }
    if (kind == platform::EntryKind::RegularFile &&
        platform::isWriteProtected(QFileInfo(m_path).canonicalFilePath())) {
        saved.message = SettingsFileProtected(m_path);
        return saved;
    }
    // A file that is gone has nothing to lose; one that is no file is refused by the write.
    if (old.readable && changedSince(old) && (!whenChanged || whenChanged() == Choice::Keep)) {
        remember(old);
        saved.result = Saved::Kept;
        saved.file = old;
        return saved;
    }
    if (old.readable && !old.ok()) {
        QString reason;
        if (!CopyFileReplacing(m_path, backupPath(), &reason)) {
            saved.message = QStringLiteral("Cannot keep the settings file \"%1\", which could "
                                           "not be read whole, as \"%2\", so nothing was saved: %3")
                                .arg(m_path, backupPath(), reason);
            return saved;
        }
        saved.message = QStringLiteral("The settings file \"%1\" could not be read whole; its "
                                       "old content is kept as \"%2\".")
                            .arg(m_path, backupPath());
    }

    QString error;
    if (!WriteSettingsFile(m_path, values, &error)) {
        saved.message = error;
        return saved;
    }
    saved.file = read();
    if (!saved.file.ok()) {
        saved.message = saved.file.error;
        return saved;
    }
    saved.result = Saved::Written;
    return saved;
}
