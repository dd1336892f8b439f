#include "ui/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kProductName = QStringLiteral("Tamboro 3");
// The one-line prompt: its least width, and the room a title bar takes besides the title (the
// window's icon and buttons).
constexpr int promptWidth = 360;
constexpr int titleBarRoom = 140;

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

QIcon swatchIcon(const QColor& color)
{
    QPixmap pixmap(32, 14);
    pixmap.fill(color);
    return QIcon(pixmap);
}

std::optional<QString> nonEmpty(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

Dialogs::Answer QtDialogs::message(Kind kind, const QString& text, const QString& title)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title.isEmpty() ? kProductName : title);
    box.setText(text);
    switch (kind) {
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    const int result = box.exec();
    if (kind != Kind::Confirmation)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<QColor> QtDialogs::pickColor(const QColor& initial)
{
    const QColor color = QColorDialog::getColor(initial, dialogParent());
    if (!color.isValid())
        return std::nullopt;
    return color;
}

std::optional<QFont> QtDialogs::pickFont(const QFont& initial, QColor& color)
{
    QDialog dialog(dialogParent());
    dialog.setWindowTitle(QStringLiteral("Font"));

    // A list of faces only: the list windows keep a face name, so offering sizes and styles
    // would offer choices that are not kept.
    auto* faceLabel = new QLabel(QStringLiteral("Font:"), &dialog);
    auto* chooser = new QFontComboBox(&dialog);
    chooser->setObjectName(QStringLiteral("FontFaceBox"));
    chooser->setCurrentFont(initial);
    chooser->setMinimumContentsLength(24);

    QColor chosenColor = color.isValid() ? color : QColor(Qt::black);
    auto* colorLabel = new QLabel(QStringLiteral("Color:"), &dialog);
    auto* colorButton = new QPushButton(&dialog);
    colorButton->setIcon(swatchIcon(chosenColor));
    colorButton->setIconSize(QSize(32, 14));
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor picked = QColorDialog::getColor(chosenColor, &dialog);
        if (picked.isValid()) {
            chosenColor = picked;
            colorButton->setIcon(swatchIcon(chosenColor));
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* faceRow = new QHBoxLayout;
    faceRow->addWidget(faceLabel);
    faceRow->addWidget(chooser, 1);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colorButton);
    colorRow->addStretch();
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(faceRow);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    color = chosenColor;
    return QFont(chooser->currentFont().family());
}

std::optional<QString> QtDialogs::openFile(const QString& title, const QString& folder,
                                           const QString& filter)
{
    return nonEmpty(QFileDialog::getOpenFileName(dialogParent(), title, folder, filter));
}

std::optional<QString> QtDialogs::saveFile(const QString& title, const QString& folder,
                                           const QString& filter)
{
    return nonEmpty(QFileDialog::getSaveFileName(dialogParent(), title, folder, filter));
}

std::optional<QString> QtDialogs::pickFolder(const QString& title, const QString& folder)
{
    return nonEmpty(QFileDialog::getExistingDirectory(dialogParent(), title, folder));
}

std::optional<QString> QtDialogs::prompt(const QString& title, const QString& label,
                                         const QString& text)
{
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(text);
    // Left at its own size the prompt is narrower than its title, which the title bar then
    // cuts short, and than the few words typed into it: wide enough for both.
    QFont titleFont = dialog.font();
    titleFont.setBold(true);
    const int width = std::max({dialog.sizeHint().width(), promptWidth,
                                QFontMetrics(titleFont).horizontalAdvance(title) + titleBarRoom});
    dialog.resize(width, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<int> QtDialogs::choose(const QString& title, const QString& text,
                                     const QStringList& buttons)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title.isEmpty() ? kProductName : title);
    box.setText(text);
    box.setIcon(QMessageBox::Question);
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons)
        added << box.addButton(caption, QMessageBox::AcceptRole);
    if (!added.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(added.front()));
    box.exec();
    const qsizetype index = added.indexOf(box.clickedButton());
    if (index < 0)
        return std::nullopt;
    return int(index);
}
