#pragma once

#include <QString>
#include <QStringList>

// One run of the node builder: the program and its arguments, each path one argument.
struct NodeBuilderCommand
{
    QString program;
    QStringList arguments;

    // The command as one line, for messages; blanks inside paths are not quoted.
    QString display() const;
};

// Builds the GL-node version of the PWAD `name` in `pwadFolder` into `glWadsFolder`
// under the same name.
NodeBuilderCommand GlPwadCommand(const QString &programFolder, const QString &pwadFolder,
                                 const QString &name, const QString &glWadsFolder);

// Rebuilds the IWAD `name` in `iwadFolder` with GL nodes, in place.
NodeBuilderCommand GlIwadCommand(const QString &programFolder, const QString &iwadFolder,
                                 const QString &name);
