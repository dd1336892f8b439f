#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// The top-level windows the main window owns besides itself and its modal windows: the tag
// editor and any other tool window. They belong to the main window on screen as well: they go
// to the tray with it, and step aside while one of the program's modal windows is open, so
// that nothing of the program is left alone on the desktop or sits over the window that has
// the input.
class ToolWindows : public QObject
{
    Q_OBJECT
public:
    // Watches the modal windows of the whole application from now on.
    explicit ToolWindows(QWidget* owner);
    ~ToolWindows() override;

    // Hides every shown tool window of the owner, which is hiding to the tray.
    void hideWithOwner();
    // Shows again those hideWithOwner() hid, once the owner is back on screen.
    void showWithOwner();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Windows = QList<QPointer<QWidget>>;

    // Hides the shown tool windows and returns them.
    Windows hideShown() const;
    void modalShown(QWidget* modal);
    void modalHidden(QWidget* modal);

    QWidget* m_owner;
    Windows m_hiddenWithOwner;
    Windows m_hiddenForModal;
    Windows m_openModals;
};
