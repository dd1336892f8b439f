#include "testsupport/ParadoxWriter.h"

#include "platform/LegacyText.h"

#include <QFile>

// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct FieldSpec
{
    const char* name;
    char type;
    int length;
    QString Song::*text; // null for the two numbers
};

const FieldSpec songFields[] = {
    {"ID", pxfAutoInc, 4, nullptr},
    {"Artist", pxfAlpha, 30, &Song::artist},
    {"Title", pxfAlpha, 30, &Song::title},
    {"Filename", pxfAlpha, 200, &Song::filename},
    {"Location", pxfAlpha, 25, &Song::location},
    {"Track_Length", pxfAlpha, 7, &Song::trackLength},
    {"Genre", pxfAlpha, 20, &Song::genre},
    {"Album", pxfAlpha, 30, &Song::album},
    {"Bitrate", pxfAlpha, 3, &Song::bitrate},
    {"Frequency", pxfAlpha, 5, &Song::frequency},
    {"Comment", pxfAlpha, 30, &Song::comment},
    {"SYear", pxfAlpha, 4, &Song::year},
    {"Played", pxfLong, 4, nullptr},
};

void failOnError(pxdoc_t*, int type, const char* message, void*)
{
    if (type != PX_Warning)
        ADD_FAILURE() << "pxlib: " << (message ? message : "");
}

} // namespace

void writeParadoxSongTable(const QString& path, const QList<Song>& rows)
{
    PX_boot();
    pxdoc_t* doc = PX_new2(&failOnError, nullptr, nullptr, nullptr);
    ASSERT_NE(doc, nullptr);
    constexpr int fieldCount = int(std::size(songFields));
    // pxlib owns the field list from here on and frees it with the document.
    auto* fields =
        static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * fieldCount, "field list"));
    int recordSize = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const std::size_t nameLength = std::strlen(songFields[i].name) + 1;
        fields[i].px_fname = static_cast<char*>(doc->malloc(doc, nameLength, "field name"));
        std::memcpy(fields[i].px_fname, songFields[i].name, nameLength);
        fields[i].px_ftype = songFields[i].type;
        fields[i].px_flen = songFields[i].length;
        fields[i].px_fdc = 0;
        recordSize += songFields[i].length;
    }
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "w+b");
    ASSERT_NE(file, nullptr) << path.toStdString();
    ASSERT_EQ(PX_create_fp(doc, fields, fieldCount, file, pxfFileTypNonIndexDB), 0);
    PX_set_tablename(doc, "resttemp.DB");

    std::vector<char> record(std::size_t(recordSize), 0);
    int id = 0;
    for (const Song& row : rows) {
        std::fill(record.begin(), record.end(), 0);
        char* at = record.data();
        for (const FieldSpec& field : songFields) {
            if (field.text) {
                QByteArray bytes = LegacyText::toWindows1252(row.*(field.text));
                bytes.truncate(field.length);
                if (!bytes.isEmpty())
                    PX_put_data_alpha(doc, at, field.length, bytes.data());
            } else if (field.type == pxfAutoInc) {
                PX_put_data_long(doc, at, field.length, ++id);
            } else {
                PX_put_data_long(doc, at, field.length,
                                 row.played.isEmpty() ? 0 : row.played.toInt());
            }
            at += field.length;
        }
        ASSERT_GE(PX_put_record(doc, record.data()), 0);
    }
    PX_close(doc);
    PX_delete(doc);
    std::fclose(file);
}
