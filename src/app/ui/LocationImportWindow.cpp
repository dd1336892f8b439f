#include "app/ui/LocationImportWindow.h"

#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LocationImportWindow::LocationImportWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("Import locations from database"));
    setModal(true);

    auto* information = new QGroupBox(QStringLiteral(" Information "), this);
    information->setObjectName(QStringLiteral("GroupBox1"));
    auto* text = new QLabel(
        QStringLiteral("If you are sharing songs with other persons on CD's or on networks than "
                       "you can import network and CD data from these person's database. Please "
                       "select the database you want to import beneath."),
        information);
    text->setObjectName(QStringLiteral("Label1"));
    text->setWordWrap(true);
    (new QVBoxLayout(information))->addWidget(text);

    auto* select = new QGroupBox(QStringLiteral(" Select database to import "), this);
    select->setObjectName(QStringLiteral("GroupBox2"));
    m_path = new QLineEdit(select);
    m_path->setObjectName(QStringLiteral("Edit1"));
    auto* browse = new QPushButton(QStringLiteral("..."), select);
    browse->setObjectName(QStringLiteral("Button1"));
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    auto* selectLayout = new QHBoxLayout(select);
    selectLayout->addWidget(m_path, 1);
    selectLayout->addWidget(browse);

    m_import = new QPushButton(QStringLiteral("Import"), this);
    m_import->setObjectName(QStringLiteral("BitBtn1"));
    m_import->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("BitBtn2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_import);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(information);
    layout->addWidget(select);
    layout->addLayout(buttons);
    resize(440, sizeHint().height());

    connect(m_path, &QLineEdit::textChanged, this, &LocationImportWindow::pathChanged);
    connect(browse, &QPushButton::clicked, this,
            [this] { ErrorBoundary::run([this] { choose(); }, m_dialogs); });
    connect(m_import, &QPushButton::clicked, this, [this] {
        // A file removed since the field was typed is not imported.
        pathChanged();
        if (m_import->isEnabled())
            emit importRequested(path());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString LocationImportWindow::path() const
{
    return m_path->text();
}

void LocationImportWindow::clearPath()
{
    m_path->clear();
    pathChanged();
}

void LocationImportWindow::pathChanged()
{
    const QString text = m_path->text();
    m_import->setEnabled(!text.isEmpty() && QFileInfo(text).isFile());
}

void LocationImportWindow::choose()
{
    const QString current = m_path->text();
    const QString folder = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath();
    if (const std::optional<QString> chosen =
            m_dialogs.openFile(QLatin1String(chooserTitle), folder, QLatin1String(chooserFilter)))
        m_path->setText(QDir::toNativeSeparators(*chosen));
}
