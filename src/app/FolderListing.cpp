#include "app/FolderListing.h"

#include "platform/Platform.h"

#include <QDir>

#include <algorithm>

namespace {

QRegularExpression wildcardsToExpression(const QString &patterns)
{
    QStringList alternatives;
    for (const QString &wildcard : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        alternatives << QRegularExpression::wildcardToRegularExpression(
            wildcard.trimmed(), QRegularExpression::UnanchoredWildcardConversion);
    }
    return QRegularExpression(QStringLiteral("^(?:%1)$").arg(alternatives.join(QLatin1Char('|'))),
                              QRegularExpression::CaseInsensitiveOption);
}

bool isDataFile(const QString &name)
{
    return name.endsWith(QLatin1String(".wad"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".lmp"), Qt::CaseInsensitive);
}

} // namespace

ListingRule::ListingRule(const QString &patterns_, bool alsoPrograms_)
    : patterns(patterns_), alsoPrograms(alsoPrograms_), m_patterns(wildcardsToExpression(patterns_))
{
}

bool ListFolder(const QString &folder, const ListingRule &rule, QStringList *names,
                QString *reason)
{
    names->clear();
    if (folder.isEmpty())
        return true;
    if (!platform::canListFolder(folder, reason))
        return false;

    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files, QDir::NoSort);
    for (const QString &name : files) {
        if (rule.matches(name) ||
            (rule.alsoPrograms && !isDataFile(name) &&
             platform::isProgramFile(dir.filePath(name)))) {
            names->append(name);
        }
    }
    std::sort(names->begin(), names->end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return true;
}
