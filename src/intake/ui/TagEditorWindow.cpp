#include "intake/ui/TagEditorWindow.h"

#include "intake/GenreLists.h"
#include "lists/ListEntry.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Icons.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kNotAvailable = QStringLiteral("n/a");
constexpr int kPictureSize = 16;

// The picture of a medium kind by its marker: "!" hard disk, "@" CD, "R" network share.
QPixmap mediumPicture(QChar marker)
{
    return Icons::forMediumKind(marker).pixmap(kPictureSize, kPictureSize);
}

QLabel* makeHiddenPicture(const char* objectName, QChar marker, QWidget* parent)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(objectName));
    picture->setPixmap(mediumPicture(marker));
    picture->hide();
    return picture;
}

QLineEdit* makeEdit(const char* objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

QLabel* makeValue(const char* objectName, QWidget* parent)
{
    auto* label = new QLabel(kNotAvailable, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* caption(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

} // namespace

TagEditorWindow::TagEditorWindow(UQuery& update, QString home, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_update(update)
    , m_home(std::move(home))
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ID3 Tag Editor"));

    m_artist = makeEdit("Edit1", this);
    m_title = makeEdit("Edit2", this);
    m_filename = makeEdit("Edit3", this);
    m_filename->setReadOnly(true);
    m_album = makeEdit("Edit4", this);
    m_comment = makeEdit("Edit5", this);
    m_year = makeEdit("Edit6", this);
    m_year->setMaxLength(4);
    m_year->setMaximumWidth(m_year->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);

    m_genre = new QComboBox(this);
    m_genre->setObjectName(QStringLiteral("ComboBox1"));
    m_genre->setEditable(false);
    m_genre->addItems(GenreLists::pick());
    m_genre->setMaxVisibleItems(20);
    m_genre->setCurrentIndex(-1);

    m_id = makeValue("Label9", this);
    m_frequency = makeValue("Label13", this);
    m_bitrate = makeValue("Label14", this);

    auto* locationPanel = new QFrame(this);
    locationPanel->setObjectName(QStringLiteral("Panel1"));
    locationPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_mediumPicture = new QLabel(locationPanel);
    m_mediumPicture->setObjectName(QStringLiteral("Image1"));
    m_mediumPicture->setFixedSize(kPictureSize, kPictureSize);
    m_location = new QLabel(locationPanel);
    m_location->setObjectName(QStringLiteral("Panel2"));
    m_location->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* locationLayout = new QHBoxLayout(locationPanel);
    locationLayout->setContentsMargins(3, 1, 3, 1);
    locationLayout->addWidget(m_mediumPicture);
    locationLayout->addWidget(m_location, 1);

    m_played = makeValue("Panel3", this);
    m_played->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_played->setContentsMargins(3, 1, 3, 1);

    m_save = new QPushButton(QStringLiteral("Save changes"), this);
    m_save->setObjectName(QStringLiteral("Button1"));
    m_save->setEnabled(false);
    connect(m_artist, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_save->setEnabled(!text.isEmpty()); });
    connect(m_save, &QPushButton::clicked, this, &TagEditorWindow::saveChanges);

    m_hardDiskPicture = makeHiddenPicture("Image2", u'!', this);
    m_cdPicture = makeHiddenPicture("Image3", u'@', this);
    m_networkPicture = makeHiddenPicture("Image4", u'R', this);

    auto* tags = new QGridLayout;
    tags->addWidget(caption("Artist:", this), 0, 0);
    tags->addWidget(m_artist, 0, 1, 1, 3);
    tags->addWidget(caption("Title:", this), 1, 0);
    tags->addWidget(m_title, 1, 1, 1, 3);
    tags->addWidget(caption("Filename:", this), 2, 0);
    tags->addWidget(m_filename, 2, 1, 1, 3);
    tags->addWidget(caption("Album:", this), 3, 0);
    tags->addWidget(m_album, 3, 1, 1, 3);
    tags->addWidget(caption("Comment:", this), 4, 0);
    tags->addWidget(m_comment, 4, 1, 1, 3);
    tags->addWidget(caption("Year:", this), 5, 0);
    tags->addWidget(m_year, 5, 1);
    tags->addWidget(caption("Genre:", this), 5, 2, Qt::AlignRight);
    tags->addWidget(m_genre, 5, 3);
    tags->setColumnStretch(3, 1);

    auto* facts = new QGridLayout;
    facts->addWidget(caption("ID:", this), 0, 0);
    facts->addWidget(m_id, 0, 1);
    facts->addWidget(caption("Frequency:", this), 1, 0);
    facts->addWidget(m_frequency, 1, 1);
    facts->addWidget(caption("Bitrate:", this), 2, 0);
    facts->addWidget(m_bitrate, 2, 1);
    facts->addWidget(caption("Location:", this), 0, 2);
    facts->addWidget(locationPanel, 0, 3);
    facts->addWidget(caption("Times played:", this), 1, 2);
    facts->addWidget(m_played, 1, 3);
    facts->addWidget(m_save, 2, 3, Qt::AlignRight);
    facts->setColumnStretch(1, 1);
    facts->setColumnStretch(3, 2);
    facts->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("44100Hz")));

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(tags);
    layout->addWidget(line);
    layout->addLayout(facts);
    resize(380, sizeHint().height());
}

void TagEditorWindow::submitItemInfo(const ListEntry& entry)
{
    m_artist->setText(entry.caption);
    m_title->setText(entry.value(ListEntry::Title));
    m_filename->setText(entry.value(ListEntry::Filename));
    m_album->setText(entry.value(ListEntry::Album));
    m_comment->setText(entry.value(ListEntry::Comment));
    m_storedYear = entry.value(ListEntry::Year);
    m_year->setText(m_storedYear);
    m_year->setToolTip(m_storedYear.size() > m_year->maxLength() ? m_storedYear : QString());
    // A long name shows its beginning, as the list does; setText leaves the cursor at the end.
    for (QLineEdit* edit : {m_artist, m_title, m_filename, m_album, m_comment, m_year})
        edit->setCursorPosition(0);
    m_played->setText(entry.value(ListEntry::Played));
    m_id->setText(entry.value(ListEntry::ID));
    m_frequency->setText(entry.value(ListEntry::Frequency) + QStringLiteral("Hz"));
    m_bitrate->setText(entry.value(ListEntry::Bitrate) + QStringLiteral("kbps"));
    chooseGenre(entry.value(ListEntry::Genre));
    showMedium(entry.value(ListEntry::Location));
}

void TagEditorWindow::setSaveEnabled(bool enabled)
{
    m_save->setEnabled(enabled);
}

TagSave::Fields TagEditorWindow::fields() const
{
    TagSave::Fields fields;
    fields.id = m_id->text();
    fields.artist = m_artist->text();
    fields.title = m_title->text();
    fields.filename = m_filename->text();
    fields.album = m_album->text();
    fields.comment = m_comment->text();
    // isModified() is set by typing only; loading a song clears it.
    fields.year = m_year->isModified() ? m_year->text() : m_storedYear;
    fields.genre = m_genre->currentIndex() < 0 ? QString() : m_genre->currentText();
    return fields;
}

void TagEditorWindow::saveChanges()
{
    ErrorBoundary::run(
        [this] {
            const TagSave::Fields saved = fields();
            const TagSave::Result result = TagSave::save(m_update, m_home, saved);
            // The table changed even when the tag could not be written: the lists show it.
            emit refreshListsRequested();
            const QString failure = TagSave::failureText(saved, result);
            if (!failure.isEmpty())
                m_dialogs.message(Dialogs::Kind::Error, failure);
        },
        m_dialogs);
}

void TagEditorWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closedByUser();
}

void TagEditorWindow::chooseGenre(const QString& genre)
{
    // A genre the pick list does not carry (empty, or a tag's own spelling such as "Folk-Rock")
    // shows no choice: keeping the previous song's genre would save it into this song's tag.
    m_genre->setCurrentIndex(m_genre->findText(genre, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TagEditorWindow::showMedium(const QString& location)
{
    const QChar marker = location.isEmpty() ? QChar() : location.back();
    const QLabel* source = nullptr;
    if (marker == u'@')
        source = m_cdPicture;
    else if (marker == u'!')
        source = m_hardDiskPicture;
    else if (marker == u'R')
        source = m_networkPicture;
    // Without a known marker the picture is cleared, so that it never shows the medium of the
    // song before.
    if (source)
        m_mediumPicture->setPixmap(source->pixmap());
    else
        m_mediumPicture->clear();
    m_location->setText(location.isEmpty() ? QString() : location.chopped(1));
}
