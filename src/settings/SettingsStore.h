#pragma once

#include "settings/ColorText.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

// The user's settings: twenty-six text values at the top level of one QSettings, each with a
// default that a reader gets while the value is missing. Every write is flushed at once, so
// a later start or another process sees it.
//
// Value names are fixed: passing any other name is a programming error and throws
// std::invalid_argument, as does reading a flag or colour from a value of another form.
class SettingsStore
{
public:
    static constexpr const char BackColor[] = "BackColor";
    static constexpr const char Font[] = "Font";
    static constexpr const char FontColor[] = "FontColor";
    static constexpr const char ShowArtist[] = "ShowArtist";
    static constexpr const char ShowLength[] = "ShowLength";
    static constexpr const char ShowFilename[] = "ShowFilename";
    static constexpr const char ShowAlbum[] = "ShowAlbum";
    static constexpr const char ShowComment[] = "ShowComment";
    static constexpr const char ShowYear[] = "ShowYear";
    static constexpr const char ShowGenre[] = "ShowGenre";
    static constexpr const char ShowPlayed[] = "ShowPlayed";
    static constexpr const char SortAlbums[] = "SortAlbums";
    static constexpr const char SortAlbumsBack[] = "SortAlbumsBack";
    static constexpr const char FastSearchParam[] = "FastSearchParam";
    static constexpr const char AddAllFilesFromCD[] = "AddAllFilesFromCD";
    // Intake takes the tag of a file without an ID3v1 tag from its ID3v2 tag ("True"), or
    // recognises it from the file name as it always did ("False").
    static constexpr const char ReadID3v2Tags[] = "ReadID3v2Tags";
    // The code page of ID3v1 text, by the name Qt's converters know it by.
    static constexpr const char ID3v1CodePage[] = "ID3v1CodePage";
    // Whether the main window shows its player bar ("True") or keeps it hidden ("False").
    static constexpr const char PlayerBar[] = "PlayerBar";
    // The sharing network: the central server's address, the address the user's own servers
    // listen on (and connect from, when it is not all interfaces), and the port numbers.
    static constexpr const char CentralServer[] = "CentralServer";
    static constexpr const char SharingAddress[] = "SharingAddress";
    static constexpr const char PersonalServerPort[] = "PersonalServerPort";
    static constexpr const char ResultPort[] = "ResultPort";
    static constexpr const char StreamPort[] = "StreamPort";
    static constexpr const char InfoPort[] = "InfoPort";
    static constexpr const char CentralServerPort[] = "CentralServerPort";
    static constexpr const char CentralResultPort[] = "CentralResultPort";

    // The user's own store: QSettings("Kestrova", "Tamboro3") in the native format.
    SettingsStore();
    // A store on the given settings (tests use one on a file of their own).
    explicit SettingsStore(std::unique_ptr<QSettings> settings);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The twenty-six names in the order above.
    static const QStringList& names();
    static QString defaultText(const QString& name);

    // The stored text, or the default when the value is missing. A stored empty text is a
    // value like any other.
    QString text(const QString& name) const;
    // Throws EInOutError when the store cannot be written.
    void setText(const QString& name, const QString& text);

    // True exactly when the text is "True", letter case included.
    bool flag(const QString& name) const;
    void setFlag(const QString& name, bool on);

    // Throws EConvertError when the text is no colour.
    TColor color(const QString& name) const;
    void setColor(const QString& name, TColor color);

    // The file behind the store.
    QString fileName() const;

private:
    void write(const QString& name, const QString& text);

    std::unique_ptr<QSettings> m_settings;
};
