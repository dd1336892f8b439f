#pragma once

#include <QString>

class QIODevice;

// A look at the header of a WMA (ASF) file before TagLib reads it. TagLib believes the counts
// in the header: a damaged file that claims 65,535 attributes in an object of a few bytes, many
// times over, keeps it busy for seconds and takes memory by the gigabyte, once per file of a
// scan. Here every object must lie inside the one around it, and every count must fit into the
// bytes of its object, so that the work TagLib does afterwards grows only with the file's size.
namespace AsfShape {

// Empty when the header's objects fit together, or when the device does not start with the
// header at all (no WMA file: TagLib refuses it at once); otherwise what is wrong, as a reason
// for the add report. Reads only object headers and counts from `device` (open for reading, random
// access), from its start; a device that cannot deliver them is a damaged file too.
QString problem(QIODevice& device);

} // namespace AsfShape
