#include "intake/GenreLists.h"

namespace GenreLists {

const QStringList& intake()
{
    static const QStringList names = {
        QStringLiteral("Blues"),
        QStringLiteral("Classic Rock"),
        QStringLiteral("Country"),
        QStringLiteral("Dance"),
        QStringLiteral("Disco"),
        QStringLiteral("Funk"),
        QStringLiteral("Grunge"),
        QStringLiteral("Hip-Hop"),
        QStringLiteral("Jazz"),
        QStringLiteral("Metal"),
        QStringLiteral("New Age"),
        QStringLiteral("Oldies"),
        QStringLiteral("Other"),
        QStringLiteral("Pop"),
        QStringLiteral("R&B"),
        QStringLiteral("Rap"),
        QStringLiteral("Reggae"),
        QStringLiteral("Rock"),
        QStringLiteral("Techno"),
        QStringLiteral("Industrial"),
        QStringLiteral("Alternative"),
        QStringLiteral("Ska"),
        QStringLiteral("Death Metal"),
        QStringLiteral("Pranks"),
        QStringLiteral("Soundtrack"),
        QStringLiteral("Euro-Techno"),
        QStringLiteral("Ambient"),
        QStringLiteral("Trip-Hop"),
        QStringLiteral("Vocal"),
        QStringLiteral("Jazz+Funk"),
        QStringLiteral("Fusion"),
        QStringLiteral("Trance"),
        QStringLiteral("Classical"),
        QStringLiteral("Instrumental"),
        QStringLiteral("Acid"),
        QStringLiteral("House"),
        QStringLiteral("Game"),
        QStringLiteral("Sound Clip"),
        QStringLiteral("Gospel"),
        QStringLiteral("Noise"),
        QStringLiteral("AlternRock"),
        QStringLiteral("Bass"),
        QStringLiteral("Soul"),
        QStringLiteral("Punk"),
        QStringLiteral("Space"),
        QStringLiteral("Meditative"),
        QStringLiteral("Instrumental Pop"),
        QStringLiteral("Instrumental Rock"),
        QStringLiteral("Ethnic"),
        QStringLiteral("Gothic"),
        QStringLiteral("Darkwave"),
        QStringLiteral("Techno-Industrial"),
        QStringLiteral("Electronic"),
        QStringLiteral("Pop-Folk"),
        QStringLiteral("Eurodance"),
        QStringLiteral("Dream"),
        QStringLiteral("Southern Rock"),
        QStringLiteral("Comedy"),
        QStringLiteral("Cult"),
        QStringLiteral("Gangsta"),
        QStringLiteral("Top 40"),
        QStringLiteral("Christian Rap"),
        QStringLiteral("Pop/Funk"),
        QStringLiteral("Jungle"),
        QStringLiteral("Native American"),
        QStringLiteral("Cabaret"),
        QStringLiteral("New Wave"),
        QStringLiteral("Psychadelic"),
        QStringLiteral("Rave"),
        QStringLiteral("Showtunes"),
        QStringLiteral("Trailer"),
        QStringLiteral("Lo-Fi"),
        QStringLiteral("Tribal"),
        QStringLiteral("Acid Punk"),
        QStringLiteral("Acid Jazz"),
        QStringLiteral("Polka"),
        QStringLiteral("Retro"),
        QStringLiteral("Musical"),
        QStringLiteral("Rock & Roll"),
        QStringLiteral("Hard Rock"),
        QStringLiteral("Folk"),
        QStringLiteral("Folk-Rock"),
        QStringLiteral("National Folk"),
        QStringLiteral("Swing"),
        QStringLiteral("Fast Fusion"),
        QStringLiteral("Bebob"),
        QStringLiteral("Latin"),
        QStringLiteral("Revival"),
        QStringLiteral("Celtic"),
        QStringLiteral("Bluegrass"),
        QStringLiteral("Avantgarde"),
        QStringLiteral("Gothic Rock"),
        QStringLiteral("Progressive Rock"),
        QStringLiteral("Psychedelic Rock"),
        QStringLiteral("Symphonic Rock"),
        QStringLiteral("Slow Rock"),
        QStringLiteral("Big Band"),
        QStringLiteral("Chorus"),
        QStringLiteral("Easy Listening"),
        QStringLiteral("Acoustic"),
        QStringLiteral("Humour"),
        QStringLiteral("Speech"),
        QStringLiteral("Chanson"),
        QStringLiteral("Opera"),
        QStringLiteral("Chamber Music"),
        QStringLiteral("Sonata"),
        QStringLiteral("Symphony"),
        QStringLiteral("Booty Bass"),
        QStringLiteral("Primus"),
        QStringLiteral("Porn Groove"),
        QStringLiteral("Satire"),
        QStringLiteral("Slow Jam"),
        QStringLiteral("Club"),
        QStringLiteral("Tango"),
        QStringLiteral("Samba"),
        QStringLiteral("Folklore"),
        QStringLiteral("Ballad"),
        QStringLiteral("Power Ballad"),
        QStringLiteral("Rhythmic Soul"),
        QStringLiteral("Freestyle"),
        QStringLiteral("Duet"),
        QStringLiteral("Punk Rock"),
        QStringLiteral("Drum Solo"),
        QStringLiteral("Acapella"),
        QStringLiteral("Euro-House"),
        QStringLiteral("Dance Hall"),
    };
    return names;
}

const QStringList& pick()
{
    static const QStringList names = [] {
        QStringList list = intake().mid(0, 115);
        list[81] = QStringLiteral("Folk/Rock");
        list[84] = QStringLiteral("Fast-Fusion");
        return list;
    }();
    return names;
}

const QStringList& component()
{
    static const QStringList names = [] {
        QStringList list = intake().mid(0, 84);
        list[81] = QStringLiteral("Folk/Rock");
        list += intake().mid(85, 31); // "Bebob" .. "Folklore"
        return list;
    }();
    return names;
}

} // namespace GenreLists
