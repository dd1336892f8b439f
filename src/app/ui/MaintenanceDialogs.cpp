#include "app/ui/MaintenanceDialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QHBoxLayout* buttonRow(QPushButton* first, QPushButton* second)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(first);
    row->addWidget(second);
    return row;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setAutoDefault(false);
    return result;
}

} // namespace

ReindexDialog::ReindexDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Reindex database"));
    setModal(true);

    auto* description = new QGroupBox(QStringLiteral(" Description "), this);
    description->setObjectName(QStringLiteral("GroupBox1"));
    auto* text = new QLabel(
        QStringLiteral("If you have been using tamboro for quite some time and you have added "
                       "and/or deleted entries from the database there might be some gaps in "
                       "the database index. This function removes these gaps by re-indexing "
                       "your whole database."),
        description);
    text->setObjectName(QStringLiteral("Label1"));
    text->setWordWrap(true);
    (new QVBoxLayout(description))->addWidget(text);

    auto* adviceBox = new QGroupBox(QStringLiteral(" Re-index advice "), this);
    adviceBox->setObjectName(QStringLiteral("GroupBox2"));
    m_advice = new QLabel(adviceBox);
    m_advice->setObjectName(QStringLiteral("Label2"));
    m_advice->setWordWrap(true);
    (new QVBoxLayout(adviceBox))->addWidget(m_advice);

    m_reindex = button(QStringLiteral("Re-index"), "Button1", this);
    m_close = button(QStringLiteral("Close"), "Button2", this);
    connect(m_reindex, &QPushButton::clicked, this, &ReindexDialog::reindexRequested);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(description);
    layout->addWidget(adviceBox);
    layout->addLayout(buttonRow(m_reindex, m_close));
    // Wrapped texts of a fixed width give the layout their true height; a fixed dialog width
    // alone leaves the layout guessing and the description cut off.
    text->setFixedWidth(380);
    m_advice->setFixedWidth(380);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QColor ReindexDialog::adviceColor(Maintenance::ReindexAdvice advice)
{
    switch (advice) {
    case Maintenance::ReindexAdvice::TooFewRows:
        return Qt::blue;
    case Maintenance::ReindexAdvice::NotNeeded:
        return Qt::darkGreen;
    case Maintenance::ReindexAdvice::Needed:
        break;
    }
    return Qt::red;
}

void ReindexDialog::setAdvice(Maintenance::ReindexAdvice advice)
{
    m_advice->setText(Maintenance::adviceText(advice));
    QPalette palette = m_advice->palette();
    palette.setColor(QPalette::WindowText, adviceColor(advice));
    m_advice->setPalette(palette);
}

DeleteDialog::DeleteDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm12"));
    setWindowTitle(Maintenance::deleteDialogCaption());
    setModal(true);

    m_records = new QCheckBox(QStringLiteral("Delete database entries for selected songs"), this);
    m_records->setObjectName(QStringLiteral("CheckBox1"));
    m_files = new QCheckBox(QStringLiteral("Delete associated files as well if possible."), this);
    m_files->setObjectName(QStringLiteral("CheckBox2"));
    m_delete = button(QStringLiteral("Delete"), "Button1", this);
    m_cancel = button(QStringLiteral("Cancel"), "Button2", this);
    connect(m_delete, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_records);
    layout->addWidget(m_files);
    layout->addLayout(buttonRow(m_delete, m_cancel));
    reset();
}

void DeleteDialog::reset()
{
    m_records->setChecked(true);
    m_files->setChecked(false);
}
