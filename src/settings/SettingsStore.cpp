#include "settings/SettingsStore.h"

#include "platform/Errors.h"

#include <QVariant>

#include <stdexcept>

namespace {

enum class Form { Text, Flag, Color };

struct ValueInfo
{
    const char* name;
    const char* defaultText;
    Form form;
};

constexpr ValueInfo kValues[] = {
    {SettingsStore::BackColor, "clWindow", Form::Color},
    {SettingsStore::Font, "MS Sans Serif", Form::Text},
    {SettingsStore::FontColor, "clWindowText", Form::Color},
    {SettingsStore::ShowArtist, "True", Form::Flag},
    {SettingsStore::ShowLength, "True", Form::Flag},
    {SettingsStore::ShowFilename, "False", Form::Flag},
    {SettingsStore::ShowAlbum, "True", Form::Flag},
    {SettingsStore::ShowComment, "False", Form::Flag},
    {SettingsStore::ShowYear, "False", Form::Flag},
    {SettingsStore::ShowGenre, "True", Form::Flag},
    {SettingsStore::ShowPlayed, "False", Form::Flag},
    {SettingsStore::SortAlbums, "True", Form::Flag},
    {SettingsStore::SortAlbumsBack, "True", Form::Flag},
    {SettingsStore::FastSearchParam, "or", Form::Text},
    {SettingsStore::AddAllFilesFromCD, "True", Form::Flag},
    {SettingsStore::ReadID3v2Tags, "True", Form::Flag},
    {SettingsStore::ID3v1CodePage, "Windows-1252", Form::Text},
    {SettingsStore::PlayerBar, "False", Form::Flag},
    {SettingsStore::CentralServer, "127.0.0.1", Form::Text},
    {SettingsStore::SharingAddress, "0.0.0.0", Form::Text},
    {SettingsStore::PersonalServerPort, "6710", Form::Text},
    {SettingsStore::ResultPort, "6711", Form::Text},
    {SettingsStore::StreamPort, "6712", Form::Text},
    {SettingsStore::InfoPort, "6713", Form::Text},
    {SettingsStore::CentralServerPort, "6714", Form::Text},
    {SettingsStore::CentralResultPort, "6715", Form::Text},
};

const ValueInfo& infoOf(const QString& name)
{
    for (const ValueInfo& info : kValues) {
        if (name == QLatin1StringView(info.name))
            return info;
    }
    throw std::invalid_argument("unknown settings value name: " + name.toStdString());
}

const ValueInfo& infoOf(const QString& name, Form form)
{
    const ValueInfo& info = infoOf(name);
    if (info.form != form)
        throw std::invalid_argument("settings value " + name.toStdString() +
                                    " is not of the form asked for");
    return info;
}

const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

} // namespace

SettingsStore::SettingsStore()
    : SettingsStore(
          std::make_unique<QSettings>(QStringLiteral("Kestrova"), QStringLiteral("Tamboro3")))
{}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings))
{
    if (!m_settings)
        throw std::invalid_argument("SettingsStore needs a QSettings");
    // Only the user's own file counts; an organisation-wide or system-wide file must not
    // leak values in.
    m_settings->setFallbacksEnabled(false);
}

SettingsStore::~SettingsStore() = default;

const QStringList& SettingsStore::names()
{
    static const QStringList list = [] {
        QStringList result;
        for (const ValueInfo& info : kValues)
            result << QString::fromLatin1(info.name);
        return result;
    }();
    return list;
}

QString SettingsStore::defaultText(const QString& name)
{
    return QString::fromLatin1(infoOf(name).defaultText);
}

QString SettingsStore::text(const QString& name) const
{
    const ValueInfo& info = infoOf(name);
    if (!m_settings->contains(name))
        return QString::fromLatin1(info.defaultText);
    const QVariant value = m_settings->value(name);
    // An unquoted text with a comma, typed into the file by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    // Present but unreadable (e.g. "@Invalid()") is a present empty text, not the default.
    return value.toString();
}

void SettingsStore::setText(const QString& name, const QString& text)
{
    infoOf(name);
    write(name, text);
}

bool SettingsStore::flag(const QString& name) const
{
    infoOf(name, Form::Flag);
    return text(name) == kTrue;
}

void SettingsStore::setFlag(const QString& name, bool on)
{
    infoOf(name, Form::Flag);
    write(name, on ? kTrue : kFalse);
}

TColor SettingsStore::color(const QString& name) const
{
    infoOf(name, Form::Color);
    return ColorText::toColor(text(name));
}

void SettingsStore::setColor(const QString& name, TColor color)
{
    infoOf(name, Form::Color);
    write(name, ColorText::fromColor(color));
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

void SettingsStore::write(const QString& name, const QString& text)
{
    const bool had = m_settings->contains(name);
    const QVariant previous = m_settings->value(name);
    // Always a QString, so that the file holds the text itself and never a typed "@Variant".
    m_settings->setValue(name, QVariant(text));
    m_settings->sync();
    // QSettings keeps the first error it met: a format error of the file as read does not stop
    // writing, an access error does.
    if (m_settings->status() == QSettings::AccessError) {
        // Reads must go on telling what the file holds, not what failed to reach it.
        if (had)
            m_settings->setValue(name, previous);
        else
            m_settings->remove(name);
        throw EInOutError(
            QStringLiteral("Cannot write the settings file %1").arg(m_settings->fileName()));
    }
}
