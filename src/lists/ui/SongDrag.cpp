#include "lists/ui/SongDrag.h"

#include <QMimeData>

namespace {

bool isWholeNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QMimeData* SongDrag::encode(const Payload& payload)
{
    auto* data = new QMimeData;
    data->setData(QLatin1String(MimeType),
                  (payload.ids + QStringList{payload.source}).join(QLatin1Char('\n')).toUtf8());
    return data;
}

std::optional<SongDrag::Payload> SongDrag::decode(const QMimeData* data)
{
    if (!data || !data->hasFormat(QLatin1String(MimeType)))
        return std::nullopt;
    QStringList lines =
        QString::fromUtf8(data->data(QLatin1String(MimeType))).split(QLatin1Char('\n'));
    Payload payload;
    payload.source = lines.takeLast();
    if (payload.source.isEmpty() || lines.isEmpty())
        return std::nullopt;
    for (const QString& id : lines)
        if (!isWholeNumber(id))
            return std::nullopt;
    payload.ids = lines;
    return payload;
}
