#pragma once

#include <QStringList>

// The ID3v1 genre names, indexed by the genre number of the tag. There are three lists because
// different parts of the program have always shown slightly different names; each keeps its
// own spelling so that stored genre texts stay comparable.
namespace GenreLists {

// 126 names (0..125): turns a tag's genre number into the text stored in the song table, and
// back. The published list plus the common extensions.
const QStringList& intake();

// 115 names (0..114): the drop-down choices of the tag editors; the chosen index is the number
// written into the tag. Differs from intake() at 81 ("Folk/Rock") and 84 ("Fast-Fusion").
const QStringList& pick();

// 115 names (0..114) behind TMP3Info::genre(). Has no "Fast Fusion": from 84 on it is
// intake() shifted down by one, and 81 reads "Folk/Rock".
const QStringList& component();

} // namespace GenreLists
