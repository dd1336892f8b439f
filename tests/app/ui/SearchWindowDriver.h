#pragma once

// Drives the Internet search window of a running main window as a user would: opens it with a
// command, picks the server, types the artist and title and presses Search; then waits for the
// results window the answer opens.
#include "app/ui/MainWindow.h"
#include "lists/ui/ListWindow.h"
#include "net/ui/SearchWindow.h"
#include "testsupport/Eventually.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

struct SearchRequest
{
    bool toCentral = false;
    QString server; // the server box text
    QString artist;
    QString title;
    const char* command = "SearchanInternetbasedPersonalTamboroServer1";
};

// The results window the search opened, or null when none came. `wasModal` tells whether the
// search window was shown modal.
inline ListWindow* searchThroughWindow(MainWindow& window, const SearchRequest& request,
                                       bool* wasModal = nullptr)
{
    using namespace std::chrono_literals;
    const int before = int(window.listWindows().size());
    QTimer::singleShot(0, &window, [&window, request, wasModal] {
        auto* form = window.findChild<SearchWindow*>(QStringLiteral("Form16"));
        ASSERT_NE(form, nullptr);
        if (wasModal)
            *wasModal = form->isVisible() && form->isModal();
        form->findChild<QRadioButton*>(request.toCentral ? "RadioButton1" : "RadioButton2")
            ->setChecked(true);
        form->findChild<QComboBox*>("ComboBox1")->setEditText(request.server);
        form->findChild<QLineEdit*>("Edit1")->setText(request.artist);
        form->findChild<QLineEdit*>("Edit2")->setText(request.title);
        form->findChild<QToolButton*>("SpeedButton1")->click();
    });
    // Never held by a window that stays open.
    QTimer::singleShot(10s, &window, [&window] {
        if (auto* form = window.findChild<SearchWindow*>(QStringLiteral("Form16")))
            form->reject();
    });
    auto* command = window.findChild<QAction*>(QLatin1String(request.command));
    EXPECT_NE(command, nullptr) << request.command;
    if (!command)
        return nullptr;
    command->trigger();
    if (!eventually([&] { return int(window.listWindows().size()) > before; }))
        return nullptr;
    return window.listWindows().value(before);
}
