#include "export/ui/HtmlOptionsWindow.h"

#include "ui/Dialogs.h"
#include "ui/Icons.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

HtmlOptionsWindow::HtmlOptionsWindow(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
    , m_folder(QDir::homePath())
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Generate HTML page from database"));
    setWindowIcon(Icons::get(Icons::Id::ExportHtml));
    setModal(false);

    auto* style =
        new QGroupBox(QStringLiteral(" Please select the style of the Internet page  "), this);
    style->setObjectName(QStringLiteral("GroupBox1"));
    m_withoutTable = new QRadioButton(QStringLiteral("Without Table"), style);
    m_withoutTable->setObjectName(QStringLiteral("RadioButton1"));
    m_withoutTable->setChecked(true);
    m_withTable = new QRadioButton(QStringLiteral("With Table"), style);
    m_withTable->setObjectName(QStringLiteral("RadioButton2"));
    auto* styleLayout = new QHBoxLayout(style);
    styleLayout->addWidget(m_withoutTable);
    styleLayout->addWidget(m_withTable);
    styleLayout->addStretch();

    auto* fields = new QGroupBox(QStringLiteral(" Please select the parameters to export "), this);
    fields->setObjectName(QStringLiteral("GroupBox2"));
    const char* const captions[HtmlExport::fieldCount] = {
        "Artist",  "Title", "Track length", "Filename", "Album",
        "Comment", "Year",  "Genre",        "Bitrate",
    };
    const HtmlExport::Options defaults;
    auto* grid = new QGridLayout(fields);
    for (int i = 0; i < HtmlExport::fieldCount; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(captions[i]), fields);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        box->setChecked(defaults.fields[i]);
        m_fields[i] = box;
        grid->addWidget(box, i % 5, i / 5); // two columns, read downwards
    }
    m_secondary = new QCheckBox(QStringLiteral("Show secondary information"), fields);
    m_secondary->setObjectName(QStringLiteral("CheckBox10"));
    grid->addWidget(m_secondary, 5, 0, 1, 2);

    auto* generate =
        new QPushButton(Icons::get(Icons::Id::ExportHtml), QStringLiteral("Generate"), this);
    generate->setObjectName(QStringLiteral("Button1"));
    generate->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Button2"));
    connect(generate, &QPushButton::clicked, this, &HtmlOptionsWindow::generate);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(generate, QDialogButtonBox::AcceptRole);
    buttons->addButton(close, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(style);
    layout->addWidget(fields);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);

    // Left at the width of its boxes the window is narrower than its title, which the title bar
    // then cuts short: room for the title (in the bold face title bars use) and the buttons.
    QFont titleFont = font();
    titleFont.setBold(true);
    const int titleBarRoom = 140;
    setMinimumWidth(
        std::max(sizeHint().width(),
                 QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + titleBarRoom));
}

HtmlExport::Options HtmlOptionsWindow::options() const
{
    HtmlExport::Options options;
    options.withTable = m_withTable->isChecked();
    for (int i = 0; i < HtmlExport::fieldCount; ++i)
        options.fields[i] = m_fields[i]->isChecked();
    options.secondary = m_secondary->isChecked();
    return options;
}

QString HtmlOptionsWindow::saveTitle()
{
    return QStringLiteral("Export Database as HTML page");
}

QString HtmlOptionsWindow::saveFilter()
{
    return QStringLiteral("Internet pages (*.htm *.html)");
}

void HtmlOptionsWindow::generate()
{
    const std::optional<QString> chosen = m_dialogs.saveFile(saveTitle(), m_folder, saveFilter());
    if (!chosen)
        return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The dialog asked about the name as typed; the name with the extension is asked here.
        path += QStringLiteral(".htm");
        if (QFileInfo::exists(path) &&
            m_dialogs.message(Dialogs::Kind::Confirmation,
                              QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                  .arg(QFileInfo(path).fileName()),
                              saveTitle()) != Dialogs::Answer::Yes)
            return;
    }
    m_folder = QFileInfo(path).absolutePath();
    close();
    emit generateRequested(path);
}
