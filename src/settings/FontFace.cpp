#include "settings/FontFace.h"

namespace FontFace {

QString faceName(const QString& family)
{
    const QString text = family.trimmed();
    if (!text.endsWith(u']'))
        return text;
    const qsizetype open = text.lastIndexOf(u'[');
    // A face that is nothing but a bracketed name is a face of its own.
    if (open <= 0 || text.at(open - 1) != u' ')
        return text;
    const QString face = text.left(open).trimmed();
    return face.isEmpty() ? text : face;
}

} // namespace FontFace
