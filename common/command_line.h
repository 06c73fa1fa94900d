#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <utility>

// A long switch a program understands, with its line in the help.
struct Switch {
    QString name;   // "--hosts"
    QString values; // the arguments that follow it, one word each, as the help names them: "H1,H2,…"
    QString text;   // what it does

    // The switch with its values: "--hosts H1,H2,…".
    QString shown() const;
};

// The switches given with their values, or the one reason the command line was refused.
struct CommandLine {
    QMap<QString, QStringList> given;
    // Names the argument that was not understood; empty when everything was.
    QString error;

    bool has(const QString& name) const { return given.contains(name); }
    QString value(const QString& name) const { return given.value(name).value(0); }
};

// Reads the arguments after the program name against `known`. "-h" stands for "--help"; the first value
// may also follow an equals sign ("--hosts=a,b"). Anything else, Qt's own options included, is refused.
CommandLine readCommandLine(const QStringList& args, const QList<Switch>& known);

// What --help prints: the usage line, the description, one line per switch, the files, the exit codes.
// Status 2, for a refused command line, is the same in every program and is added here.
struct Help {
    QString program;
    QString about;
    QList<Switch> switches;
    QList<std::pair<QString, QString>> files; // path, what is read or written there
    QList<std::pair<int, QString>> exits;     // status, when
};
QString helpText(const Help& h);

// Prints the reason and the help to standard error; returns the status for a refused command line.
int refuse(const Help& h, const QString& error);
