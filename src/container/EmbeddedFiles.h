#pragma once

#include <QString>

#include <memory>

class Clock;
class QObject;
class TFileSource;

// The files the programs carry inside them and the containers that write them out.
namespace EmbeddedFiles {

struct Definition
{
    const char* name;      // the container's name
    const char* extension; // of its temporary file
    bool compressed;       // the stored image is compressed
    const char* resource;  // where the program holds the stored image
};

// The decoder library, written out as "mpegdll.so" in the home and loaded by the players.
extern const Definition DllContainer;
// The empty song table, written out as the user's first "tamboro.db".
extern const Definition DatabaseContainer;
// The download animation the downloads window plays while a file arrives.
extern const Definition DLAni;

// Makes the container of `file` and writes its file out to a temporary file. Throws
// EInOutError when the program does not carry the image, and what TFileSource::loadFileData
// throws for a bad image.
std::unique_ptr<TFileSource> load(const Definition& file, Clock& clock,
                                  const QString& tempDir = QString());

// Copies the container's file to `target` unless a file is there already: an existing file is
// never replaced. The copy appears under its name only when complete, so an interrupted copy
// never leaves a truncated file that would then be kept. Returns true when `target` exists
// afterwards; a failed copy returns false and can simply be tried again.
bool copyIfMissing(const TFileSource& container, const QString& target);

} // namespace EmbeddedFiles
