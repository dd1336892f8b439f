#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A desktop of the test process's own on which an MP3 player is registered as the default
// for "audio/mpeg" (a desktop entry and mimeapps.list in XDG folders of its own). The player is
// a script that records every start: the arguments it was given and the playlist its last
// argument names. GIO reads the XDG folders once per process, so the desktop is made once,
// on first use, and stays for the rest of the process.
class RegisteredPlayer
{
public:
    struct Run
    {
        QStringList arguments;
        QByteArray playlist; // the playlist file's bytes when the player ran
    };

    static RegisteredPlayer& instance();

    // The player's program and its play and enqueue options, as the desktop entry registers
    // them ("<program> --play %U", "<program> --enqueue %U").
    const QString& program() const { return m_program; }

    // The starts recorded since the last clear(), oldest first.
    QList<Run> runs() const;
    // Waits up to five seconds for `count` starts; false when they did not come.
    bool waitForRuns(int count) const;
    void clear();

private:
    RegisteredPlayer();

    QTemporaryDir m_dir;
    QString m_program;
    QString m_out;
};
