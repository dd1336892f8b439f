#include "app/ui/OptionsDialog.h"

#include "intake/TMP3Info.h"
#include "platform/Errors.h"
#include "platform/LegacyText.h"
#include "settings/FontFace.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Placement.h"
#include "ui/QtColors.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

struct ColumnFlag
{
    const char* name;
    const char* caption;
    const char* objectName;
};

// The check boxes of " Show information in list ", in their order on the page.
constexpr ColumnFlag kColumnFlags[] = {
    {SettingsStore::ShowArtist, "Artist && title", "ShowArtistCheck"},
    {SettingsStore::ShowLength, "Track length", "ShowLengthCheck"},
    {SettingsStore::ShowFilename, "Filename", "ShowFilenameCheck"},
    {SettingsStore::ShowAlbum, "Album", "ShowAlbumCheck"},
    {SettingsStore::ShowComment, "Comment", "ShowCommentCheck"},
    {SettingsStore::ShowYear, "Year", "ShowYearCheck"},
    {SettingsStore::ShowGenre, "Genre", "ShowGenreCheck"},
    {SettingsStore::ShowPlayed, "Times played", "ShowPlayedCheck"},
};

const QString kCacheFile = QStringLiteral("reqs.dat");
const QString kCacheQuestion =
    QStringLiteral("Are you sure you want to delete all your cached load-by-paramter data?");
const QSize kSwatchSize(64, 22);

QString latin1(const char* text)
{
    return QString::fromLatin1(text);
}

TColor defaultColor(const char* name)
{
    return ColorText::toColor(SettingsStore::defaultText(latin1(name)));
}

QPushButton* makeSwatch(const char* objectName, QWidget* parent)
{
    auto* swatch = new QPushButton(parent);
    swatch->setObjectName(latin1(objectName));
    swatch->setFixedSize(kSwatchSize);
    swatch->setIconSize(kSwatchSize - QSize(12, 10));
    swatch->setAutoDefault(false);
    return swatch;
}

void paintSwatch(QPushButton* swatch, TColor color)
{
    QPixmap pixmap(swatch->iconSize());
    pixmap.fill(QtColors::toQColor(color, swatch->palette()));
    swatch->setIcon(QIcon(pixmap));
    swatch->setToolTip(ColorText::fromColor(color));
}

} // namespace

OptionsDialog::OptionsDialog(SettingsStore& settings, Dialogs& dialogs, QString home,
                             QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_dialogs(dialogs)
    , m_home(std::move(home))
{
    static_assert(std::size(kColumnFlags) == kColumnCount);
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->addTab(buildVisualPage(), QStringLiteral("Visual"));
    pages->addTab(buildOtherPage(), QStringLiteral("Other"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::applyAndClose);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setBackColor(m_backColor);
    setFontColor(m_fontColor);
}

QWidget* OptionsDialog::buildVisualPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("VisualPage"));

    auto* colors = new QGroupBox(QStringLiteral(" List colors "), page);
    colors->setObjectName(QStringLiteral("ListColorsGroup"));
    m_backColorSwatch = makeSwatch("BackColorSwatch", colors);
    connect(m_backColorSwatch, &QPushButton::clicked, this, &OptionsDialog::pickBackColor);
    m_fontColorSwatch = makeSwatch("FontColorSwatch", colors);
    connect(m_fontColorSwatch, &QPushButton::clicked, this, &OptionsDialog::pickFontColor);
    m_fontEdit = new QLineEdit(colors);
    m_fontEdit->setObjectName(QStringLiteral("FontEdit"));
    m_fontEdit->setReadOnly(true);
    m_fontEdit->setCursor(Qt::PointingHandCursor);
    m_fontEdit->setToolTip(QStringLiteral("Click to choose the font"));
    m_fontEdit->installEventFilter(this);

    auto* colorGrid = new QGridLayout(colors);
    colorGrid->addWidget(new QLabel(QStringLiteral("Background color:"), colors), 0, 0);
    colorGrid->addWidget(m_backColorSwatch, 0, 1, Qt::AlignLeft);
    colorGrid->addWidget(new QLabel(QStringLiteral("Font color:"), colors), 1, 0);
    colorGrid->addWidget(m_fontColorSwatch, 1, 1, Qt::AlignLeft);
    colorGrid->addWidget(new QLabel(QStringLiteral("Font:"), colors), 2, 0);
    colorGrid->addWidget(m_fontEdit, 2, 1);
    colorGrid->setColumnStretch(1, 1);

    auto* columns = new QGroupBox(QStringLiteral(" Show information in list "), page);
    columns->setObjectName(QStringLiteral("ShowInformationGroup"));
    auto* columnGrid = new QGridLayout(columns);
    for (int i = 0; i < kColumnCount; ++i) {
        auto* check = new QCheckBox(latin1(kColumnFlags[i].caption), columns);
        check->setObjectName(latin1(kColumnFlags[i].objectName));
        columnGrid->addWidget(check, i % 4, i / 4);
        m_columnChecks[std::size_t(i)] = check;
    }
    // The artist and title columns are what every list is made of.
    m_columnChecks[0]->setChecked(true);
    m_columnChecks[0]->setEnabled(false);

    auto* reset = new QPushButton(QStringLiteral("Reset to default"), page);
    reset->setObjectName(QStringLiteral("ResetVisual"));
    reset->setAutoDefault(false);
    connect(reset, &QPushButton::clicked, this, &OptionsDialog::resetVisual);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(colors);
    layout->addWidget(columns);
    layout->addWidget(reset, 0, Qt::AlignRight);
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildOtherPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("OtherPage"));

    auto* other = new QGroupBox(QStringLiteral(" Other options "), page);
    other->setObjectName(QStringLiteral("OtherOptionsGroup"));
    m_sortAlbums = new QCheckBox(
        QStringLiteral("If all the songs in the list are from the same album sort by filename"),
        other);
    m_sortAlbums->setObjectName(QStringLiteral("SortAlbumsCheck"));
    connect(m_sortAlbums, &QCheckBox::clicked, this, &OptionsDialog::sortAlbumsClicked);
    m_sortAlbumsBack = new QCheckBox(QStringLiteral("If all the songs in the list are not from "
                                                    "the same album any more order by last choice"),
                                     other);
    m_sortAlbumsBack->setObjectName(QStringLiteral("SortAlbumsBackCheck"));

    m_orRadio = new QRadioButton(QStringLiteral("OR"), other);
    m_orRadio->setObjectName(QStringLiteral("OrRadio"));
    m_andRadio = new QRadioButton(QStringLiteral("AND"), other);
    m_andRadio->setObjectName(QStringLiteral("AndRadio"));
    auto* joinGroup = new QButtonGroup(other);
    joinGroup->addButton(m_orRadio);
    joinGroup->addButton(m_andRadio);
    m_orRadio->setChecked(true);

    auto* joinLine = new QHBoxLayout;
    joinLine->addWidget(new QLabel(QStringLiteral("When using FastSearch use the "), other));
    joinLine->addWidget(m_orRadio);
    joinLine->addWidget(m_andRadio);
    joinLine->addWidget(new QLabel(QStringLiteral("parameter."), other));
    joinLine->addStretch();

    auto* otherLayout = new QVBoxLayout(other);
    otherLayout->addWidget(m_sortAlbums);
    otherLayout->addWidget(m_sortAlbumsBack);
    otherLayout->addLayout(joinLine);

    auto* history = new QGroupBox(QStringLiteral(" History and evidence options "), page);
    history->setObjectName(QStringLiteral("HistoryGroup"));
    m_clearCache = new QPushButton(QStringLiteral("Remove cached load-parameters data"), history);
    m_clearCache->setObjectName(QStringLiteral("ClearCacheButton"));
    m_clearCache->setAutoDefault(false);
    connect(m_clearCache, &QPushButton::clicked, this, &OptionsDialog::clearParameterCache);
    auto* historyLayout = new QHBoxLayout(history);
    historyLayout->addWidget(m_clearCache);
    historyLayout->addStretch();

    auto* tags = new QGroupBox(QStringLiteral(" Tag options "), page);
    tags->setObjectName(QStringLiteral("TagOptionsGroup"));
    m_readId3v2 =
        new QCheckBox(QStringLiteral("Read ID3v2 tags when a file has no ID3v1 tag"), tags);
    m_readId3v2->setObjectName(QStringLiteral("ReadId3v2Check"));
    m_codePage = new QComboBox(tags);
    m_codePage->setObjectName(QStringLiteral("CodePageCombo"));
    m_codePage->addItems(SingleByteCodePage::offered());
    m_codePageNote = new QLabel(tags);
    m_codePageNote->setObjectName(QStringLiteral("CodePageNote"));
    m_codePageNote->setWordWrap(true);
    m_codePageNote->hide();
    auto* codePageLine = new QHBoxLayout;
    auto* codePageLabel = new QLabel(QStringLiteral("Code page of ID3v1 tags:"), tags);
    codePageLabel->setBuddy(m_codePage);
    codePageLine->addWidget(codePageLabel);
    codePageLine->addWidget(m_codePage);
    codePageLine->addStretch();
    auto* tagsLayout = new QVBoxLayout(tags);
    tagsLayout->addWidget(m_readId3v2);
    tagsLayout->addLayout(codePageLine);
    tagsLayout->addWidget(m_codePageNote);

    auto* internet = new QGroupBox(QStringLiteral(" Internet "), page);
    internet->setObjectName(QStringLiteral("InternetGroup"));
    m_centralServer = new QLineEdit(internet);
    m_centralServer->setObjectName(QStringLiteral("CentralServerEdit"));
    auto* centralLabel = new QLabel(QStringLiteral("Central server:"), internet);
    centralLabel->setBuddy(m_centralServer);
    auto* internetLayout = new QHBoxLayout(internet);
    internetLayout->addWidget(centralLabel);
    internetLayout->addWidget(m_centralServer, 1);

    auto* reset = new QPushButton(QStringLiteral("Reset to default"), page);
    reset->setObjectName(QStringLiteral("ResetOther"));
    reset->setAutoDefault(false);
    connect(reset, &QPushButton::clicked, this, &OptionsDialog::resetOther);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(other);
    layout->addWidget(tags);
    layout->addWidget(history);
    layout->addWidget(internet);
    layout->addWidget(reset, 0, Qt::AlignRight);
    layout->addStretch();
    return page;
}

void OptionsDialog::formActivate()
{
    setBackColor(loadColor(latin1(SettingsStore::BackColor)));
    m_fontEdit->setText(m_settings.text(latin1(SettingsStore::Font)));
    setFontColor(loadColor(latin1(SettingsStore::FontColor)));

    // The first box stays checked whatever the store says.
    for (int i = 1; i < kColumnCount; ++i)
        m_columnChecks[std::size_t(i)]->setChecked(m_settings.flag(latin1(kColumnFlags[i].name)));

    m_sortAlbums->setChecked(m_settings.flag(latin1(SettingsStore::SortAlbums)));
    m_sortAlbumsBack->setChecked(m_settings.flag(latin1(SettingsStore::SortAlbumsBack)));
    m_sortAlbumsBack->setEnabled(m_sortAlbums->isChecked());

    const bool useAnd =
        m_settings.text(latin1(SettingsStore::FastSearchParam)) == QLatin1StringView("and");
    (useAnd ? m_andRadio : m_orRadio)->setChecked(true);

    m_readId3v2->setChecked(m_settings.flag(latin1(SettingsStore::ReadID3v2Tags)));
    // A stored code page this system lacks shows as what is used instead, with the reason.
    QString note;
    const SingleByteCodePage page = SingleByteCodePage::byNameOrDefault(
        m_settings.text(latin1(SettingsStore::ID3v1CodePage)), &note);
    int index = m_codePage->findText(page.name(), Qt::MatchFixedString);
    if (index < 0) {
        m_codePage->addItem(page.name());
        index = m_codePage->count() - 1;
    }
    m_codePage->setCurrentIndex(index);
    m_codePageNote->setText(note);
    m_codePageNote->setVisible(!note.isEmpty());

    m_clearCache->setEnabled(QFile::exists(QDir(m_home).filePath(kCacheFile)));
    m_centralServer->setText(m_settings.text(latin1(SettingsStore::CentralServer)));
}

QString OptionsDialog::applyTagCodePage(const SettingsStore& settings)
{
    QString note;
    TMP3Info::setDefaultCodePage(SingleByteCodePage::byNameOrDefault(
        settings.text(latin1(SettingsStore::ID3v1CodePage)), &note));
    return note;
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window that comes back from being minimised keeps what the user has changed so far.
    if (event->spontaneous())
        return;
    formActivate();
    centerOnScreen(*this);
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_fontEdit) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            pickFont();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                pickFont();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::setBackColor(TColor color)
{
    m_backColor = color;
    paintSwatch(m_backColorSwatch, color);
}

void OptionsDialog::setFontColor(TColor color)
{
    m_fontColor = color;
    paintSwatch(m_fontColorSwatch, color);
}

TColor OptionsDialog::loadColor(const QString& name)
{
    try {
        return m_settings.color(name);
    } catch (const EConvertError& error) {
        reportError(error.message());
        return ColorText::toColor(SettingsStore::defaultText(name));
    }
}

void OptionsDialog::pickBackColor()
{
    const std::optional<QColor> picked = m_dialogs.pickColor(QtColors::toQColor(m_backColor));
    if (picked && picked->isValid())
        setBackColor(QtColors::fromQColor(*picked));
}

void OptionsDialog::pickFontColor()
{
    const std::optional<QColor> picked = m_dialogs.pickColor(QtColors::toQColor(m_fontColor));
    if (!picked || !picked->isValid())
        return;
    setFontColor(QtColors::fromQColor(*picked));
    // Stored at once: Cancel does not take a picked font colour back.
    ErrorBoundary::run(
        [this] { m_settings.setColor(latin1(SettingsStore::FontColor), m_fontColor); }, m_dialogs);
}

void OptionsDialog::pickFont()
{
    const QColor shown = QtColors::toQColor(m_fontColor);
    QColor color = shown;
    const std::optional<QFont> font = m_dialogs.pickFont(QFont(m_fontEdit->text()), color);
    if (!font)
        return;
    m_fontEdit->setText(FontFace::faceName(font->family()));
    // An unchanged colour keeps its system colour name instead of becoming its RGB value.
    if (color.isValid() && color != shown)
        setFontColor(QtColors::fromQColor(color));
}

void OptionsDialog::resetVisual()
{
    setBackColor(defaultColor(SettingsStore::BackColor));
    setFontColor(defaultColor(SettingsStore::FontColor));
    m_fontEdit->setText(SettingsStore::defaultText(latin1(SettingsStore::Font)));
    for (int i = 1; i < kColumnCount; ++i)
        m_columnChecks[std::size_t(i)]->setChecked(
            SettingsStore::defaultText(latin1(kColumnFlags[i].name)) == QLatin1StringView("True"));
}

void OptionsDialog::resetOther()
{
    m_sortAlbums->setChecked(true);
    m_sortAlbumsBack->setChecked(true);
    m_sortAlbumsBack->setEnabled(true);
    m_orRadio->setChecked(true);
    m_readId3v2->setChecked(true);
    m_codePage->setCurrentIndex(
        m_codePage->findText(latin1(SingleByteCodePage::DefaultName), Qt::MatchFixedString));
    m_centralServer->setText(SettingsStore::defaultText(latin1(SettingsStore::CentralServer)));
}

void OptionsDialog::sortAlbumsClicked(bool checked)
{
    m_sortAlbumsBack->setChecked(checked);
    m_sortAlbumsBack->setEnabled(checked);
}

void OptionsDialog::clearParameterCache()
{
    if (m_dialogs.message(Dialogs::Kind::Confirmation, kCacheQuestion) != Dialogs::Answer::Yes)
        return;
    const QString path = QDir(m_home).filePath(kCacheFile);
    if (!QFile::remove(path) && QFile::exists(path)) {
        reportError(QStringLiteral("Cannot delete %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_clearCache->setEnabled(false);
    emit parameterCacheCleared();
}

void OptionsDialog::applyAndClose()
{
    const QString centralServer = m_centralServer->text().trimmed();
    if (centralServer.isEmpty() || centralServer.contains(QLatin1Char(' '))) {
        reportError(QStringLiteral("The central server must be an address or a host name, such "
                                   "as 127.0.0.1."));
        return;
    }
    const bool stored = ErrorBoundary::run(
        [this, &centralServer] {
            m_settings.setColor(latin1(SettingsStore::BackColor), m_backColor);
            m_settings.setColor(latin1(SettingsStore::FontColor), m_fontColor);
            m_settings.setText(latin1(SettingsStore::Font), FontFace::faceName(m_fontEdit->text()));
            for (int i = 0; i < kColumnCount; ++i)
                m_settings.setFlag(latin1(kColumnFlags[i].name),
                                   m_columnChecks[std::size_t(i)]->isChecked());
            m_settings.setFlag(latin1(SettingsStore::SortAlbums), m_sortAlbums->isChecked());
            m_settings.setFlag(latin1(SettingsStore::SortAlbumsBack),
                               m_sortAlbumsBack->isChecked());
            const QString fastSearch =
                m_orRadio->isChecked() ? QStringLiteral("or") : QStringLiteral("and");
            m_settings.setText(latin1(SettingsStore::FastSearchParam), fastSearch);
            m_settings.setFlag(latin1(SettingsStore::ReadID3v2Tags), m_readId3v2->isChecked());
            m_settings.setText(latin1(SettingsStore::ID3v1CodePage), m_codePage->currentText());
            m_settings.setText(latin1(SettingsStore::CentralServer), centralServer);
            applyTagCodePage(m_settings);
        },
        m_dialogs);
    // The dialog stays open so that nothing the user chose is lost.
    if (!stored)
        return;
    emit settingsApplied();
    accept();
}

void OptionsDialog::reportError(const QString& text)
{
    m_dialogs.message(Dialogs::Kind::Error, text);
}
