#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Which files of a folder a folder list shows.
struct ListingRule
{
    // Wildcards separated by ";", matched without regard to case.
    explicit ListingRule(const QString &patterns, bool alsoPrograms = false);

    bool matches(const QString &name) const;

    QString patterns;
    // Also list every program file, as engines on this platform carry no suffix.
    bool alsoPrograms = false;

  private:
    // Patterns like "*.wad" are plain suffix tests; anything else goes to the expression.
    QStringList m_suffixes;
    QRegularExpression m_patterns;
};

// The names of the plain, visible files in `folder` that `rule` admits, sorted
// alphabetically without regard to case. The empty folder lists nothing.
// Returns false with the system's reason when the folder cannot be read.
bool ListFolder(const QString &folder, const ListingRule &rule, QStringList *names,
                QString *reason);
