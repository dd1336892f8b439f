#include "ui/Icons.h"

#include <array>

// Resource initialisation lives outside any namespace (Q_INIT_RESOURCE's rule). The icons
// are compiled into a static library, whose registration the linker could otherwise drop.
static void initIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace Icons {

namespace {

struct Entry
{
    Id id;
    const char* file;  // under :/icons, without ".svg"
    const char* theme; // freedesktop name, or nullptr
};

constexpr Entry entries[] = {
    {Id::AddFiles, "add-files", "list-add"},
    {Id::WholeDatabase, "database", nullptr},
    {Id::Parameters, "parameters", nullptr},
    {Id::FastSearch, "fast-search", "edit-find"},
    {Id::MakeUserList, "make-user-list", "document-new"},
    {Id::LoadUserList, "load-user-list", "document-open"},
    {Id::SaveList, "save-list", "document-save"},
    {Id::TagEditor, "tag-editor", "document-properties"},
    {Id::Options, "options", "preferences-system"},
    {Id::CheckFiles, "check-files", nullptr},
    {Id::Top10, "top10", nullptr},
    {Id::Reindex, "reindex", "view-refresh"},
    {Id::MassRetag, "mass-retag", nullptr},
    {Id::ImportLocations, "import-locations", nullptr},
    {Id::InternetSearch, "internet-search", nullptr},
    {Id::Downloads, "downloads", nullptr},
    {Id::About, "about", "help-about"},
    {Id::Exit, "exit", "application-exit"},
    {Id::Play, "play", "media-playback-start"},
    {Id::Enqueue, "enqueue", nullptr},
    {Id::Delete, "delete", "edit-delete"},
    {Id::ExportHtml, "export-html", "text-html"},
    {Id::CopyFiles, "copy-files", "edit-copy"},
    {Id::ListWholeDatabase, "list-database", nullptr},
    {Id::ListByParameters, "list-parameters", nullptr},
    {Id::ListUser, "list-user", nullptr},
    {Id::RowAvailable, "row-available", nullptr},
    {Id::RowNotAvailable, "row-unavailable", nullptr},
    {Id::SortUp, "sort-up", nullptr},
    {Id::SortDown, "sort-down", nullptr},
    {Id::MediumHardDisk, "medium-harddisk", "drive-harddisk"},
    {Id::MediumCd, "medium-cd", "media-optical"},
    {Id::MediumNetwork, "medium-network", "network-server"},
    {Id::ReportDouble, "report-double", nullptr},
    {Id::ReportRecognized, "report-recognized", nullptr},
    {Id::ReportBad, "report-bad", nullptr},
    {Id::ReportMoved, "report-moved", nullptr},
    {Id::Program, "program", nullptr},
};

constexpr std::size_t count = std::size(entries);

constexpr bool inOrder()
{
    for (std::size_t i = 0; i < count; ++i)
        if (static_cast<std::size_t>(entries[i].id) != i)
            return false;
    return true;
}
static_assert(inOrder(), "one entry per Id, in the order of the enum");
static_assert(static_cast<std::size_t>(Id::Program) + 1 == count, "every Id has an entry");

const Entry& entry(Id id)
{
    return entries[static_cast<std::size_t>(id)];
}

} // namespace

QList<Id> all()
{
    QList<Id> ids;
    for (const Entry& e : entries)
        ids.append(e.id);
    return ids;
}

QString themeName(Id id)
{
    const char* name = entry(id).theme;
    return name ? QString::fromLatin1(name) : QString();
}

QString resourcePath(Id id)
{
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(entry(id).file));
}

QIcon own(Id id)
{
    initIconResources();
    // Made once: list models ask for row images for every row they paint. Never destroyed, so
    // that no icon outlives the image plugins it was made with at program exit.
    static auto* const cache = new std::array<QIcon, count>;
    QIcon& icon = (*cache)[static_cast<std::size_t>(id)];
    if (icon.isNull())
        icon = QIcon(resourcePath(id));
    return icon;
}

QIcon get(Id id)
{
    const QString name = themeName(id);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return own(id);
}

QIcon forMediumKind(QChar kind)
{
    switch (kind.unicode()) {
    case u'!':
        return get(Id::MediumHardDisk);
    case u'@':
        return get(Id::MediumCd);
    case u'R':
        return get(Id::MediumNetwork);
    default:
        return QIcon();
    }
}

} // namespace Icons
