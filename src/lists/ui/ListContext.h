#pragma once

#include <QStringList>

#include <functional>

class Gauge;
class ItemInfoSink;
class RQuery;
class SettingsStore;
class SongDatabase;
struct ListShared;

// What every list window borrows from the main window that owns it.
struct ListContext
{
    SongDatabase* db = nullptr;
    RQuery* query = nullptr; // the shared read query (RQuery)
    SettingsStore* settings = nullptr;
    ListShared* shared = nullptr;
    ItemInfoSink* tagEditor = nullptr;  // may be null
    Gauge* gauge = nullptr;             // may be null
    std::function<QStringList()> roots; // Drvs: the medium roots present now
};
