#include "app/FolderListing.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

bool isPlainSuffix(const QString &wildcard)
{
    static const QRegularExpression special(QStringLiteral("[*?\\[\\]]"));
    return wildcard.startsWith(QLatin1Char('*')) && !wildcard.mid(1).contains(special);
}

bool isDataFile(const QString &name)
{
    return name.endsWith(QLatin1String(".wad"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".lmp"), Qt::CaseInsensitive);
}

// Qt's case-insensitive comparison is general and slow; a folder can hold 100,000 names.
bool endsWithFolded(const QString &name, const QString &foldedSuffix)
{
    const qsizetype n = foldedSuffix.size();
    if (name.size() < n)
        return false;
    const QChar *tail = name.constData() + name.size() - n;
    for (qsizetype i = 0; i < n; ++i) {
        if (tail[i].toCaseFolded() != foldedSuffix[i])
            return false;
    }
    return true;
}

} // namespace

ListingRule::ListingRule(const QString &patterns_, bool alsoPrograms_)
    : patterns(patterns_), alsoPrograms(alsoPrograms_)
{
    QStringList others;
    for (const QString &part : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString wildcard = part.trimmed();
        if (isPlainSuffix(wildcard))
            m_suffixes << wildcard.mid(1).toCaseFolded();
        else
            others << QRegularExpression::wildcardToRegularExpression(
                wildcard, QRegularExpression::UnanchoredWildcardConversion);
    }
    if (!others.isEmpty())
        m_patterns.setPattern(QStringLiteral("^(?:%1)$").arg(others.join(QLatin1Char('|'))));
    m_patterns.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
}

bool ListingRule::matches(const QString &name) const
{
    for (const QString &suffix : m_suffixes) {
        if (endsWithFolded(name, suffix))
            return true;
    }
    return !m_patterns.pattern().isEmpty() && m_patterns.match(name).hasMatch();
}

bool ListFolder(const QString &folder, const ListingRule &rule, QStringList *names, QString *reason)
{
    names->clear();
    if (folder.isEmpty())
        return true;
    QStringList files;
    if (!platform::readFileNames(folder, &files, reason))
        return false;

    const QString prefix = folder + platform::separator();
    for (const QString &name : files) {
        if (rule.matches(name) ||
            (rule.alsoPrograms && !isDataFile(name) && platform::isProgramFile(prefix + name))) {
            names->append(name);
        }
    }
    // Sort on keys folded once, compared as bytes (UTF-8 keeps the order of code points),
    // rather than on a case-insensitive comparison per step.
    std::vector<std::pair<QByteArray, QString>> keyed;
    keyed.reserve(size_t(names->size()));
    for (QString &name : *names)
        keyed.emplace_back(name.toCaseFolded().toUtf8(), std::move(name));
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const int order = std::strcmp(a.first.constData(), b.first.constData());
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (qsizetype i = 0; i < names->size(); ++i)
        (*names)[i] = std::move(keyed[size_t(i)].second);
    return true;
}
