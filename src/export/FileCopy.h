#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// Copying the files of songs into one folder, for a player or a disc. Each file is written
// under a hidden temporary name in the folder and renamed into place once complete, so the
// folder never holds a half-written song under its real name, whatever stops the copy.
namespace FileCopy {

// What to do with a file of the target's name that is already in the folder.
enum class Existing { Replace, Skip, ReplaceAll, Cancel };

struct Failure
{
    QString source;
    QString reason;
};

struct Result
{
    QStringList copied;  // the paths written, in order
    QStringList skipped; // the sources whose target was left as it was
    std::vector<Failure> failures;
    bool cancelled = false;
    qint64 bytes = 0; // bytes of the files copied
};

// What became of one file.
enum class Outcome { Copied, Skipped, Failed };

struct Callbacks
{
    // Before each file: its index from 0, the number of files, the source.
    std::function<void(int index, int count, const QString& source)> progress;
    // After each file that was tried (not after one a cancel stopped): its index, what became
    // of it, the path it was given in the folder, and the reason of a failure.
    std::function<void(int index, Outcome outcome, const QString& target, const QString& reason)>
        finished;
    // A file of that path is in the folder already. Called on the copying thread; without
    // this callback such files are skipped.
    std::function<Existing(const QString& target)> askExisting;
    // Set from any thread: the file being copied is abandoned (its partial copy removed) and
    // no further file is started.
    const std::atomic<bool>* cancel = nullptr;
};

// The file name each source takes in the folder: its own, or for a later source whose name
// an earlier one already took, "Name (2).mp3", "Name (3).mp3" and so on. Names are compared
// regardless of letter case, as the FAT file system of a player does.
QStringList targetNames(const QStringList& sources);

// Copies the sources, one after the other, into `folder`. Failures are collected, not
// thrown; throws EInOutError only when `folder` is no folder.
Result copyFiles(const QStringList& sources, const QString& folder, const Callbacks& callbacks);

} // namespace FileCopy
