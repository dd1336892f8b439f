#include "intake/ui/MassRetagWindow.h"

#include "intake/GenreLists.h"
#include "lists/ListEntry.h"
#include "ui/Dialogs.h"
#include "ui/Icons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum Row { ArtistRow, GenreRow, AlbumRow, CommentRow, YearRow };

QLineEdit* makeEdit(const char* objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 32);
    return edit;
}

} // namespace

MassRetagWindow::MassRetagWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("Mass re-tagger"));
    setWindowIcon(Icons::get(Icons::Id::MassRetag));

    m_artist = makeEdit("Edit1", this);
    m_genre = new QComboBox(this);
    m_genre->setObjectName(QStringLiteral("ComboBox1"));
    m_genre->addItems(GenreLists::pick());
    m_genre->setCurrentIndex(-1);
    m_genre->setMaxVisibleItems(20);
    m_album = makeEdit("Edit2", this);
    m_comment = makeEdit("Edit3", this);
    m_year = makeEdit("Edit4", this);
    m_year->setMaxLength(4);
    m_year->setMinimumWidth(0);
    m_year->setMaximumWidth(m_year->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Parameter:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Set to value:"), this), 0, 1);
    const struct
    {
        const char* name;
        const char* caption;
        QWidget* value;
    } rows[] = {{"CheckBox1", "Artist:", m_artist},
                {"CheckBox2", "Genre:", m_genre},
                {"CheckBox3", "Album:", m_album},
                {"CheckBox4", "Comment:", m_comment},
                {"CheckBox5", "Year:", m_year}};
    for (int row = ArtistRow; row <= YearRow; ++row) {
        auto* check = new QCheckBox(QString::fromLatin1(rows[row].caption), this);
        check->setObjectName(QString::fromLatin1(rows[row].name));
        m_checks[row] = check;
        grid->addWidget(check, row + 1, 0);
        grid->addWidget(rows[row].value, row + 1, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(1, 1);

    // A text box ticks its row as soon as it holds something, and unticks it when emptied.
    const std::pair<QLineEdit*, Row> edits[] = {
        {m_artist, ArtistRow}, {m_album, AlbumRow}, {m_comment, CommentRow}, {m_year, YearRow}};
    for (const auto& [edit, row] : edits) {
        QCheckBox* check = m_checks[row];
        connect(edit, &QLineEdit::textChanged, check,
                [check](const QString& text) { check->setChecked(!text.isEmpty()); });
    }

    m_retag =
        new QPushButton(Icons::get(Icons::Id::MassRetag), QStringLiteral("Mass re-tag!"), this);
    m_retag->setObjectName(QStringLiteral("BitBtn1"));
    m_retag->setDefault(true);
    m_exit = new QPushButton(QStringLiteral("Exit"), this);
    m_exit->setObjectName(QStringLiteral("BitBtn2"));
    connect(m_retag, &QPushButton::clicked, this, &MassRetagWindow::confirm);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_retag, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_exit, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

void MassRetagWindow::prefill(const ListEntry& entry)
{
    m_artist->setText(entry.caption);
    const QString& genre = entry.value(ListEntry::Genre);
    int choice = -1;
    for (int i = 0; i < m_genre->count(); ++i) {
        if (m_genre->itemText(i).compare(genre, Qt::CaseInsensitive) == 0) {
            choice = i;
            break;
        }
    }
    m_genre->setCurrentIndex(choice);
    m_album->setText(entry.value(ListEntry::Album));
    m_comment->setText(entry.value(ListEntry::Comment));
    m_year->setText(entry.value(ListEntry::Year));
}

MassRetag::Values MassRetagWindow::values() const
{
    MassRetag::Values values;
    const auto take = [this](Row row, const QString& text) {
        return m_checks[row]->isChecked() ? std::optional<QString>(text) : std::nullopt;
    };
    values.artist = take(ArtistRow, m_artist->text());
    values.genre = take(GenreRow, m_genre->currentText());
    values.album = take(AlbumRow, m_album->text());
    values.comment = take(CommentRow, m_comment->text());
    values.year = take(YearRow, m_year->text());
    return values;
}

void MassRetagWindow::confirm()
{
    const MassRetag::Values chosen = values();
    if (!chosen.anyChosen()) {
        m_dialogs.message(Dialogs::Kind::Error, MassRetag::nothingChosenText());
        return;
    }
    // A ticked genre without a choice would give every song an empty genre and genre 0.
    if (chosen.genre && m_genre->currentIndex() < 0) {
        m_dialogs.message(Dialogs::Kind::Error,
                          QStringLiteral("Choose the genre to set, or untick \"Genre:\"."));
        return;
    }
    accept();
}
